// How long two display-mode copies started at once, one per 1920 x 1080 monitor of a private
// Xvfb (as xscreensaver starts them), take from their start to the first frame on each monitor,
// next to one renderer started alone in such a window. Each host window carries a screenshot
// pixmap, so each copy reads and hands over a full-HD picture as under the daemon. Frames are
// seen through the frame hook preloaded into the unchanged programs; the Mesa shader cache is
// warm (one unmeasured round first).
//
//   build/bench/DisplayModeBench [runs]   (default 5 rounds)
#include "ChildProcess.h"
#include "FileText.h"
#include "HostWindow.h"
#include "Medians.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int LabelWidth = 46; // the longest label of the report

constexpr int MonitorWidth = 1920;
constexpr int MonitorHeight = 1080;
constexpr auto FrameTimeout = 60s;

// When the hook noted the first frame on the screen, if it has.
std::optional<long long> firstFrame(const fs::path& log) {
    std::istringstream lines(readFile(log));
    std::string line, kind, number, ns;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        long long at = 0;
        if (words >> kind >> number >> ns >> at && kind == "frame" && number == "1")
            return at;
    }
    return std::nullopt;
}

class Bench {
public:
    Bench() : xvfb_(2 * MonitorWidth, MonitorHeight) {
        xvfb_.splitIntoTwoMonitors();
        for (const char* program : {"Quillaro.scr", "Quillaro.dll"})
            fs::copy_file(fs::path(QUILLARO_BIN_DIR) / program, install_ / program);
        fs::create_directories(runtime_ / "xdg");
        fs::permissions(runtime_ / "xdg", fs::perms::owner_all);
        // A picture for the renderer alone, of the monitor's size, in a folder of its own.
        fs::create_directories(cache_ / "v_kord");
        fs::permissions(cache_ / "v_kord", fs::perms::owner_all);
        std::string bmp(54 + MonitorWidth * MonitorHeight * 3, '\x60');
        const auto put32 = [&bmp](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                bmp[at + i] = static_cast<char>(v >> (8 * i));
        };
        bmp[0] = 'B', bmp[1] = 'M';
        put32(2, static_cast<std::uint32_t>(bmp.size())), put32(10, 54), put32(14, 40);
        put32(18, MonitorWidth), put32(22, MonitorHeight), put32(26, 1 | (24 << 16));
        put32(30, 0), put32(34, 0), put32(38, 0), put32(42, 0), put32(46, 0), put32(50, 0);
        writeFile(picture_, bmp);
    }

    // Two copies at once, one per monitor; the milliseconds to each one's first frame.
    std::optional<std::pair<double, double>> pair() {
        auto left = host(0), right = host(MonitorWidth);
        const long long started = monotonicNs();
        ChildProcess a = start("Quillaro.scr", {"--window-id", std::to_string(left->id())}, 1);
        ChildProcess b = start("Quillaro.scr", {"--window-id", std::to_string(right->id())}, 2);
        auto frames = waitForFrames({log(1), log(2)}, started);
        end(a), end(b);
        if (!frames)
            return std::nullopt;
        return std::make_pair((*frames)[0], (*frames)[1]);
    }

    // The renderer alone in a window of the monitor's size, with a full-HD picture.
    std::optional<double> alone() {
        auto window = host(0);
        const long long started = monotonicNs();
        ChildProcess r =
            start("Quillaro.dll",
                  {"--window-id", std::to_string(window->id()), "--picture", picture_.string()}, 3);
        auto frames = waitForFrames({log(3)}, started);
        end(r);
        return frames ? std::optional<double>((*frames)[0]) : std::nullopt;
    }

private:
    std::unique_ptr<HostWindow> host(int x) {
        auto window =
            std::make_unique<HostWindow>(xvfb_.display(), x, 0, MonitorWidth, MonitorHeight);
        window->leaveScreenshot(0x3080c0);
        return window;
    }

    fs::path log(int copy) const { return logs_ / ("frames-" + std::to_string(copy) + ".txt"); }

    ChildProcess start(const char* program, std::vector<std::string> args, int copy) {
        fs::remove(log(copy));
        ProcessOptions options = xvfb_.options(std::move(args));
        options.setEnv["XDG_CACHE_HOME"] = cache_.path().string();
        options.setEnv["XDG_RUNTIME_DIR"] = (runtime_ / "xdg").string();
        options.setEnv["SDL_AUDIODRIVER"] = "dummy";
        options.setEnv["LD_PRELOAD"] = QUILLARO_FRAME_HOOK;
        options.setEnv["QUILLARO_FRAME_LOG"] = log(copy).string();
        options.stderrFile = logs_ / "stderr.txt";
        return ChildProcess(install_ / program, options);
    }

    std::optional<std::vector<double>> waitForFrames(const std::vector<fs::path>& logs,
                                                     long long started) {
        std::vector<double> ms(logs.size(), -1);
        const long long deadline = started + std::chrono::nanoseconds(FrameTimeout).count();
        while (std::count(ms.begin(), ms.end(), -1) > 0) {
            if (monotonicNs() > deadline)
                return std::nullopt;
            for (std::size_t i = 0; i < logs.size(); ++i)
                if (auto at = firstFrame(logs[i]); ms[i] < 0 && at)
                    ms[i] = (*at - started) / 1e6;
            std::this_thread::sleep_for(2ms);
        }
        return ms;
    }

    void end(ChildProcess& process) {
        process.signal(SIGTERM);
        if (!process.waitFor(10s))
            std::fprintf(stderr, "DisplayModeBench: a program did not end\n");
        std::this_thread::sleep_for(300ms); // the renderer goes with it; let the machine settle
    }

    XvfbServer xvfb_;
    TempDir install_;
    TempDir cache_;
    TempDir runtime_;
    TempDir logs_;
    fs::path picture_ = cache_ / "v_kord" / "alone.bmp";
};

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Bench bench;
    if (!bench.pair() || !bench.alone()) {
        std::fprintf(stderr, "DisplayModeBench: no first frame came\n");
        return 1;
    }
    std::vector<double> left, right, later, alone;
    for (int i = 0; i < runs; ++i) {
        if (auto p = bench.pair()) {
            left.push_back(p->first);
            right.push_back(p->second);
            later.push_back(std::max(p->first, p->second));
        }
        if (auto a = bench.alone())
            alone.push_back(*a);
    }
    if (left.empty() || alone.empty()) {
        std::fprintf(stderr, "DisplayModeBench: no first frame came\n");
        return 1;
    }
    std::printf(
        "First frame, two %d x %d monitors, warm shader cache (%zu and %zu of %d rounds):\n",
        MonitorWidth, MonitorHeight, left.size(), alone.size(), runs);
    report("two copies at once: start to frame, left", left, LabelWidth);
    report("two copies at once: start to frame, right", right, LabelWidth);
    report("two copies at once: start to both frames", later, LabelWidth);
    report("one renderer alone (--window-id): to frame", alone, LabelWidth);
    return 0;
}

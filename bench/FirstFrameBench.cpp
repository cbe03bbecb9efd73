// How long it takes from starting `Quillaro.scr /s` (desktop capture, default settings) to the
// renderer's first frame on the screen, next to the renderer started alone with the same hand-off
// picture, at 1920 x 1080 on a private Xvfb with a warm Mesa shader cache. The frames are seen
// through the frame hook preloaded into the unchanged programs; the saver passes it on to the
// renderer it starts. The ratio of the two medians is the saver's share of the wait.
//
//   build/bench/FirstFrameBench [runs]   (default 10 of each, taken in turns)
#include "ChildProcess.h"
#include "FileText.h"
#include "Medians.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int LabelWidth = 44; // the longest label of the report

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr auto FrameTimeout = 60s;
constexpr const char* RendererTitle = "Lumivane_VC";

RgbImage wallpaper() {
    RgbImage picture;
    picture.width = Width;
    picture.height = Height;
    picture.rgb.resize(static_cast<size_t>(Width) * Height * 3);
    for (size_t i = 0; i < picture.rgb.size(); ++i)
        picture.rgb[i] = static_cast<std::uint8_t>(i * 7 / 3);
    return picture;
}

// What the hook noted: when each program started, and when the first frame was on the screen.
struct Notes {
    std::map<std::string, long long> started; // by program name
    std::optional<long long> firstFrame;
};

Notes readNotes(const fs::path& log) {
    Notes notes;
    std::istringstream lines(readFile(log));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, name, ns;
        long long at = 0;
        if (!(words >> kind))
            continue;
        if (kind == "start" && words >> name >> ns >> at)
            notes.started.emplace(name, at);
        else if (kind == "frame" && words >> name >> ns >> at && name == "1")
            notes.firstFrame = at;
    }
    return notes;
}

struct Timing {
    double firstFrameMs = 0;    // program started -> first frame on the screen
    double rendererStartMs = 0; // program started -> renderer process started
    double saverLoadedMs = 0;   // program started -> the saver's libraries loaded
};

class Bench {
public:
    Bench() : xvfb_(Width, Height) {
        fs::copy_file(fs::path(QUILLARO_BIN_DIR) / "Quillaro.scr", install_ / "Quillaro.scr");
        fs::copy_file(fs::path(QUILLARO_BIN_DIR) / "Quillaro.dll", install_ / "Quillaro.dll");
        fs::create_directories(runtime_ / "xdg");
        fs::permissions(runtime_ / "xdg", fs::perms::owner_all);
        xvfb_.setRootPicture(wallpaper());
    }

    // One run of the program given (with "/s" for the saver); nothing when no frame came.
    std::optional<Timing> run(const char* program, std::vector<std::string> args) {
        const fs::path log = logs_ / ("frames-" + std::to_string(++count_) + ".txt");
        ProcessOptions options = xvfb_.options(std::move(args));
        // A desktop session's places, kept from run to run: the shader cache stays warm.
        options.setEnv["XDG_CACHE_HOME"] = cache_.path().string();
        options.setEnv["XDG_RUNTIME_DIR"] = (runtime_ / "xdg").string();
        options.setEnv["SDL_AUDIODRIVER"] = "dummy";
        options.setEnv["LD_PRELOAD"] = QUILLARO_FRAME_HOOK;
        options.setEnv["QUILLARO_FRAME_LOG"] = log.string();
        options.stderrFile = logs_ / "stderr.txt";
        const long long started = monotonicNs();
        ChildProcess process(install_ / program, options);

        std::optional<Notes> notes;
        const long long deadline = started + std::chrono::nanoseconds(FrameTimeout).count();
        while (monotonicNs() < deadline) {
            if (Notes seen = readNotes(log); seen.firstFrame) {
                notes = seen;
                break;
            }
            std::this_thread::sleep_for(2ms);
        }
        end(process);
        if (!notes)
            return std::nullopt;
        Timing timing;
        timing.firstFrameMs = (*notes->firstFrame - started) / 1e6;
        if (auto renderer = notes->started.find("Quillaro.dll"); renderer != notes->started.end())
            timing.rendererStartMs = (renderer->second - started) / 1e6;
        if (auto saver = notes->started.find("Quillaro.scr"); saver != notes->started.end())
            timing.saverLoadedMs = (saver->second - started) / 1e6;
        return timing;
    }

private:
    // Escape on the renderer's window, then both programs gone before the next run.
    void end(ChildProcess& process) {
        if (xvfb_.waitForWindow(RendererTitle, 10s)) {
            for (unsigned long window : xvfb_.findWindows(RendererTitle)) {
                const std::string id = std::to_string(window);
                xvfb_.xdotool({"windowfocus", "--sync", id});
                xvfb_.xdotool({"key", "Escape"});
            }
        }
        xvfb_.waitForNoWindow(RendererTitle, 10s);
        if (!process.waitFor(10s))
            std::fprintf(stderr, "FirstFrameBench: a program did not end\n");
        std::this_thread::sleep_for(200ms); // let the machine settle
    }

    TempDir install_;
    TempDir cache_;
    TempDir runtime_;
    TempDir logs_;
    XvfbServer xvfb_;
    int count_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    Bench bench;
    // Once each unmeasured: the shader cache is filled and the hand-off file is there.
    if (!bench.run("Quillaro.scr", {"/s"}) || !bench.run("Quillaro.dll", {})) {
        std::fprintf(stderr, "FirstFrameBench: no first frame came\n");
        return 1;
    }
    std::vector<double> saver, saverLoaded, rendererStart, saverRenderer, alone;
    for (int i = 0; i < runs; ++i) {
        if (auto t = bench.run("Quillaro.scr", {"/s"})) {
            saver.push_back(t->firstFrameMs);
            saverLoaded.push_back(t->saverLoadedMs);
            rendererStart.push_back(t->rendererStartMs);
            saverRenderer.push_back(t->firstFrameMs - t->rendererStartMs);
        }
        if (auto t = bench.run("Quillaro.dll", {}))
            alone.push_back(t->firstFrameMs);
    }
    if (saver.empty() || alone.empty()) {
        std::fprintf(stderr, "FirstFrameBench: no first frame came\n");
        return 1;
    }
    std::printf("First frame at %d x %d, warm shader cache (%zu and %zu of %d runs measured):\n",
                Width, Height, saver.size(), alone.size(), runs);
    report("Quillaro.scr /s: start to first frame", saver, LabelWidth);
    report("  of which: start to saver's libraries loaded", saverLoaded, LabelWidth);
    report("  of which: start to renderer started", rendererStart, LabelWidth);
    report("  of which: renderer started to first frame", saverRenderer, LabelWidth);
    report("Quillaro.dll alone: start to first frame", alone, LabelWidth);
    std::printf("  ratio of the medians (saver / renderer alone): %.2f\n",
                median(saver) / median(alone));
    return 0;
}

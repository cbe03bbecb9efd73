// How long a run takes from the saver's start to the renderer's start, with the desktop captured
// and written to the hand-off file in between, at 1024 x 768 and at 1920 x 1080. The real
// Quillaro.scr runs on a private Xvfb; a stand-in renderer notes the moment it was started, and
// an inotify watch notes the moment the hand-off file took its name.
//
//   build/bench/RunStartBench [runs per size]   (default 10)
#include "ChildProcess.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

using namespace quillaro::test;
namespace fs = std::filesystem;

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

RgbImage wallpaper(int width, int height) {
    RgbImage picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < picture.rgb.size(); ++i)
        picture.rgb[i] = static_cast<std::uint8_t>(i * 7 / 3);
    return picture;
}

struct Timing {
    double handoffMs = 0;  // saver started -> hand-off file in place
    double rendererMs = 0; // saver started -> renderer started
};

// One run; nothing when the hand-off file or the renderer did not come within 30 s.
std::optional<Timing> timeOneRun(const XvfbServer& xvfb, const fs::path& folder) {
    TempDir cache;
    fs::create_directories(cache / "v_kord");
    const fs::path stamp = cache / "renderer-started";
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(watch, (cache / "v_kord").c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);

    ProcessOptions opts = xvfb.options({"/s"});
    opts.setEnv["XDG_CACHE_HOME"] = cache.path().string();
    opts.setEnv["XDG_RUNTIME_DIR"] = cache.path().string();
    opts.setEnv["QUILLARO_START_STAMP"] = stamp.string();
    opts.setEnv["SDL_AUDIODRIVER"] = "dummy";
    opts.stderrFile = "/dev/null";
    const long long started = monotonicNs();
    ChildProcess saver(folder / "Quillaro.scr", opts);

    std::optional<long long> handoffAt;
    const long long deadline = started + 30'000'000'000LL;
    while (!handoffAt && monotonicNs() < deadline) {
        pollfd p{watch, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        alignas(inotify_event) char buffer[4096];
        const ssize_t n = read(watch, buffer, sizeof buffer);
        for (char* at = buffer; n > 0 && at < buffer + n;) {
            auto* event = reinterpret_cast<inotify_event*>(at);
            if ((event->mask & IN_MOVED_TO) && event->len &&
                std::string(event->name) == "Lumivane.bmp")
                handoffAt = monotonicNs();
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(watch);
    // The stand-in ends at once, so the saver ends at its next look for the renderer.
    if (!saver.waitFor(std::chrono::seconds(30)) || !handoffAt)
        return std::nullopt;
    long long rendererAt = 0;
    if (!(std::ifstream(stamp) >> rendererAt))
        return std::nullopt;
    return Timing{(*handoffAt - started) / 1e6, (rendererAt - started) / 1e6};
}

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("  %-34s median %7.1f ms   min %7.1f   max %7.1f\n", what, ms[ms.size() / 2],
                ms.front(), ms.back());
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    TempDir install;
    fs::copy_file(fs::path(QUILLARO_BIN_DIR) / "Quillaro.scr", install / "Quillaro.scr");
    fs::copy_file(fs::path(QUILLARO_BENCH_DIR) / "RendererStartStamp", install / "Quillaro.dll");

    std::printf("From the saver's start (desktop capture, default settings), %d runs each:\n",
                runs);
    for (auto [width, height] : {std::pair{1024, 768}, std::pair{1920, 1080}}) {
        XvfbServer xvfb(width, height);
        xvfb.setRootPicture(wallpaper(width, height));
        std::vector<double> handoff, renderer;
        for (int i = 0; i < runs; ++i) {
            if (auto t = timeOneRun(xvfb, install.path())) {
                handoff.push_back(t->handoffMs);
                renderer.push_back(t->rendererMs);
            }
        }
        std::printf("%d x %d (%zu of %d runs measured)\n", width, height, handoff.size(), runs);
        if (handoff.empty())
            continue;
        report("to the hand-off file in place", handoff);
        report("to the renderer started", renderer);
    }
    return 0;
}

// The saver as a screen-saver daemon's display program, without the daemon: windows of the
// test's own play the daemon's, on a two-monitor X server, each carrying a screenshot pixmap
// the way xscreensaver leaves the desktop on its windows. Three copies run at once: one per
// monitor and one in a small preview pane.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "Bitmap24Loader.h"
#include "ChildProcess.h"
#include "FileText.h"
#include "HostWindow.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "XvfbServer.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <thread>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* RendererTitle = "Lumivane_VC";
constexpr auto StartTimeout = 60s;
constexpr auto EndTimeout = 30s; // a bound for failure; the bench measures how fast it is

unsigned long parentOf(Display* d, unsigned long window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, window, &root, &parent, &children, &count))
        return 0;
    if (children)
        XFree(children);
    return parent;
}

// Pixels of the area whose colour only the floor carrying that screenshot gives: the floor
// modulates the picture and lets black through, and every solid has a strong red share
// (its ambient light) and a green one (its diffuse colour).
int floorPixels(const RgbImage& image, int x0, int width, bool cyan) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < x0 + width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            const bool match =
                cyan ? p[0] < 20 && p[1] > 80 && p[2] > 80 : p[1] < 20 && p[0] > 80 && p[2] > 80;
            count += match;
        }
    return count;
}

std::vector<fs::path> copyFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("Lumivane-"))
            files.push_back(entry.path());
    return files;
}

class DisplayMode : public ::testing::Test {
protected:
    XvfbServer xvfb{1280, 480};
    TempDir dir;
    fs::path programs = dir / "installed";
    fs::path cache = dir / "cache";

    void SetUp() override {
        fs::create_directories(programs);
        fs::create_directories(cache);
        fs::create_directories(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
        for (const char* program : {"Quillaro.scr", "Quillaro.dll"})
            fs::copy_file(fs::path(QUILLARO_BIN_DIR) / program, programs / program);
        xvfb.splitIntoTwoMonitors();
    }

    ChildProcess start(const std::string& name, std::vector<std::string> args,
                       const std::string& xscreensaverWindow = {}) {
        ProcessOptions opts = xvfb.options(std::move(args));
        opts.setEnv["XDG_CACHE_HOME"] = cache.string();
        opts.setEnv["XDG_RUNTIME_DIR"] = (dir / "runtime").string();
        opts.setEnv["SDL_AUDIODRIVER"] = "disk";
        opts.setEnv["SDL_DISKAUDIOFILE"] = (dir / (name + ".raw")).string();
        if (!xscreensaverWindow.empty())
            opts.setEnv["XSCREENSAVER_WINDOW"] = xscreensaverWindow;
        opts.stderrFile = dir / (name + "-stderr.txt");
        return ChildProcess(programs / "Quillaro.scr", opts);
    }

    bool waitForRenderers(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + StartTimeout;
        while (xvfb.findWindows(RendererTitle).size() < count) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }

    std::uintmax_t heard(const std::string& name) {
        std::error_code ec;
        const auto size = fs::file_size(dir / (name + ".raw"), ec);
        return ec ? 0 : size;
    }
};

} // namespace

TEST_F(DisplayMode, EachCopyFillsItsWindowWithItsMonitorsDesktopAndEndsWithIt) {
    const fs::path music = dir / "tone.wav";
    writeWav(music, tone(440, 0.5));
    std::ofstream(programs / "Quillaro.ini")
        << "[Section]\nBGM区分=2\nBGMﾌｧｲﾙ=" << music.string() << "\n";
    HostWindow left(xvfb.display(), 0, 0, 640, 480);
    HostWindow right(xvfb.display(), 640, 0, 640, 480);
    HostWindow pane(xvfb.display(), 100, 300, 160, 120); // a settings program's preview
    left.leaveScreenshot(0x00ffff);
    right.leaveScreenshot(0xff00ff);

    // The preview pane's copy is the first, and still must not play music.
    ChildProcess preview = start("pane", {"--window-id", std::to_string(pane.id())});
    ASSERT_TRUE(waitForRenderers(1)) << readFile(dir / "pane-stderr.txt");
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", right.id());
    ChildProcess first = start("left", {"--root"}, std::to_string(left.id()));
    ChildProcess second = start("right", {"-window-id", hex});
    ASSERT_TRUE(waitForRenderers(3))
        << readFile(dir / "left-stderr.txt") << readFile(dir / "right-stderr.txt");

    // Each renderer moves into its own host window, at the host's size.
    std::map<unsigned long, unsigned long> rendererOf;
    const auto deadline = std::chrono::steady_clock::now() + StartTimeout;
    while (rendererOf.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
        rendererOf.clear();
        for (unsigned long w : xvfb.findWindows(RendererTitle))
            rendererOf[parentOf(left.display(), w)] = w;
        for (auto it = rendererOf.begin(); it != rendererOf.end();)
            it = it->first == left.id() || it->first == right.id() || it->first == pane.id()
                     ? std::next(it)
                     : rendererOf.erase(it);
    }
    ASSERT_EQ(rendererOf.size(), 3u);
    XWindowAttributes attrs{};
    XGetWindowAttributes(left.display(), rendererOf[right.id()], &attrs);
    EXPECT_EQ(attrs.width, 640);
    EXPECT_EQ(attrs.height, 480);
    // Every copy hands its own picture over; the pane, without a screenshot, the sample.
    EXPECT_EQ(copyFiles(cache / "v_kord").size(), 3u);
    const auto sample = quillaro::loadBitmap24(
        cache / "v_kord" / ("Lumivane-" + std::to_string(preview.pid()) + ".bmp"));
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->width, 640u);

    // Each monitor's floor carries that monitor's screenshot, and not the other's.
    std::this_thread::sleep_for(2s);
    const RgbImage screen = xvfb.grabRoot();
    XvfbServer::savePng(screen, fs::path(QUILLARO_BIN_DIR).parent_path() / "tests" /
                                    "display-mode-two-monitors.png");
    EXPECT_GT(floorPixels(screen, 0, 640, true), 2000);
    EXPECT_EQ(floorPixels(screen, 640, 640, true), 0);
    EXPECT_GT(floorPixels(screen, 640, 640, false), 2000);
    EXPECT_EQ(floorPixels(screen, 0, 640, false), 0);

    // Music once per blanking: one of the monitors' copies, never the pane's.
    EXPECT_EQ(heard("pane"), 0u);
    EXPECT_NE(heard("left") > 0, heard("right") > 0)
        << "left " << heard("left") << " bytes, right " << heard("right") << " bytes";

    // The renderer follows its window's size.
    pane.resize(240, 180);
    const auto resized = std::chrono::steady_clock::now() + StartTimeout;
    do {
        std::this_thread::sleep_for(50ms);
        XGetWindowAttributes(left.display(), rendererOf[pane.id()], &attrs);
    } while (attrs.width != 240 && std::chrono::steady_clock::now() < resized);
    EXPECT_EQ(attrs.width, 240);
    EXPECT_EQ(attrs.height, 180);

    // SIGTERM ends a copy with its renderer; so does the end of its window.
    auto since = std::chrono::steady_clock::now();
    auto took = [&since] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - since)
            .count();
    };
    first.signal(SIGTERM);
    auto ended = first.waitFor(EndTimeout);
    ASSERT_TRUE(ended);
    std::cout << "a copy ended " << took() << " ms after SIGTERM\n";
    EXPECT_TRUE(ended->exited && ended->code == 0);
    since = std::chrono::steady_clock::now();
    right.destroy();
    ended = second.waitFor(EndTimeout);
    std::cout << "a copy ended " << took() << " ms after its window's end\n";
    ASSERT_TRUE(ended);
    EXPECT_TRUE(ended->exited && ended->code == 0);
    EXPECT_TRUE(preview.running());
    preview.signal(SIGTERM);
    EXPECT_TRUE(preview.waitFor(EndTimeout));
    EXPECT_TRUE(xvfb.waitForNoWindow(RendererTitle, EndTimeout));
    EXPECT_TRUE(copyFiles(cache / "v_kord").empty());
    for (const char* name : {"left", "right", "pane"})
        EXPECT_EQ(readFile(dir / (std::string(name) + "-stderr.txt")), "") << name;
}

// The saver as a screen-saver daemon's display program, without the daemon: windows of the
// test's own play the daemon's on a two-monitor X server, each monitor's with a screenshot
// pixmap as xscreensaver leaves one. Three copies run at once: one per monitor and one in a
// small preview pane, without a screenshot.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "ChildProcess.h"
#include "DisplayModeCheck.h"
#include "FileText.h"
#include "HostWindow.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <X11/Xlib.h>
#include <csignal>
#include <fstream>
#include <map>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(DisplayMode, EachCopyFillsItsWindowWithItsMonitorsDesktopAndEndsWithIt) {
    XvfbServer xvfb(1280, 480);
    xvfb.splitIntoTwoMonitors();
    TempDir dir;
    const fs::path programs = dir / "installed", handoffs = dir / "cache" / "v_kord";
    fs::create_directories(programs);
    fs::create_directories(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all);
    for (const char* program : {"Quillaro.scr", "Quillaro.dll"})
        fs::copy_file(fs::path(QUILLARO_BIN_DIR) / program, programs / program);
    writeWav(dir / "tone.wav", tone(440, 0.5));
    std::ofstream(programs / "Quillaro.ini")
        << "[Section]\nBGM区分=2\nBGMﾌｧｲﾙ=" << (dir / "tone.wav").string() << "\n";
    auto start = [&](const std::string& name, std::vector<std::string> args,
                     const std::string& env = {}) {
        ProcessOptions opts = xvfb.options(std::move(args));
        opts.setEnv = {{"DISPLAY", xvfb.display()},
                       {"XDG_CACHE_HOME", (dir / "cache").string()},
                       {"XDG_RUNTIME_DIR", (dir / "runtime").string()},
                       {"SDL_AUDIODRIVER", "disk"},
                       {"SDL_DISKAUDIOFILE", (dir / (name + ".raw")).string()}};
        if (!env.empty())
            opts.setEnv["XSCREENSAVER_WINDOW"] = env;
        opts.stderrFile = dir / (name + "-stderr.txt");
        return ChildProcess(programs / "Quillaro.scr", opts);
    };
    auto heard = [&](const std::string& name) {
        std::error_code ec;
        const auto size = fs::file_size(dir / (name + ".raw"), ec);
        return ec ? 0 : size;
    };
    HostWindow left(xvfb.display(), 0, 0, 640, 480), right(xvfb.display(), 640, 0, 640, 480);
    HostWindow pane(xvfb.display(), 100, 300, 160, 120); // a settings program's preview
    left.leaveScreenshot(0x00ffff);
    right.leaveScreenshot(0xff00ff);

    // The pane's copy is the first, and still must not play music.
    ChildProcess preview = start("pane", {"--window-id", std::to_string(pane.id())});
    ASSERT_TRUE(xvfb.waitForWindow("Lumivane_VC", 60s)) << readFile(dir / "pane-stderr.txt");
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", right.id());
    ChildProcess first = start("left", {"--root"}, std::to_string(left.id()));
    ChildProcess second = start("right", {"-window-id", hex});

    // Each renderer moves into its own host window, at the host's size.
    std::map<unsigned long, unsigned long> rendererIn;
    ASSERT_TRUE(eventually(
        [&] {
            rendererIn.clear();
            for (unsigned long w : xvfb.findWindows("Lumivane_VC")) {
                Window root = 0, parent = 0, *children = nullptr;
                unsigned count = 0;
                if (XQueryTree(left.display(), w, &root, &parent, &children, &count) && children)
                    XFree(children);
                rendererIn[parent] = w;
            }
            return rendererIn.count(left.id()) + rendererIn.count(right.id()) +
                       rendererIn.count(pane.id()) ==
                   3;
        },
        60s))
        << readFile(dir / "left-stderr.txt") << readFile(dir / "right-stderr.txt");
    XWindowAttributes attrs{};
    // Every copy hands its own picture over (beside them: the music's lock).
    EXPECT_EQ(std::distance(fs::directory_iterator(handoffs), fs::directory_iterator()), 4);

    // Each monitor's floor carries that monitor's screenshot, and not the other's.
    RgbImage screen;
    EXPECT_TRUE(waitForBothFloors(xvfb, screen));
    EXPECT_EQ(floorPixels(screen, 640, 640, true) + floorPixels(screen, 0, 640, false), 0);
    XvfbServer::savePng(screen,
                        fs::path(QUILLARO_BIN_DIR).parent_path() / "tests" / "display-mode.png");

    // Music once per blanking: one of the monitors' copies, never the pane's.
    EXPECT_TRUE(eventually([&] { return heard("left") + heard("right") > 0; }, 60s));
    EXPECT_EQ(heard("pane"), 0u);
    EXPECT_NE(heard("left") > 0, heard("right") > 0) << heard("left") << " and " << heard("right");

    // The renderer follows its window's size.
    pane.resize(240, 180);
    EXPECT_TRUE(eventually(
        [&] {
            XGetWindowAttributes(left.display(), rendererIn[pane.id()], &attrs);
            return attrs.width == 240 && attrs.height == 180;
        },
        60s));

    // SIGTERM ends a copy with its renderer; so does the end of its window.
    first.signal(SIGTERM);
    right.destroy();
    for (ChildProcess* copy : {&first, &second}) {
        auto ended = copy->waitFor(30s);
        ASSERT_TRUE(ended);
        EXPECT_TRUE(ended->exited && ended->code == 0);
    }
    EXPECT_TRUE(eventually([&] { return xvfb.findWindows("Lumivane_VC").size() == 1; }, 30s));
    EXPECT_TRUE(preview.running());
    preview.signal(SIGTERM);
    EXPECT_TRUE(preview.waitFor(30s));
    EXPECT_TRUE(xvfb.waitForNoWindow("Lumivane_VC", 30s));
    EXPECT_EQ(std::distance(fs::directory_iterator(handoffs), fs::directory_iterator()),
              1); // the lock's
}

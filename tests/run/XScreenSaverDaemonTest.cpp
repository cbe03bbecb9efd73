// The saver under the real xscreensaver daemon on a two-monitor X server, as a user who is not
// root (the daemon runs no display program for root): activating blanks both monitors with a
// copy of Quillaro each, deactivating leaves no Quillaro process behind.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "ChildProcess.h"
#include "DisplayModeCheck.h"
#include "FileText.h"
#include "TempDir.h"

#include <fstream>
#include <unistd.h>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(XScreenSaverDaemon, BlanksEachMonitorWithQuillaroAndUnblankingEndsEveryCopy) {
    if (::access("/usr/bin/xscreensaver", X_OK) != 0 ||
        ::access("/usr/bin/xscreensaver-command", X_OK) != 0)
        GTEST_SKIP() << "xscreensaver is not installed here (scripts/setup installs it)";
    XvfbServer xvfb(1280, 480);
    xvfb.splitIntoTwoMonitors();
    RgbImage desktop{1280, 480, {}}; // cyan on the left monitor, magenta on the right
    for (int i = 0; i < 1280 * 480; ++i)
        desktop.rgb.insert(desktop.rgb.end(), {std::uint8_t(i % 1280 < 640 ? 0 : 255),
                                               std::uint8_t(i % 1280 < 640 ? 255 : 0), 255});
    xvfb.setRootPicture(desktop);

    // The programs lie where that user can run them; the home folder is that user's.
    TempDir dir;
    const fs::path programs = dir / "programs", home = dir / "home";
    fs::create_directories(programs);
    fs::create_directories(home);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    for (const char* program : {"Quillaro.scr", "Quillaro.dll"})
        fs::copy_file(fs::path(QUILLARO_BIN_DIR) / program, programs / program);
    std::ofstream(home / ".xscreensaver")
        << "mode: one\nselected: 0\nlock: False\nfade: False\nunfade: False\nsplash: False\n"
        << "grabDesktopImages: True\ntimeout: 1:00:00\nprograms: "
        << (programs / "Quillaro.scr").string() << " --root\n";
    const bool asRoot = ::geteuid() == 0;
    for (const fs::path& owned : {home, home / ".xscreensaver"})
        ASSERT_TRUE(!asRoot || ::chown(owned.c_str(), 65534, 65534) == 0);
    auto asUser = [&](std::vector<std::string> command) {
        ProcessOptions opts = xvfb.options(std::move(command));
        if (asRoot)
            opts.args.insert(opts.args.begin(), {"/usr/bin/setpriv", "--reuid=65534",
                                                 "--regid=65534", "--clear-groups"});
        opts.setEnv["HOME"] = home.string();
        opts.setEnv["XDG_CACHE_HOME"] = (home / ".cache").string();
        opts.setEnv["SDL_AUDIODRIVER"] = "dummy";
        opts.unsetEnv = {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "DBUS_SESSION_BUS_ADDRESS"};
        opts.stderrFile = dir / "stderr.txt";
        const fs::path program = opts.args.front();
        opts.args.erase(opts.args.begin());
        return std::make_pair(program, opts);
    };
    auto command = [&](const std::string& what) {
        auto [program, opts] = asUser({"/usr/bin/xscreensaver-command", what});
        ExitStatus status;
        runAndCapture(program, opts, 20s, &status);
        return status.exited && status.code == 0;
    };
    auto quillaroProcesses = [&] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::error_code ec;
            count += fs::read_symlink(entry.path() / "exe", ec).parent_path() == programs;
        }
        return count;
    };

    auto [daemonProgram, daemonOptions] = asUser({"/usr/bin/xscreensaver", "-no-splash"});
    ChildProcess daemon(daemonProgram, daemonOptions);
    ASSERT_TRUE(eventually([&] { return command("-time"); }, 60s)) << readFile(dir / "stderr.txt");
    ASSERT_TRUE(command("-activate"));
    // Both monitors show a scene whose floor carries that monitor's own desktop.
    RgbImage screen;
    EXPECT_TRUE(waitForBothFloors(xvfb, screen)) << readFile(dir / "stderr.txt");
    XvfbServer::savePng(screen,
                        fs::path(QUILLARO_BIN_DIR).parent_path() / "tests" / "xscreensaver.png");
    EXPECT_EQ(xvfb.findWindows("Lumivane_VC").size(), 2u);
    EXPECT_EQ(quillaroProcesses(), 4); // a saver and a renderer per monitor

    ASSERT_TRUE(command("-deactivate"));
    EXPECT_TRUE(eventually([&] { return quillaroProcesses() == 0; }, 60s)) << quillaroProcesses();
    command("-exit");
    EXPECT_TRUE(daemon.waitFor(20s));
}

// The saver under the real xscreensaver daemon, on a two-monitor X server, as a user who is not
// root (the daemon runs no display program for root): the daemon blanks both monitors with a
// copy of Quillaro each, and unblanking leaves no Quillaro process behind.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "ChildProcess.h"
#include "FileText.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <dirent.h>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* RendererTitle = "Lumivane_VC";
constexpr auto StartTimeout = 60s;
constexpr uid_t Nobody = 65534;

// Processes running a program of the folder.
int processesFrom(const fs::path& folder) {
    int count = 0;
    std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    while (dirent* entry = readdir(proc.get())) {
        std::error_code ec;
        const fs::path exe = fs::read_symlink(fs::path("/proc") / entry->d_name / "exe", ec);
        count += !ec && exe.parent_path() == folder;
    }
    return count;
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// Pixels of the half whose colour only a floor carrying that flat desktop colour gives (the
// solids always have red and green in them): cyan on the left, magenta on the right.
int floorPixels(const RgbImage& image, bool left) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = left ? 0 : image.width / 2; x < (left ? image.width / 2 : image.width); ++x) {
            const std::uint8_t* p = image.at(x, y);
            count +=
                left ? p[0] < 20 && p[1] > 80 && p[2] > 80 : p[1] < 20 && p[0] > 80 && p[2] > 80;
        }
    return count;
}

} // namespace

TEST(XScreenSaverDaemon, BlanksEachMonitorWithQuillaroAndUnblankingEndsEveryCopy) {
    if (::access("/usr/bin/xscreensaver", X_OK) != 0 ||
        ::access("/usr/bin/xscreensaver-command", X_OK) != 0)
        GTEST_SKIP() << "xscreensaver is not installed here (scripts/setup installs it)";
    XvfbServer xvfb(1280, 480);
    xvfb.splitIntoTwoMonitors();
    RgbImage desktop{1280, 480, {}};
    for (int i = 0; i < 1280 * 480; ++i) {
        const bool left = i % 1280 < 640;
        desktop.rgb.insert(desktop.rgb.end(),
                           {std::uint8_t(left ? 0 : 255), std::uint8_t(left ? 255 : 0), 255});
    }
    xvfb.setRootPicture(desktop);

    // The daemon and the programs it starts run as a user who can read the programs and owns
    // the home folder; root is refused.
    TempDir dir;
    const fs::path programs = dir / "programs", home = dir / "home";
    fs::create_directories(programs);
    fs::create_directories(home);
    fs::permissions(dir.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    for (const char* program : {"Quillaro.scr", "Quillaro.dll"})
        fs::copy_file(fs::path(QUILLARO_BIN_DIR) / program, programs / program);
    std::ofstream(home / ".xscreensaver")
        << "mode:\tone\nselected:\t0\nlock:\tFalse\nfade:\tFalse\nunfade:\tFalse\nsplash:\tFalse\n"
        << "dpmsEnabled:\tFalse\ngrabDesktopImages:\tTrue\ntimeout:\t1:00:00\n"
        << "programs:\t" << (programs / "Quillaro.scr").string() << " --root\n";
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && ::chown(home.c_str(), Nobody, Nobody) != 0)
        FAIL() << "cannot give the home folder to the unprivileged user";
    if (asRoot && ::chown((home / ".xscreensaver").c_str(), Nobody, Nobody) != 0)
        FAIL() << "cannot give the settings to the unprivileged user";

    auto asUser = [&](std::vector<std::string> command) {
        ProcessOptions opts = xvfb.options();
        if (asRoot) {
            opts.args = {"--reuid=65534", "--regid=65534", "--clear-groups"};
            opts.args.insert(opts.args.end(), command.begin(), command.end());
        } else {
            opts.args.assign(command.begin() + 1, command.end());
        }
        opts.setEnv["HOME"] = home.string();
        opts.setEnv["XDG_CACHE_HOME"] = (home / ".cache").string();
        opts.setEnv["SDL_AUDIODRIVER"] = "dummy";
        opts.unsetEnv = {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "DBUS_SESSION_BUS_ADDRESS"};
        opts.stderrFile = dir / ("stderr-" + fs::path(command[0]).filename().string() + ".txt");
        return std::make_pair(asRoot ? fs::path("/usr/bin/setpriv") : fs::path(command[0]), opts);
    };
    auto command = [&](const std::string& what) {
        auto [program, opts] = asUser({"/usr/bin/xscreensaver-command", what});
        ExitStatus status;
        runAndCapture(program, opts, 20s, &status);
        return status.exited && status.code == 0;
    };

    auto [daemonProgram, daemonOptions] = asUser({"/usr/bin/xscreensaver", "-no-splash"});
    ChildProcess daemon(daemonProgram, daemonOptions);
    ASSERT_TRUE(eventually([&] { return command("-time"); }, StartTimeout))
        << readFile(dir / "stderr-xscreensaver.txt");

    ASSERT_TRUE(command("-activate"));
    ASSERT_TRUE(
        eventually([&] { return xvfb.findWindows(RendererTitle).size() == 2; }, StartTimeout))
        << readFile(dir / "stderr-xscreensaver.txt");
    // Both monitors show a scene whose floor carries that monitor's own desktop.
    RgbImage screen;
    EXPECT_TRUE(eventually(
        [&] {
            screen = xvfb.grabRoot();
            return floorPixels(screen, true) > 2000 && floorPixels(screen, false) > 2000;
        },
        StartTimeout))
        << floorPixels(screen, true) << " and " << floorPixels(screen, false);
    XvfbServer::savePng(screen, fs::path(QUILLARO_BIN_DIR).parent_path() / "tests" /
                                    "xscreensaver-two-monitors.png");
    EXPECT_EQ(processesFrom(programs), 4); // a saver and a renderer per monitor

    ASSERT_TRUE(command("-deactivate"));
    EXPECT_TRUE(eventually([&] { return processesFrom(programs) == 0; }, StartTimeout))
        << processesFrom(programs) << " Quillaro processes left";
    EXPECT_TRUE(xvfb.findWindows(RendererTitle).empty());
    command("-exit");
    EXPECT_TRUE(daemon.waitFor(20s));
}

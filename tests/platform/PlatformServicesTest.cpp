#include "TempDir.h"
#include "platform/DetachedProgramStarter.h"
#include "platform/PrivateFolderCreator.h"
#include "platform/QtProgramEnd.h"

#include <QCoreApplication>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <pthread.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quillaro;
using quillaro::test::TempDir;

namespace {

mode_t modeOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Polls for a file with content, so a slow machine only makes the test slower.
std::string waitForContent(const std::filesystem::path& path, std::chrono::seconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(path);
        std::string text;
        if (std::getline(in, text) && !text.empty())
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

} // namespace

TEST(PrivateFolder, CreatesTheFolderAndItsParentsMode0700) {
    TempDir dir;
    auto folder = dir / "cache" / "deeper" / "v_kord";
    mode_t oldMask = umask(0);
    EXPECT_TRUE(createPrivateFolder(folder));
    umask(oldMask);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(dir / "cache"), 0700u);
    EXPECT_TRUE(createPrivateFolder(folder)) << "an existing folder of ours is fine";
    EXPECT_TRUE(createPrivateFolder(folder.string() + "/"));
}

TEST(PrivateFolder, TakesWriteAccessAwayFromOthers) {
    TempDir dir;
    auto folder = dir / "v_kord";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    EXPECT_TRUE(createPrivateFolder(folder));
    EXPECT_EQ(modeOf(folder), 0755u);
}

TEST(PrivateFolder, SymbolicLinkOrFileUnderTheNameFails) {
    TempDir dir;
    std::filesystem::create_directory(dir / "elsewhere");
    std::filesystem::create_directory_symlink(dir / "elsewhere", dir / "v_kord");
    EXPECT_FALSE(createPrivateFolder(dir / "v_kord"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "v_kord"));

    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(createPrivateFolder(dir / "file"));
    EXPECT_FALSE(createPrivateFolder(dir / "file" / "v_kord"));
    EXPECT_FALSE(createPrivateFolder(""));
}

TEST(PrivateFolder, AFolderOfAnotherUserFails) {
    TempDir dir;
    auto folder = dir / "v_kord";
    std::filesystem::create_directory(folder);
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(createPrivateFolder(folder));
}

// The program starts as a new program would: in a process group of its own, with no signal
// blocked or ignored whatever the saver did with them, and once it has ended it is no zombie of
// ours.
TEST(DetachedProgramStarter, StartsTheProgramOnItsOwnAndLeavesNoZombie) {
    TempDir dir;
    auto status = dir / "status";
    sigset_t blocked, before;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &before), 0);
    auto oldUsr2 = std::signal(SIGUSR2, SIG_IGN);
    DetachedProgramStarter starter;
    auto pid = starter.startProgram(
        "/bin/sh", {"-c", "exec cat /proc/self/stat /proc/self/status > " + status.string()});
    std::signal(SIGUSR2, oldUsr2);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ASSERT_TRUE(pid.has_value());
    EXPECT_GT(*pid, 0);

    ASSERT_FALSE(waitForContent(status, std::chrono::seconds(30)).empty());
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (starter.isRunning(*pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(status);
    std::string stat;
    std::getline(in, stat);
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string state;
    long parent = 0, group = 0, session = 0;
    fields >> state >> parent >> group >> session;
    EXPECT_EQ(group, *pid) << "a process group of its own";
    EXPECT_EQ(session, getsid(0)) << "in the saver's session";
    // The masks are hexadecimal, signal n in bit n - 1.
    std::map<std::string, unsigned long long> masks;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("SigBlk:", 0) == 0 || line.rfind("SigIgn:", 0) == 0)
            masks[line.substr(0, 6)] = std::stoull(line.substr(7), nullptr, 16);
    ASSERT_EQ(masks.count("SigBlk"), 1u);
    EXPECT_EQ(masks["SigBlk"], 0u) << "nothing blocked";
    EXPECT_EQ(masks["SigIgn"] & (1ull << (SIGUSR1 - 1)), 0u);
    EXPECT_EQ(masks["SigIgn"] & (1ull << (SIGUSR2 - 1)), 0u) << "what the saver ignores is not";

    // Reaped by the saver as soon as it has ended, so no zombie stays behind.
    while (std::filesystem::exists("/proc/" + std::to_string(*pid)) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(*pid)));
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(DetachedProgramStarter, PassesArgumentsAsTheyAre) {
    TempDir dir;
    auto out = dir / "args";
    DetachedProgramStarter starter;
    ASSERT_TRUE(starter.startProgram(
        "/bin/sh", {"-c", "printf '%s|' \"$@\" > " + out.string(), "sh", "a b", "", "ü"}));
    EXPECT_EQ(waitForContent(out, std::chrono::seconds(30)), "a b||ü|");
}

TEST(DetachedProgramStarter, TellsWhetherTheStartedProgramIsStillThere) {
    DetachedProgramStarter starter;
    auto pid = starter.startProgram("/bin/sleep", {"60"});
    ASSERT_TRUE(pid.has_value());
    EXPECT_TRUE(starter.isRunning(*pid));
    ASSERT_EQ(kill(static_cast<pid_t>(*pid), SIGKILL), 0);
    // Ended, whether or not the system has reaped it yet.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (starter.isRunning(*pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(starter.isRunning(*pid));
    EXPECT_FALSE(starter.isRunning(0));
    EXPECT_FALSE(starter.isRunning(-1));
}

TEST(DetachedProgramStarter, AProgramThatCannotStartGivesNoPid) {
    TempDir dir;
    DetachedProgramStarter starter;
    EXPECT_FALSE(starter.startProgram(dir / "Quillaro.dll", {}).has_value());
    std::ofstream(dir / "not-executable") << "x";
    EXPECT_FALSE(starter.startProgram(dir / "not-executable", {}).has_value());
}

// Once the end is asked for inside the loop, nothing queued behind it may run: a timer that
// falls due or an event already posted would otherwise act on a program that has ended.
TEST(QtProgramEnd, NothingQueuedRunsAfterTheEnd) {
    int argc = 1;
    char name[] = "PlatformServicesTest";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QtProgramEnd end;
    int late = 0;
    QObject receiver;
    // Both are queued before the loop runs, so the loop takes them in one batch.
    QMetaObject::invokeMethod(
        &receiver,
        [&] {
            end.endProgram(3);
            end.endProgram(5); // the first end stands
        },
        Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        &receiver, [&] { ++late; }, Qt::QueuedConnection);
    QTimer::singleShot(0, &receiver, [&] { ++late; });
    EXPECT_EQ(app.exec(), 3);
    EXPECT_TRUE(end.requested());
    EXPECT_EQ(end.exitCode(), 3);
    EXPECT_EQ(late, 0);
    end.allowTeardown();
}

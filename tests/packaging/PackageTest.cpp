// Packs the build with CPack and reads the package back with dpkg-deb: the files a Debian user
// gets, where they go, and the control fields apt relies on. Nothing is installed.
#include "ChildProcess.h"
#include "FileText.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace quillaro::test;

namespace {

struct Entry {
    std::string mode;
    std::string path;
};

// dpkg-deb -c lines: "-rwxr-xr-x root/root 236 2026-12-08 07:36 ./usr/bin/quillaro".
std::map<std::string, Entry> contents(const std::string& listing) {
    std::map<std::string, Entry> entries;
    std::istringstream lines(listing);
    std::string mode, owner, size, date, time, path;
    while (lines >> mode >> owner >> size >> date >> time >> path)
        entries[path.substr(1)] = {mode, path};
    return entries;
}

ProcessOptions withArgs(std::vector<std::string> args) {
    ProcessOptions options;
    options.args = std::move(args);
    return options;
}

} // namespace

TEST(Package, HoldsBothProgramsTheCommandTheMenuEntryAndItsDocuments) {
    TempDir out;
    ExitStatus status;
    runAndCapture(
        QUILLARO_CPACK_COMMAND,
        withArgs({"--config", QUILLARO_BUILD_DIR "/CPackConfig.cmake", "-B", out.path().string()}),
        std::chrono::seconds(120), &status);
    ASSERT_TRUE(status.exited && status.code == 0);
    const std::string deb = (out / "quillaro_" QUILLARO_VERSION "_amd64.deb").string();
    ASSERT_TRUE(std::filesystem::is_regular_file(deb)) << deb;

    auto files = contents(runAndCapture("/usr/bin/dpkg-deb", withArgs({"-c", deb})));
    const std::map<std::string, std::string> expected = {
        {"/usr/lib/quillaro/Quillaro.scr", "-rwxr-xr-x"},
        {"/usr/lib/quillaro/Quillaro.dll", "-rwxr-xr-x"},
        {"/usr/bin/quillaro", "-rwxr-xr-x"},
        {"/usr/share/applications/quillaro-settings.desktop", "-rw-r--r--"},
        {"/usr/share/icons/hicolor/32x32/apps/quillaro.png", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/README.md", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/docs/screenshot.png", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/docs/dialog.png", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/docs/xscreensaver.png", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/docs/two-monitors.png", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/copyright", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/changelog.gz", "-rw-r--r--"},
        {"/usr/share/doc/quillaro/examples/quillaro-xss-lock.desktop", "-rw-r--r--"},
        {"/usr/share/man/man1/quillaro.1.gz", "-rw-r--r--"},
        {"/usr/libexec/xscreensaver/quillaro", "-rwxr-xr-x"},
        {"/usr/share/xscreensaver/config/quillaro.xml", "-rw-r--r--"},
        {"/usr/share/applications/screensavers/quillaro.desktop", "-rw-r--r--"},
    };
    for (const auto& [path, mode] : expected) {
        ASSERT_TRUE(files.count(path)) << path << " is missing";
        EXPECT_EQ(files[path].mode, mode) << path;
    }
    for (const auto& [path, entry] : files) {
        EXPECT_EQ(path.rfind("/usr/", 0), 0u) << path << " lies outside /usr";
        if (entry.mode[0] == 'd') {
            EXPECT_EQ(entry.mode, "drwxr-xr-x") << path;
        }
    }
    // Nothing of a portable install comes along: the programs live only in /usr/lib/quillaro.
    EXPECT_FALSE(files.count("/usr/Quillaro.scr"));

    // The menu entry's icon is a 32 x 32 PNG (its header's width and height, big-endian).
    const std::string icon =
        runAndCapture("/bin/sh", withArgs({"-c",
                                           "dpkg-deb --fsys-tarfile \"$0\" | tar -xO "
                                           "./usr/share/icons/hicolor/32x32/apps/quillaro.png",
                                           deb}));
    ASSERT_GE(icon.size(), 24u);
    EXPECT_EQ(icon.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\0\x20\0\0\0\x20", 8));

    auto field = [&](const char* name) {
        std::string value = runAndCapture("/usr/bin/dpkg-deb", withArgs({"-f", deb, name}));
        return value.substr(0, value.find_last_not_of('\n') + 1);
    };
    EXPECT_EQ(field("Package"), "quillaro");
    EXPECT_EQ(field("Version"), QUILLARO_VERSION);
    EXPECT_EQ(field("Architecture"), "amd64");
    EXPECT_NE(field("Maintainer").find('@'), std::string::npos);
    const std::string description = field("Description");
    EXPECT_NE(description.find('\n'), std::string::npos) << "a long description follows";
    // The libraries the programs link, found by dpkg-shlibdeps, and what is found at run time:
    // the font, and the sound libraries loaded at the first sound.
    const std::string depends = field("Depends");
    for (const char* package :
         {"fonts-ipafont-gothic", "libqt6widgets6", "libsdl2-2.0-0", "libsdl2-mixer-2.0-0",
          "libcdio-paranoia2", "libglut3.12", "libx11-6"})
        EXPECT_NE(depends.find(package), std::string::npos) << package << " in " << depends;
}

TEST(Package, TheCommandAndTheMenuEntryStartTheInstalledSaver) {
    const std::string source = QUILLARO_SOURCE_DIR "/packaging/";
    const std::string command = readFile(source + "quillaro");
    EXPECT_NE(command.find("exec -a \"$0\" /usr/lib/quillaro/Quillaro.scr \"$@\""),
              std::string::npos);
    const std::string entry = readFile(source + "quillaro-settings.desktop");
    EXPECT_NE(entry.find("\nName=Quillaro settings\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=quillaro /c\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=quillaro\n"), std::string::npos);
}

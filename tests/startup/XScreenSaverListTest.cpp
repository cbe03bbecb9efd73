// Adding Quillaro to the user's xscreensaver list: on files as xscreensaver writes them, on a
// user without a file, and twice in a row.
#include "startup/XScreenSaverList.h"

#include "ChildProcess.h"
#include "FileText.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillaro;
using namespace quillaro::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* UserFile = "# XScreenSaver Preferences File\n"
                                 "timeout:\t0:07:00\n"
                                 "lock:\t\tTrue\n"
                                 "programs:\t\t\t\t\t\t\t\t      \\\n"
                                 "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
                                 "- GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
                                 "\t\t\t\tqix -root -solid\t\t\t      \\\n"
                                 "\t\t\t\t  -segments 100\t\t\t    \\n\\\n"
                                 "\n"
                                 "\n"
                                 "pointerHysteresis:\t10\n"
                                 "imageDirectory:\t/home/me/quillaro pictures\n";

} // namespace

TEST(XScreenSaverList, TheCommandAddsOneEntryKeepingEverythingElseAndNothingTheSecondTime) {
    TempDir dir;
    const fs::path file = dir / ".xscreensaver";
    writeFile(file, UserFile);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);

    // The program as the user runs it, without a display.
    ProcessOptions options;
    options.args = {"--xscreensaver"};
    options.setEnv["HOME"] = dir.path().string();
    options.unsetEnv = {"DISPLAY"};
    ExitStatus status;
    const std::string said =
        runAndCapture(fs::path(QUILLARO_BIN_DIR) / "Quillaro.scr", options, 20s, &status);
    EXPECT_TRUE(status.exited && status.code == 0) << said;
    EXPECT_NE(said.find("xscreensaver-settings"), std::string::npos) << said;
    const std::string once = readFile(file);
    runAndCapture(fs::path(QUILLARO_BIN_DIR) / "Quillaro.scr", options, 20s, &status);
    EXPECT_TRUE(status.exited && status.code == 0);
    EXPECT_EQ(readFile(file), once);

    // The file as it was, with the one entry first in the list and nothing else changed.
    std::string expected = UserFile;
    const std::string header = "programs:\t\t\t\t\t\t\t\t      \\\n";
    expected.insert(expected.find(header) + header.size(),
                    "  GL: \t\t\t\tquillaro --root\t\t\t\t    \\n\\\n");
    EXPECT_EQ(once, expected);
    // Its mode is kept: the file may hold what the user wants private.
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // A folder named quillaro is no entry; a program's path ending in quillaro is.
    EXPECT_TRUE(WithQuillaroListed("imageDirectory:\t/home/me/quillaro\nprograms:\tqix -root\n"));
    EXPECT_FALSE(WithQuillaroListed("programs: \\\n- GL: /usr/libexec/xscreensaver/quillaro "
                                    "--root \\n\\\n  maze -root\n"));
}

TEST(XScreenSaverList, AUserWithoutAFileGetsTheDefaultProgramsAndQuillaro) {
    TempDir dir;
    writeFile(dir / "XScreenSaver", "*timeout:\t0:10:00\n*programs:\t\\\n\tmaze -root\t\\n\\\n\n"
                                    "*pointerHysteresis:\t10\n");
    EXPECT_EQ(AddToXScreenSaver(dir / ".xscreensaver", dir / "XScreenSaver"), ListOutcome::Added);
    const std::string made = readFile(dir / ".xscreensaver");
    // Only the list: every other setting stays xscreensaver's default.
    EXPECT_EQ(made.substr(made.find('\n') + 1), "programs:\t\t\t\t\t\t\t\t      \\\n"
                                                "  GL: \t\t\t\tquillaro --root\t\t\t\t    \\n\\\n"
                                                "\tmaze -root\t\\n\\\n\n");
}

#include "settings/SettingsLocation.h"

#include "FileText.h"
#include "TempDir.h"
#include "platform/PosixFolderAccess.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillaro;
using namespace quillaro::test;

namespace {

// The program folder's writability as a test decides it, whoever runs the test.
struct FakeAccess : FolderAccess {
    bool writable = true;
    bool canWrite(const std::filesystem::path&) const override { return writable; }
};

class SettingsLocationTest : public ::testing::Test {
protected:
    TempDir program;
    TempDir home;
    FakeAccess access;
    std::string folder = program.path().string();
    std::string beside = (program / "Quillaro.ini").string();
    std::string config = (home / "config").string();
    std::string personal = (home / "config" / "quillaro" / "Quillaro.ini").string();

    SettingsLocation locate(const char* xdg) {
        return locateSettings(folder, access, xdg, home.path().c_str());
    }
};

} // namespace

TEST_F(SettingsLocationTest, AWritableProgramFolderKeepsTheFileBesideTheProgram) {
    std::filesystem::create_directories(home / "config" / "quillaro");
    writeFile(personal, "[Section]\nBGM区分=1\n"); // even when the user has a file of their own
    SettingsLocation where = locate(config.c_str());
    EXPECT_EQ(where.readFile, beside);
    EXPECT_EQ(where.writeFile, beside);
    EXPECT_EQ(where.personalFolder, "");
    EXPECT_TRUE(prepareSettingsFolder(where));
    EXPECT_FALSE(std::filesystem::exists(program / "quillaro"));

    // No program folder known: no file at all, never one in the root folder.
    EXPECT_EQ(locateSettings("", access, config.c_str(), home.path().c_str()).readFile, "");
}

TEST_F(SettingsLocationTest, AReadOnlyProgramFolderSendsTheUserToTheirOwnFile) {
    access.writable = false;
    writeFile(beside, "[Section]\nBGM区分=1\nBGMﾘﾋﾟｰﾄ=4\n"); // the administrator's defaults

    // No file of the user's own yet: the defaults are read, the user's file is where to write.
    SettingsLocation where = locate(config.c_str());
    EXPECT_EQ(where.readFile, beside);
    EXPECT_EQ(where.writeFile, personal);
    EXPECT_EQ(where.personalFolder, config + "/quillaro");
    ASSERT_TRUE(prepareSettingsFolder(where));
    struct stat info {};
    ASSERT_EQ(stat(where.personalFolder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    WriteIniString("Section", "BGM区分", "0", where.writeFile);
    EXPECT_EQ(readFile(beside), "[Section]\nBGM区分=1\nBGMﾘﾋﾟｰﾄ=4\n"); // left alone

    // Once the user has a file, it alone is read; the defaults no longer show through.
    where = locate(config.c_str());
    EXPECT_EQ(where.readFile, personal);
    EXPECT_EQ(ReadIniString("Section", "BGM区分", where.readFile), "0");
    EXPECT_EQ(ReadIniString("Section", "BGMﾘﾋﾟｰﾄ", where.readFile), "");

    // A relative XDG_CONFIG_HOME is ignored for HOME/.config, as the XDG rules say.
    EXPECT_EQ(locate("relative/config").writeFile,
              (home / ".config" / "quillaro" / "Quillaro.ini").string());
}

TEST_F(SettingsLocationTest, AnUnwritableConfigFolderLosesTheWriteAndNothingElse) {
    access.writable = false;
    writeFile(beside, "[Section]\nBGM区分=1\n");
    writeFile(home / "blocker", "a file where the configuration folder should be");
    const std::string blocked = (home / "blocker").string();
    SettingsLocation where = locate(blocked.c_str());
    EXPECT_EQ(where.readFile, beside);
    EXPECT_FALSE(prepareSettingsFolder(where));
    WriteIniString("Section", "BGM区分", "2", where.writeFile); // fails, reported to no one
    EXPECT_FALSE(std::filesystem::exists(where.writeFile));
    EXPECT_EQ(readFile(beside), "[Section]\nBGM区分=1\n");
}

TEST_F(SettingsLocationTest, ThePackagedInstallKeepsEvenRootOutOfItsFolder) {
    access.writable = true; // root may write anywhere
    TempDir etc;
    const PackagePlaces package{folder + "/", (etc / "Quillaro.ini").string()};
    auto locatePackaged = [&] {
        return locateSettings(folder, access, nullptr, home.path().c_str(), package);
    };
    const std::string own = (home / ".config" / "quillaro" / "Quillaro.ini").string();

    // Nothing anywhere yet: the file named for reading is the one the dialog will save.
    SettingsLocation where = locatePackaged();
    EXPECT_EQ(where.writeFile, own);
    EXPECT_EQ(where.readFile, own);
    // Defaults: an earlier install's file beside the program, then the administrator's.
    writeFile(beside, "[Section]\nBGM区分=1\n");
    EXPECT_EQ(locatePackaged().readFile, beside);
    writeFile(package.defaultsFile, "[Section]\nBGM区分=2\n");
    where = locatePackaged();
    EXPECT_EQ(ReadIniString("Section", "BGM区分", where.readFile), "2");

    ASSERT_TRUE(prepareSettingsFolder(where));
    WriteIniString("Section", "BGM区分", "0", where.writeFile);
    EXPECT_EQ(locatePackaged().readFile, own);
    EXPECT_EQ(readFile(beside), "[Section]\nBGM区分=1\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(program.path()), {}), 1);
}

TEST(PosixFolderAccess, JudgesFoldersAsTheKernelDoes) {
    TempDir dir;
    PosixFolderAccess access;
    EXPECT_TRUE(access.canWrite(dir.path()));
    EXPECT_FALSE(access.canWrite(dir / "missing"));
    writeFile(dir / "file", "x");
    EXPECT_FALSE(access.canWrite(dir / "file"));
    EXPECT_FALSE(access.canWrite(""));
    if (geteuid() != 0) { // the administrator may write anywhere, as on a packaged install
        ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
        EXPECT_FALSE(access.canWrite(dir.path()));
        chmod(dir.path().c_str(), 0700);
    }
}

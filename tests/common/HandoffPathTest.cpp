#include "common/HandoffPath.h"

#include "TempDir.h"
#include "common/PrivateFolder.h"

#include <fstream>
#include <gtest/gtest.h>

using quillaro::workingFolderFor;

TEST(HandoffPath, UsesAbsoluteXdgCacheHome) {
    EXPECT_EQ(workingFolderFor("/var/cache/me", "/home/me"), "/var/cache/me/v_kord");
}

TEST(HandoffPath, FallsBackToHomeCacheWhenXdgUnsetEmptyOrRelative) {
    EXPECT_EQ(workingFolderFor(nullptr, "/home/me"), "/home/me/.cache/v_kord");
    EXPECT_EQ(workingFolderFor("", "/home/me"), "/home/me/.cache/v_kord");
    EXPECT_EQ(workingFolderFor("relative/cache", "/home/me"), "/home/me/.cache/v_kord");
}

TEST(HandoffPath, WithoutHomeAsksThePasswordDatabase) {
    auto folder = workingFolderFor(nullptr, nullptr);
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_EQ(folder.filename(), "v_kord");
    EXPECT_EQ(folder.parent_path().filename(), ".cache");
}

TEST(HandoffPath, FileLiesInTheWorkingFolder) {
    setenv("XDG_CACHE_HOME", "/srv/c", 1);
    EXPECT_EQ(quillaro::handoffPath(), "/srv/c/v_kord/Lumivane.bmp");
    unsetenv("XDG_CACHE_HOME");
}

TEST(PrivateFolder, OnlyAFolderOfOursThatOthersCannotWriteCounts) {
    quillaro::test::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir / "ours");
    fs::permissions(dir / "ours", fs::perms::owner_all | fs::perms::group_read);
    EXPECT_TRUE(quillaro::isPrivateFolder(dir / "ours"));

    fs::create_directory(dir / "shared");
    fs::permissions(dir / "shared", fs::perms::owner_all | fs::perms::group_write);
    EXPECT_FALSE(quillaro::isPrivateFolder(dir / "shared"));
    fs::permissions(dir / "shared", fs::perms::owner_all | fs::perms::others_write);
    EXPECT_FALSE(quillaro::isPrivateFolder(dir / "shared"));

    fs::create_directory_symlink(dir / "ours", dir / "link");
    EXPECT_FALSE(quillaro::isPrivateFolder(dir / "link"));
    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(quillaro::isPrivateFolder(dir / "file"));
    EXPECT_FALSE(quillaro::isPrivateFolder(dir / "missing"));
    EXPECT_FALSE(quillaro::isPrivateFolder(""));
}

#include "HandoffPath.h"

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

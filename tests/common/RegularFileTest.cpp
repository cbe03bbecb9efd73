// Opening a file for reading only when it is a regular file, and saying why not otherwise.
#include "common/RegularFile.h"

#include "TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using quillaro::RegularFile;
using Problem = quillaro::RegularFile::Problem;

TEST(RegularFile, OpensOnlyRegularFilesAndSaysWhyNot) {
    quillaro::test::TempDir dir;
    std::ofstream(dir / "text") << "hello";
    auto file = RegularFile::open(dir / "text");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->info().st_size, 5);
    char read[8] = {};
    EXPECT_TRUE(file->readExactly(read, 5));
    EXPECT_STREQ(read, "hello");
    EXPECT_EQ(file->readSome(read, sizeof read), 0) << "at the end";

    EXPECT_EQ(RegularFile::open(dir / "gone").error(), Problem::Missing);
    EXPECT_EQ(RegularFile::open(dir.path()).error(), Problem::NotRegular);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(RegularFile::open(dir / "fifo").error(), Problem::NotRegular) << "without blocking";
    EXPECT_EQ(RegularFile::open(dir / "text" / "below").error(), Problem::Unreadable);
}

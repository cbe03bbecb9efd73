#include "settings/ProfileString.h"

#include "FileText.h"
#include "TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillaro;
using quillaro::test::readFile;
using quillaro::test::TempDir;
using quillaro::test::writeFile;

namespace {

std::string get(const std::filesystem::path& file, const char* section, const char* key,
                std::size_t size = 256, const char* fallback = "") {
    return getPrivateProfileString(section, key, fallback, size, file);
}

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class ProfileString : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path ini = dir / "Quillaro.ini";
};

} // namespace

TEST_F(ProfileString, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(get(ini, "Section", "key", 256, "dflt"), "dflt");
    writeFile(ini, "[Other]\nkey=1\n[Section]\nelse=2\n");
    EXPECT_EQ(get(ini, "Missing", "key", 256, "dflt"), "dflt");
    EXPECT_EQ(get(ini, "Section", "key", 256, "dflt"), "dflt");
    EXPECT_EQ(get(ini, "Section", "key"), "");
    EXPECT_EQ(get(ini, "Section", "key", 3, "default"), "de");
}

TEST_F(ProfileString, SectionAndKeyMatchWithoutRegardToCase) {
    writeFile(ini, "[SECTION]\nbgm区分=2\nCapture=1\n");
    EXPECT_EQ(get(ini, "Section", "BGM区分"), "2");
    EXPECT_EQ(get(ini, "section", "CAPTURE"), "1");
}

TEST_F(ProfileString, BlanksAroundNamesAndValuesDoNotCount) {
    writeFile(ini, "  [ Section ]  \n \t key \t=  some value \t\nempty=   \n");
    EXPECT_EQ(get(ini, "Section", "key"), "some value");
    EXPECT_EQ(get(ini, " Section ", " key "), "some value");
    EXPECT_EQ(get(ini, "Section", "empty", 256, "dflt"), "");
}

TEST_F(ProfileString, MatchingQuotesAreStripped) {
    writeFile(ini, "[Section]\n"
                   "double=\"/pics/my picture.jpg\"\n"
                   "single='x'\n"
                   "mixed=\"x'\n"
                   "lone=\"\n"
                   "inner=a\"b\"\n"
                   "blank=\"\"\n"
                   "padded=  \" kept blanks \"  \n");
    EXPECT_EQ(get(ini, "Section", "double"), "/pics/my picture.jpg");
    EXPECT_EQ(get(ini, "Section", "single"), "x");
    EXPECT_EQ(get(ini, "Section", "mixed"), "\"x'");
    EXPECT_EQ(get(ini, "Section", "lone"), "\"");
    EXPECT_EQ(get(ini, "Section", "inner"), "a\"b\"");
    EXPECT_EQ(get(ini, "Section", "blank"), "");
    EXPECT_EQ(get(ini, "Section", "padded"), " kept blanks ");
}

TEST_F(ProfileString, ReadIsCutToTheBufferSizeLessOneCharacter) {
    std::string longValue(300, 'v');
    longValue[254] = 'L';
    longValue[255] = 'X';
    writeFile(ini, "[Section]\nkey=" + longValue + "\n");
    std::string value = get(ini, "Section", "key", 256);
    ASSERT_EQ(value.size(), 255u);
    EXPECT_EQ(value.back(), 'L');
    EXPECT_EQ(get(ini, "Section", "key", 2), "v");
    EXPECT_EQ(get(ini, "Section", "key", 1), "");
    EXPECT_EQ(get(ini, "Section", "key", 0), "");

    // Characters, not bytes, and never half of one; a stray byte counts as one of its own.
    writeFile(ini, "[Section]\njp=画像ﾌｧｲﾙ\nstray=\xff画\xe7\x94x\n");
    EXPECT_EQ(get(ini, "Section", "jp", 4), "画像ﾌ");
    EXPECT_EQ(get(ini, "Section", "jp", 256), "画像ﾌｧｲﾙ");
    EXPECT_EQ(get(ini, "Section", "stray", 3), "\xff画");
    EXPECT_EQ(get(ini, "Section", "stray", 5), "\xff画\xe7\x94");
}

TEST_F(ProfileString, FirstOfDuplicateKeysAndSectionsWins) {
    writeFile(ini, "[Section]\nkey=first\nkey=second\n[Section]\nkey=third\nlate=found\n"
                   "[Section]\nlate=too late\n");
    EXPECT_EQ(get(ini, "Section", "key"), "first");
    EXPECT_EQ(get(ini, "Section", "late"), "found");
}

TEST_F(ProfileString, OnlyKeyLinesInsideTheSectionCount) {
    writeFile(ini, "key=before any section\n[Other]\nkey=other\n[Section]\n"
                   "key\n; key=comment\nnoequals here\nkey = mine\n");
    EXPECT_EQ(get(ini, "Section", "key"), "mine");
    EXPECT_EQ(get(ini, "Section", "noequals here", 256, "dflt"), "dflt");
}

TEST_F(ProfileString, ReadsCrLfFilesAndSkipsAByteOrderMark) {
    writeFile(ini, "\xEF\xBB\xBF[Section]\r\nkey=value\r\nlast=no line break");
    EXPECT_EQ(get(ini, "Section", "key"), "value");
    EXPECT_EQ(get(ini, "Section", "last"), "no line break");
}

TEST_F(ProfileString, KeepsBytesThatAreNotUtf8) {
    writeFile(ini, "[Section]\nk\xff=\x81\x40\xfe\n");
    EXPECT_EQ(get(ini, "Section", "k\xff"), "\x81\x40\xfe");
}

TEST_F(ProfileString, BinaryJunkGivesTheDefault) {
    std::mt19937 random(7);
    std::string junk(1 << 16, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    writeFile(ini, junk);
    EXPECT_EQ(get(ini, "Section", "key", 256, "dflt"), "dflt");
    EXPECT_TRUE(writePrivateProfileString("Section", "key", "v", ini));
    EXPECT_EQ(get(ini, "Section", "key"), "v");
    EXPECT_EQ(readFile(ini).substr(0, junk.size()), junk);
}

TEST_F(ProfileString, TenMegabyteFileIsReadAndWritten) {
    std::string filler;
    filler.reserve(10u << 20);
    while (filler.size() < (10u << 20))
        filler += "[Filler]\nsome=line without the key we look for\n";
    writeFile(ini, filler + "[Section]\nkey=at the end\n");
    EXPECT_EQ(get(ini, "Section", "key"), "at the end");
    EXPECT_TRUE(writePrivateProfileString("Section", "key", "changed", ini));
    EXPECT_EQ(readFile(ini), filler + "[Section]\nkey=changed\n");
}

// Ten million empty lines: the lookup must not hold a record per line (that took gigabytes).
TEST_F(ProfileString, MillionsOfShortLinesCostNoMoreThanTheFile) {
    const std::string filler(10u << 20, '\n');
    writeFile(ini, filler + "[Section]\nkey=at the end\n");
    const long peakBefore = peakResidentKilobytes();
    EXPECT_EQ(get(ini, "Section", "key"), "at the end");
    EXPECT_TRUE(writePrivateProfileString("Section", "key", "changed", ini));
    EXPECT_LT(peakResidentKilobytes() - peakBefore, 128L * 1024);
    EXPECT_EQ(readFile(ini), filler + "[Section]\nkey=changed\n");
}

TEST_F(ProfileString, FilesThatAreNotRegularAreNeverWaitedOn) {
    ASSERT_EQ(mkfifo(ini.c_str(), 0600), 0);
    EXPECT_EQ(get(ini, "Section", "key", 256, "dflt"), "dflt");
    EXPECT_FALSE(writePrivateProfileString("Section", "key", "v", ini));
    EXPECT_TRUE(std::filesystem::is_fifo(ini));

    auto folder = dir / "folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(get(folder, "Section", "key", 256, "dflt"), "dflt");
    EXPECT_FALSE(writePrivateProfileString("Section", "key", "v", folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(ProfileString, WriteCreatesTheFileSectionAndKey) {
    ASSERT_TRUE(writePrivateProfileString("Section", "ｷｬﾌﾟﾁｬｰ", "0", ini));
    EXPECT_EQ(readFile(ini), "[Section]\nｷｬﾌﾟﾁｬｰ=0\n");
    ASSERT_TRUE(writePrivateProfileString("Section", "画像ﾌｧｲﾙ", "/pics/a.jpg", ini));
    ASSERT_TRUE(writePrivateProfileString("Other", "x", "1", ini));
    EXPECT_EQ(readFile(ini), "[Section]\nｷｬﾌﾟﾁｬｰ=0\n画像ﾌｧｲﾙ=/pics/a.jpg\n[Other]\nx=1\n");
    EXPECT_EQ(get(ini, "Section", "画像ﾌｧｲﾙ"), "/pics/a.jpg");
}

TEST_F(ProfileString, WriteKeepsCommentsAndUnrelatedKeysByteForByte) {
    const std::string before = "; settings of the saver\r\n"
                               "[Other]\r\n"
                               "key = untouched  \r\n"
                               "\r\n"
                               "[SECTION]\r\n"
                               "  ; a comment inside\r\n"
                               "  BGM区分 =  1\r\n"
                               "stray line\r\n"
                               "BGMﾌｧｲﾙ=\"/music/a.mp3\"\r\n"
                               "\r\n"
                               "[Tail]\r\n"
                               "t=1";
    writeFile(ini, before);
    ASSERT_TRUE(writePrivateProfileString("Section", "BGM区分", "2", ini));
    std::string expected = before;
    expected.replace(expected.find("  BGM区分 =  1"), std::string("  BGM区分 =  1").size(),
                     "BGM区分=2");
    EXPECT_EQ(readFile(ini), expected);

    // A new key goes after the section's last line, before the blank line that ends it.
    ASSERT_TRUE(writePrivateProfileString("Section", "BGMﾘﾋﾟｰﾄ", "3", ini));
    expected.insert(expected.find("\r\n\r\n[Tail]") + 2, "BGMﾘﾋﾟｰﾄ=3\r\n");
    EXPECT_EQ(readFile(ini), expected);

    // A new section goes at the end, after the last line has been given its line break.
    ASSERT_TRUE(writePrivateProfileString("New", "n", "v", ini));
    EXPECT_EQ(readFile(ini), expected + "\r\n[New]\r\nn=v\r\n");
}

// Found by fuzzing: a last line that ends in a carriage return without its line feed (a file cut
// off in the middle of "\r\n") took the new key into its own value. Its line break is completed,
// so its own value stays as it read before.
TEST_F(ProfileString, WriteAfterALastLineEndingInABareCarriageReturnStartsANewLine) {
    writeFile(ini, "[Section]\r\npicture=/pics/sea.jpg\r");
    ASSERT_TRUE(writePrivateProfileString("Section", "music", "/music/a.mp3", ini));
    EXPECT_EQ(get(ini, "Section", "picture"), "/pics/sea.jpg");
    EXPECT_EQ(get(ini, "Section", "music"), "/music/a.mp3");
    ASSERT_TRUE(writePrivateProfileString("Other", "key", "v", ini));
    EXPECT_EQ(get(ini, "Other", "key"), "v");
    EXPECT_EQ(readFile(ini),
              "[Section]\r\npicture=/pics/sea.jpg\r\nmusic=/music/a.mp3\r\n[Other]\r\nkey=v\r\n");
}

TEST_F(ProfileString, WriteReplacesTheFirstOfDuplicateKeys) {
    writeFile(ini, "[Section]\nkey=1\nkey=2\n[section]\nKEY=3\n");
    ASSERT_TRUE(writePrivateProfileString("Section", "key", "x", ini));
    EXPECT_EQ(readFile(ini), "[Section]\nkey=x\nkey=2\n[section]\nKEY=3\n");
}

TEST_F(ProfileString, WriteRefusesTextThatWouldBreakTheLayout) {
    writeFile(ini, "[Section]\nkey=old\n");
    EXPECT_FALSE(writePrivateProfileString("Section", "key", "a\nb", ini));
    EXPECT_FALSE(writePrivateProfileString("Section", "key", "a\rb", ini));
    EXPECT_FALSE(writePrivateProfileString("Section", "key", std::string_view("a\0b", 3), ini));
    EXPECT_FALSE(writePrivateProfileString("Section", "k=y", "v", ini));
    EXPECT_FALSE(writePrivateProfileString("Sec]tion", "key", "v", ini));
    EXPECT_FALSE(writePrivateProfileString("Section", " ", "v", ini));
    EXPECT_FALSE(writePrivateProfileString("", "key", "v", ini));
    // Found by fuzzing: "[k=a]b" reads as a section header, so the value could never be read back.
    EXPECT_FALSE(writePrivateProfileString("Section", "[k", "a]b", ini));
    EXPECT_FALSE(writePrivateProfileString("Section", " [k", "v", ini));
    EXPECT_EQ(readFile(ini), "[Section]\nkey=old\n");
    EXPECT_TRUE(writePrivateProfileString("Section", "k[", "a]b", ini));
    EXPECT_EQ(get(ini, "Section", "k["), "a]b");
}

TEST_F(ProfileString, WriteKeepsPermissionsAndLeavesNoTemporaryFile) {
    writeFile(ini, "[Section]\nkey=old\n");
    ASSERT_EQ(chmod(ini.c_str(), 0640), 0);
    ASSERT_TRUE(writePrivateProfileString("Section", "key", "new", ini));
    struct stat info {};
    ASSERT_EQ(stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(get(ini, "Section", "key"), "new");

    // A new file follows the file-creation mask, which the write leaves as it found it.
    auto fresh = dir / "fresh.ini";
    mode_t oldMask = umask(027);
    ASSERT_TRUE(writePrivateProfileString("Section", "key", "v", fresh));
    EXPECT_EQ(umask(oldMask), 027u);
    ASSERT_EQ(stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2u);
}

TEST_F(ProfileString, WriteThroughASymbolicLinkKeepsTheLink) {
    auto real = dir / "real.ini";
    writeFile(real, "[Section]\nkey=old\n");
    std::filesystem::create_symlink(real, ini);
    ASSERT_TRUE(writePrivateProfileString("Section", "key", "new", ini));
    EXPECT_TRUE(std::filesystem::is_symlink(ini));
    EXPECT_EQ(readFile(real), "[Section]\nkey=new\n");
}

TEST_F(ProfileString, WriteIntoAFolderThatIsMissingFails) {
    EXPECT_FALSE(writePrivateProfileString("Section", "key", "v", dir / "no" / "Quillaro.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

TEST_F(ProfileString, SeveralKeysGoInAsTheSingleWritesWouldLeaveThem) {
    const std::string before = "; kept\r\n[Section]\r\nb=old\r\n\r\n[Other]\r\nc=1\r\n";
    const ProfileEntry entries[] = {
        {"a", "1"}, {"b", "new"}, {"bad", "line\nbreak"}, {"a", "2"}, {"d", "x"}};
    const auto single = dir / "single.ini";
    writeFile(single, before);
    for (const ProfileEntry& entry : entries)
        EXPECT_EQ(writePrivateProfileString("Section", entry.key, entry.value, single).ok(),
                  entry.key != "bad");
    writeFile(ini, before);
    // The refused entry is left out and reported; the others go in, in order.
    EXPECT_FALSE(writePrivateProfileStrings("Section", entries, ini));
    EXPECT_EQ(readFile(ini), readFile(single));

    // From no file at all, and nothing written when nothing changes or nothing can go in.
    const auto fresh = dir / "fresh.ini";
    const ProfileEntry two[] = {{"x", "1"}, {"y", ""}};
    ASSERT_TRUE(writePrivateProfileStrings("Section", two, fresh));
    EXPECT_EQ(readFile(fresh), "[Section]\nx=1\ny=\n");
    const std::filesystem::file_time_type old{};
    std::filesystem::last_write_time(fresh, old);
    EXPECT_TRUE(writePrivateProfileStrings("Section", two, fresh));
    EXPECT_EQ(std::filesystem::last_write_time(fresh), old);
    const ProfileEntry refused[] = {{"k", "a\rb"}};
    EXPECT_FALSE(writePrivateProfileStrings("Section", refused, dir / "none.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));
}

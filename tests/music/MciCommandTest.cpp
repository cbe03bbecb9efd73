// One command string split into words: quoted blanks, multi-word keywords, dropped flags, and
// the codes of commands that cannot be read.
#include "music/mci/MciCommand.h"

#include "music/mci/MciErrors.h"

#include <gtest/gtest.h>

using namespace quillaro;

TEST(MciCommandTest, SplitsWordsAndKeepsQuotedBlanks) {
    auto parsed = MciCommand::parse("  OPEN  \"C:/My Music/a b.mp3\"\ttype MPEGVideo ");
    ASSERT_TRUE(parsed);
    MciCommand& command = *parsed;
    EXPECT_EQ(command.verb(), "open");
    EXPECT_EQ(command.device(), "C:/My Music/a b.mp3");
    EXPECT_TRUE(command.accept({"TYPE"}));
    EXPECT_EQ(command.next(), "MPEGVideo");
    EXPECT_TRUE(command.atEnd());
}

TEST(MciCommandTest, MultiWordKeywordsMatchWholeOrNotAtAll) {
    auto parsed = MciCommand::parse("status cdaudio Number Of tracks");
    ASSERT_TRUE(parsed);
    MciCommand& command = *parsed;
    EXPECT_FALSE(command.accept({"number", "of", "tracks", "now"}));
    EXPECT_FALSE(command.accept({"number", "off"}));
    EXPECT_TRUE(command.accept({"number", "of", "tracks"}));
    EXPECT_TRUE(command.atEnd());
}

TEST(MciCommandTest, DropsWaitAndNotifyFlags) {
    auto parsed = MciCommand::parse("play cdaudio wait from 3 NOTIFY");
    ASSERT_TRUE(parsed);
    MciCommand& command = *parsed;
    EXPECT_TRUE(command.accept({"from", "3"}));
    EXPECT_TRUE(command.atEnd());
}

TEST(MciCommandTest, RefusesEmptyUnquotedAndDeviceLessCommands) {
    auto codeOf = [](std::string_view text) { return MciCommand::parse(text).error(); };
    EXPECT_EQ(codeOf(""), mci_error::MissingCommandString);
    EXPECT_EQ(codeOf("   "), mci_error::MissingCommandString);
    EXPECT_EQ(codeOf("play"), mci_error::MissingDeviceName);
    EXPECT_EQ(codeOf("open \"a b.mp3 type MPEGVideo"), mci_error::NoClosingQuote);
}

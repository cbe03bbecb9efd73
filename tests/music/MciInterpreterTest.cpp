// The command interpreter over fake devices: how command strings reach a device by its name or
// alias, how devices are opened and closed, and the replies and codes it gives.
#include "music/mci/MciInterpreter.h"

#include "MciSession.h"
#include "music/mci/MciErrors.h"

#include <gtest/gtest.h>

using namespace quillaro;
using MciInterpreterTest = quillaro::test::MciSession;

TEST_F(MciInterpreterTest, OpensAQuotedFileUnderItsAliasAndAddressesItInAnyCase) {
    EXPECT_EQ(ask("open \"/home/me/My Music/a b.mp3\" type MPEGVideo Alias MP3Play"), "1");
    EXPECT_EQ(backend->openedPaths, std::vector<std::string>{"/home/me/My Music/a b.mp3"});
    EXPECT_EQ(ask("status MP3Play mode"), "stopped");
    EXPECT_EQ(ask("PLAY mp3play"), "");
    EXPECT_EQ(ask("Status MP3PLAY Mode"), "playing");
    EXPECT_EQ(code("status \"/home/me/My Music/a b.mp3\" mode"), mci_error::InvalidDeviceName)
        << "a device opened under an alias answers only to the alias";
}

TEST_F(MciInterpreterTest, OpenWithoutTypeGoesByTheExtension) {
    EXPECT_EQ(ask("open /m/song.MP3"), "1");
    EXPECT_EQ(ask("status /m/song.mp3 mode"), "stopped");
    EXPECT_EQ(code("open /m/notes.txt"), mci_error::ExtensionNotFound);
    EXPECT_EQ(code("open sequencer"), mci_error::InvalidDeviceName);
    EXPECT_EQ(code("open /m/a.mid type sequencer alias x"), mci_error::InvalidDeviceName);
}

TEST_F(MciInterpreterTest, RefusesNamesInUseAndIncompleteOpens) {
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    EXPECT_EQ(code("open b.mp3 type MPEGVideo alias M"), mci_error::DuplicateAlias);
    ASSERT_EQ(code("open cdaudio"), 0);
    EXPECT_EQ(code("open cdaudio"), mci_error::DeviceOpen);
    EXPECT_EQ(code("open c.mp3 type MPEGVideo alias"), mci_error::MissingStringArgument);
    EXPECT_EQ(code("open c.mp3 type MPEGVideo loudly"), mci_error::UnrecognizedKeyword);
}

TEST_F(MciInterpreterTest, TheCdDriveIsOpenUnderOneNameAtATime) {
    ASSERT_EQ(code("open cdaudio"), 0);
    EXPECT_EQ(code("open cdaudio alias disc"), mci_error::DeviceOpen);
    EXPECT_EQ(code("open drive type cdaudio alias disc"), mci_error::DeviceOpen);
    EXPECT_EQ(backend->cdOpens, 1) << "the drive itself is not opened again";
    EXPECT_EQ(code("status disc mode"), mci_error::InvalidDeviceName);
    EXPECT_EQ(ask("status cdaudio mode"), "stopped") << "the open device is untouched";

    ASSERT_EQ(code("close cdaudio"), 0);
    EXPECT_EQ(ask("open cdaudio alias disc"), "2") << "free again once closed";
    EXPECT_EQ(code("open cdaudio"), mci_error::DeviceOpen);
    ASSERT_EQ(code("close all"), 0);
    EXPECT_EQ(code("open cdaudio"), 0);
    EXPECT_EQ(backend->cdOpens, 3);
}

TEST_F(MciInterpreterTest, PassesOnWhyAFileCannotBeOpened) {
    backend->musicResult = mci_error::FileNotFound;
    EXPECT_EQ(code("open \"/gone.mp3\" type MPEGVideo Alias MP3Play"), mci_error::FileNotFound);
    backend->musicResult = mci_error::InvalidFile;
    EXPECT_EQ(code("open \"/noise.mp3\" type MPEGVideo Alias MP3Play"), mci_error::InvalidFile);
    EXPECT_EQ(code("play MP3Play"), mci_error::InvalidDeviceName);
    backend->cdResult = mci_error::InvalidDeviceName;
    EXPECT_EQ(code("open cdaudio"), mci_error::InvalidDeviceName);
    EXPECT_EQ(code("status cdaudio current track"), mci_error::InvalidDeviceName);
}

TEST_F(MciInterpreterTest, UnknownCommandsDevicesAndWords) {
    EXPECT_EQ(code("jump cdaudio"), mci_error::UnrecognizedCommand);
    EXPECT_EQ(code("play nothing"), mci_error::InvalidDeviceName);
    ASSERT_EQ(code("open a.mp3 alias m"), 0);
    EXPECT_EQ(code("status m colour"), mci_error::UnrecognizedKeyword);
    EXPECT_EQ(code("status m mode please"), mci_error::UnrecognizedKeyword);
    EXPECT_EQ(code("status m"), mci_error::MissingParameter);
    EXPECT_EQ(code("record m"), mci_error::UnsupportedFunction);
    EXPECT_EQ(code("stop m now"), mci_error::UnrecognizedKeyword);
}

TEST_F(MciInterpreterTest, CloseForgetsTheDevice) {
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    ASSERT_EQ(code("play m"), 0);
    EXPECT_EQ(ask("close M"), "");
    EXPECT_EQ(code("status m mode"), mci_error::InvalidDeviceName);
    EXPECT_EQ(code("close m"), mci_error::InvalidDeviceName);
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    ASSERT_EQ(code("open cdaudio"), 0);
    EXPECT_EQ(ask("close all"), "");
    EXPECT_EQ(code("status m mode"), mci_error::InvalidDeviceName);
    EXPECT_EQ(code("status cdaudio mode"), mci_error::InvalidDeviceName);
}

TEST_F(MciInterpreterTest, RepliesAreCutToTheCallersBufferAndEmptyOnFailure) {
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    EXPECT_EQ(mci->send("status m mode", 30).text, "stopped");
    EXPECT_EQ(mci->send("status m mode", 5).text, "stop");
    EXPECT_EQ(mci->send("status m mode", 1).text, "");
    EXPECT_EQ(mci->send("status m mode", 0).text, "");
    EXPECT_EQ(mci->send("status nothing mode", 512).text, "");
    EXPECT_EQ(MciInterpreter::cutToBuffer("ab\xE3\x81\x82", 4), "ab") << "never half a character";
}

TEST_F(MciInterpreterTest, ErrorTextsExistForTheCodesItGives) {
    for (std::int32_t c : {259, 261, 262, 263, 265, 267, 269, 270, 273, 274, 275, 276, 281, 282,
                           289, 292, 293, 294, 296}) {
        auto text = mci->errorText(c);
        ASSERT_TRUE(text.has_value()) << c;
        EXPECT_LT(text->size(), 256u);
    }
    EXPECT_FALSE(mci->errorText(0).has_value());
    EXPECT_FALSE(mci->errorText(12345).has_value());
}

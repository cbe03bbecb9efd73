// The command interpreter over fake devices: how command strings are read, which device they
// reach, the replies and codes it gives, and the CD's position texts.
#include "music/mci/MciInterpreter.h"

#include "FakeMciBackend.h"
#include "FakeWaveSound.h"
#include "music/Lumivane_BGM.h"
#include "music/mci/CdTimeFormat.h"
#include "music/mci/MciCommand.h"
#include "music/mci/MciErrors.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

using namespace quillaro;
using quillaro::test::FakeMciBackend;

namespace {

constexpr std::size_t Buffer = 512;

class MciInterpreterTest : public ::testing::Test {
protected:
    MciInterpreterTest() {
        auto owned = std::make_unique<FakeMciBackend>();
        backend = owned.get();
        mci = std::make_unique<MciInterpreter>(std::move(owned));
    }

    std::int32_t code(const std::string& command) { return mci->send(command, Buffer).code; }
    // The reply of a command that must succeed.
    std::string ask(const std::string& command) {
        MciReply reply = mci->send(command, Buffer);
        EXPECT_EQ(reply.code, 0) << command;
        return reply.text;
    }
    void TearDown() override { settings().BgmRepeat = 0; }
    void openCd() {
        ASSERT_EQ(code("open cdaudio"), 0);
        ASSERT_EQ(code("set cdaudio time format tmsf"), 0);
    }

    FakeMciBackend* backend;
    std::unique_ptr<MciInterpreter> mci;
};

} // namespace

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

TEST_F(MciInterpreterTest, MusicModesFollowPlayPauseResumeStopAndTheEnd) {
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    auto* stream = backend->lastStream;
    ASSERT_EQ(code("play m"), 0);
    ASSERT_EQ(code("pause m"), 0);
    EXPECT_EQ(ask("status m mode"), "paused");
    ASSERT_EQ(code("play m"), 0);
    EXPECT_EQ(ask("status m mode"), "playing") << "play resumes a paused file";
    ASSERT_EQ(code("stop m"), 0);
    EXPECT_EQ(ask("status m mode"), "stopped");

    stream->plays.clear();
    ASSERT_EQ(code("play m"), 0);
    stream->end();
    EXPECT_EQ(ask("status m mode"), "stopped");
    ASSERT_EQ(code("play m"), 0);
    EXPECT_EQ(ask("status m mode"), "stopped") << "after the end a plain play has nothing left";
    ASSERT_EQ(code("play m from 0"), 0);
    EXPECT_EQ(ask("status m mode"), "playing");
    EXPECT_EQ(stream->plays, (std::vector<double>{0.0, 0.0}));
}

TEST_F(MciInterpreterTest, MusicPositionsAreMilliseconds) {
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    auto* stream = backend->lastStream;
    ASSERT_EQ(code("play m from 1500"), 0);
    EXPECT_EQ(stream->plays.back(), 1.5);
    EXPECT_EQ(ask("status m position"), "1500");
    EXPECT_EQ(ask("status m length"), "60000");
    EXPECT_EQ(code("play m from 61000"), mci_error::OutOfRange);
    EXPECT_EQ(code("play m from soon"), mci_error::BadInteger);
    EXPECT_EQ(code("play m from"), mci_error::MissingParameter);
    EXPECT_EQ(code("play m from 0 to 100"), mci_error::UnsupportedFunction);
    EXPECT_EQ(code("set m time format milliseconds"), 0);
    EXPECT_EQ(code("set m time format tmsf"), mci_error::BadTimeFormat);
    stream->playWorks = false;
    EXPECT_EQ(code("play m from 0"), mci_error::Hardware);
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

TEST_F(MciInterpreterTest, CdStatusAnswersInTheChosenTimeFormat) {
    ASSERT_EQ(code("open cdaudio"), 0);
    EXPECT_EQ(ask("status cdaudio time format"), "msf");
    EXPECT_EQ(ask("status cdaudio position track 3"), "00:35:25");
    ASSERT_EQ(code("set cdaudio time format milliseconds"), 0);
    EXPECT_EQ(ask("status cdaudio position track 3"), "35333");
    ASSERT_EQ(code("set cdaudio time format TMSF"), 0);
    EXPECT_EQ(ask("status cdaudio time format"), "tmsf");
    EXPECT_EQ(ask("status cdaudio position track 3"), "03:00:00:00");
    EXPECT_EQ(ask("status cdaudio position track 1"), "01:00:00:00");
    EXPECT_EQ(ask("status cdaudio number of tracks"), "3");
    EXPECT_EQ(ask("status cdaudio current track"), "1");
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio length track 2"), "00:20:00");
    EXPECT_EQ(ask("status cdaudio media present"), "true");
    EXPECT_EQ(code("set cdaudio time format frames"), mci_error::BadTimeFormat);
}

TEST_F(MciInterpreterTest, CdRefusesTracksItLacksAndPositionsThatDoNotParse) {
    openCd();
    EXPECT_EQ(code("status cdaudio position track 4"), mci_error::OutOfRange);
    EXPECT_EQ(code("status cdaudio position track 0"), mci_error::OutOfRange);
    EXPECT_EQ(code("status cdaudio position track x"), mci_error::BadInteger);
    EXPECT_EQ(code("status cdaudio position track"), mci_error::MissingParameter);
    EXPECT_EQ(code("play cdaudio from 04:00:00:00"), mci_error::OutOfRange);
    EXPECT_EQ(code("play cdaudio from Error:282"), mci_error::BadInteger);
    EXPECT_EQ(code("play cdaudio from 3 to 2"), mci_error::OutOfRange);
    EXPECT_EQ(code("play cdaudio from 3 from 2"), mci_error::UnrecognizedKeyword);
    EXPECT_TRUE(backend->lastDrive->plays.empty());
}

TEST_F(MciInterpreterTest, CdPlaysRangesAndReportsWhereItIs) {
    openCd();
    auto* drive = backend->lastDrive;
    EXPECT_EQ(ask("play cdaudio"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(0, 4000));
    EXPECT_EQ(ask("status cdaudio mode"), "playing");
    drive->heard = 1200;
    EXPECT_EQ(ask("status cdaudio current track"), "2");
    EXPECT_EQ(ask("status cdaudio position"), "02:00:02:50");

    EXPECT_EQ(ask("play cdaudio from 03:00:00:00"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(2500, 4000));
    EXPECT_EQ(ask("play cdaudio from 2 to 3"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(1000, 2500));
    EXPECT_EQ(ask("play cdaudio from 1:0:1:10 to 1:0:2"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(85, 150));
    drive->heard = 100;
    EXPECT_EQ(ask("play cdaudio to 2"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(100, 1000)) << "from where it is heard";

    EXPECT_EQ(ask("stop cdaudio"), "");
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio position"), "01:00:01:25") << "stop keeps the position";
    EXPECT_EQ(ask("play cdaudio"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(100, 4000));
}

TEST_F(MciInterpreterTest, CdGoesBackToTheStartAfterTheWholeDiscButNotAfterARange) {
    openCd();
    auto* drive = backend->lastDrive;
    ASSERT_EQ(code("play cdaudio from 2 to 3"), 0);
    drive->finish();
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio position"), "03:00:00:00");
    EXPECT_EQ(ask("status cdaudio current track"), "3");

    ASSERT_EQ(code("play cdaudio"), 0);
    drive->finish();
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio current track"), "1");
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(0, 4000)) << "the disc starts over";
}

TEST_F(MciInterpreterTest, CdWithoutADiscIsNotReady) {
    backend->cdMedia = CdMedia::NoDisc;
    openCd();
    EXPECT_EQ(ask("status cdaudio mode"), "not ready");
    EXPECT_EQ(ask("status cdaudio media present"), "false");
    EXPECT_EQ(code("status cdaudio current track"), mci_error::DeviceNotReady);
    EXPECT_EQ(code("status cdaudio number of tracks"), mci_error::DeviceNotReady);
    EXPECT_EQ(code("play cdaudio"), mci_error::DeviceNotReady);
    EXPECT_EQ(code("stop cdaudio"), 0);
    ASSERT_EQ(code("close cdaudio"), 0);
    backend->cdMedia = CdMedia::TrayOpen;
    openCd();
    EXPECT_EQ(ask("status cdaudio mode"), "open");
}

TEST_F(MciInterpreterTest, CdPlayFailsWhenThereIsNoSoundOutput) {
    openCd();
    backend->lastDrive->playWorks = false;
    EXPECT_EQ(code("play cdaudio"), mci_error::Hardware);
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
}

CdToc discOf(std::vector<std::int32_t> starts, std::vector<bool> audio, std::int32_t leadout,
             std::int32_t firstSessionEnd = 0) {
    CdToc toc;
    toc.trackStart = std::move(starts);
    toc.audio = std::move(audio);
    toc.leadout = leadout;
    toc.firstSessionEnd = firstSessionEnd;
    return toc;
}

// A disc with data before and after its sound: data 0..999, audio 1000..2499 and 2500..3999,
// data 4000..4999.
CdToc mixedDisc() {
    return discOf({0, 1000, 2500, 4000}, {false, true, true, false}, 5000);
}

TEST_F(MciInterpreterTest, CdPlaysOnlyTheSoundAndNeverADataTrack) {
    backend->cdDisc = mixedDisc();
    openCd();
    auto* drive = backend->lastDrive;
    EXPECT_EQ(ask("status cdaudio current track"), "2") << "the disc starts at its sound";
    EXPECT_EQ(ask("play cdaudio"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(1000, 4000)) << "ends before the data";
    EXPECT_EQ(ask("play cdaudio to 3"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(1000, 2500)) << "from the first sound";
    EXPECT_EQ(ask("play cdaudio from 3:0:10 to 4:0:5"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(3250, 4000)) << "never into the data";
    EXPECT_EQ(ask("play cdaudio from 2 to 3"), "");
    EXPECT_EQ(drive->plays.back(), std::make_pair(1000, 2500)) << "a range within the sound";
    const auto plays = drive->plays.size();
    EXPECT_EQ(code("play cdaudio from 4"), mci_error::OutOfRange) << "nothing but data after it";
    EXPECT_EQ(code("play cdaudio from 1 to 1:0:5"), mci_error::OutOfRange) << "data only";
    EXPECT_EQ(code("play cdaudio from 1"), mci_error::OutOfRange) << "starts in the data";
    EXPECT_EQ(code("play cdaudio from 1:0:10 to 3"), mci_error::OutOfRange) << "the same";
    EXPECT_EQ(drive->plays.size(), plays);

    // Played to the end of its sound, the disc goes back to its start, not into the data.
    ASSERT_EQ(code("play cdaudio from 3"), 0);
    drive->finish();
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio position"), "02:00:00:00");
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(1000, 4000));
}

TEST_F(MciInterpreterTest, ARepeatOfADataTrackIsRefusedEveryTickAndTheDiscStaysSilent) {
    backend->cdDisc = mixedDisc();
    quillaro::test::FakeWaveSound wave;
    BgmPlatformGuard platform(*mci, wave);
    settings().BgmRepeat = 1;
    OpenCdAudio();
    ASSERT_EQ(LastApiResult, 0);
    auto* drive = backend->lastDrive;
    for (int tick = 0; tick < 3; ++tick) {
        CdAudioTick();
        EXPECT_TRUE(CdKeepPolling);
        EXPECT_EQ(LastApiResult, mci_error::OutOfRange) << "the play from track 1, tick " << tick;
        EXPECT_EQ(LastMciReply, mci->errorText(mci_error::OutOfRange));
    }
    EXPECT_TRUE(drive->plays.empty()) << "nothing of the disc was played";

    // Without a repeat track the disc plays from its sound on, past the leading data track.
    settings().BgmRepeat = 0;
    CdAudioTick();
    EXPECT_EQ(LastApiResult, 0);
    ASSERT_EQ(drive->plays.size(), 1u);
    EXPECT_EQ(drive->plays.back(), std::make_pair(1000, 4000));
}

TEST_F(MciInterpreterTest, CdPlaysTheSoundOnEachSideOfADataTrackInTurn) {
    backend->cdDisc = discOf({0, 1000, 2000}, {true, false, true}, 3000);
    openCd();
    auto* drive = backend->lastDrive;
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(0, 1000));
    drive->finish();
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(2000, 3000)) << "on after the data track";
    drive->finish();
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(0, 1000)) << "then the disc again";
}

TEST_F(MciInterpreterTest, CdSoundEndsWhereTheFirstSessionEnds) {
    // An enhanced CD: sound in tracks 1 and 2, its session ending at 2400, then the gap before
    // the data session's track 3.
    backend->cdDisc = discOf({0, 1000, 13800}, {true, true, false}, 20000, 2400);
    openCd();
    auto* drive = backend->lastDrive;
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(0, 2400));
    ASSERT_EQ(code("play cdaudio from 2:0:10 to 3"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(1750, 2400));
    EXPECT_EQ(code("play cdaudio from 2:1:0"), mci_error::OutOfRange) << "inside the gap";
    drive->finish();
    EXPECT_EQ(ask("status cdaudio current track"), "1") << "back at the start";
}

TEST_F(MciInterpreterTest, CdReadFailureEndsTheDiscAndTheNextPlayStartsItAgain) {
    openCd();
    auto* drive = backend->lastDrive;
    ASSERT_EQ(code("play cdaudio"), 0);
    drive->failAt(1234);
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio position"), "01:00:00:00") << "not the sector that failed";
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(0, 4000));

    // A play of one track that fails also ends there, and the next plain play starts the disc.
    ASSERT_EQ(code("play cdaudio from 3"), 0);
    drive->failAt(2600);
    ASSERT_EQ(code("play cdaudio"), 0);
    EXPECT_EQ(drive->plays.back(), std::make_pair(0, 4000));

    // A stop by command is no failure: the position stays where the sound was.
    drive->heard = 300;
    ASSERT_EQ(code("stop cdaudio"), 0);
    EXPECT_EQ(ask("status cdaudio position"), "01:00:04:00");
}

TEST_F(MciInterpreterTest, CdDiscFoundGoneAfterAFailedReadIsNotReady) {
    openCd();
    auto* drive = backend->lastDrive;
    ASSERT_EQ(code("play cdaudio"), 0);
    drive->mediaAfterFailure = CdMedia::NoDisc;
    drive->failAt(500);
    EXPECT_EQ(code("status cdaudio current track"), mci_error::DeviceNotReady);
    EXPECT_EQ(ask("status cdaudio mode"), "not ready");
    EXPECT_EQ(code("play cdaudio"), mci_error::DeviceNotReady);
}

TEST(CdTimeFormatTest, ReadsShortenedPositionsInEachFormat) {
    quillaro::test::FakeCdDrive drive;
    const CdToc& toc = drive.toc();
    auto read = [&](std::string_view text, CdTimeFormatKind kind) {
        const auto sector = CdTimeFormat::parse(text, kind, toc);
        return sector ? *sector : -sector.error();
    };
    using K = CdTimeFormatKind;
    EXPECT_EQ(read("3", K::Tmsf), 2500);
    EXPECT_EQ(read("03:00:00:00", K::Tmsf), 2500);
    EXPECT_EQ(read("2:0:10", K::Tmsf), 1000 + 10 * 75);
    EXPECT_EQ(read("1:1", K::Tmsf), -mci_error::OutOfRange) << "past the end of the disc";
    EXPECT_EQ(read("2:0:2:50", K::Tmsf), 1200);
    EXPECT_EQ(read("0:2:0", K::Msf), 0);
    EXPECT_EQ(read("0:35:25", K::Msf), 2500);
    EXPECT_EQ(read("2000", K::Milliseconds), 0);
    EXPECT_EQ(read("1999", K::Milliseconds), 0) << "the first sector that starts at or after it";
    EXPECT_EQ(read("1986", K::Milliseconds), -mci_error::OutOfRange) << "before the first track";
    EXPECT_EQ(read("3:0:13:25", K::Tmsf), 3500);
    EXPECT_EQ(read("3:0:20:0", K::Tmsf), 4000) << "the leadout ends a range";
    EXPECT_EQ(read("3:0:20:1", K::Tmsf), -mci_error::OutOfRange);
    for (std::string_view bad : {"", "256", "1:2:3:4:5", "a", "1::2", "-1", "1:"})
        EXPECT_EQ(read(bad, K::Tmsf), -mci_error::BadInteger) << bad;
    EXPECT_EQ(read("1:2:3:4", K::Msf), -mci_error::BadInteger);
}

TEST(CdTimeFormatTest, FormatsPositionsAndLengths) {
    quillaro::test::FakeCdDrive drive;
    const CdToc& toc = drive.toc();
    EXPECT_EQ(CdTimeFormat::format(2500, CdTimeFormatKind::Tmsf, toc), "03:00:00:00");
    EXPECT_EQ(CdTimeFormat::format(999, CdTimeFormatKind::Tmsf, toc), "01:00:13:24");
    EXPECT_EQ(CdTimeFormat::format(0, CdTimeFormatKind::Msf, toc), "00:02:00");
    EXPECT_EQ(CdTimeFormat::format(0, CdTimeFormatKind::Milliseconds, toc), "2000");
    EXPECT_EQ(CdTimeFormat::format(75 * 60 * 70, CdTimeFormatKind::Msf, toc), "70:02:00");
    EXPECT_EQ(CdTimeFormat::formatLength(1500, CdTimeFormatKind::Tmsf), "00:20:00");
    EXPECT_EQ(CdTimeFormat::formatLength(1500, CdTimeFormatKind::Milliseconds), "20000");
    EXPECT_EQ(CdTimeFormat::trackOf(4000, toc), 3);
}

TEST(CdTimeFormatTest, EveryPositionReadsBackAsTheSectorItWasFormattedFrom) {
    const CdToc discs[] = {quillaro::test::FakeCdDrive().toc(), mixedDisc(),
                           discOf({0, 1000, 13800}, {true, true, false}, 20000, 2400),
                           discOf({0, 75, 150}, {true, true, true}, 225)};
    for (const CdToc& toc : discs) {
        for (auto kind :
             {CdTimeFormatKind::Tmsf, CdTimeFormatKind::Msf, CdTimeFormatKind::Milliseconds}) {
            int wrong = 0;
            for (std::int32_t sector = 0; sector <= toc.leadout; ++sector) {
                const std::string text = CdTimeFormat::format(sector, kind, toc);
                const auto back = CdTimeFormat::parse(text, kind, toc);
                if (!back || *back != sector) {
                    ADD_FAILURE() << text << " was formatted from sector " << sector
                                  << " but reads as " << (back ? *back : -1);
                    if (++wrong == 3)
                        break;
                }
            }
        }
    }
}

TEST_F(MciInterpreterTest, CdPlaysFromEachTrackStartItReportsInEachTimeFormat) {
    openCd();
    auto* drive = backend->lastDrive;
    for (const char* format : {"tmsf", "msf", "milliseconds"}) {
        ASSERT_EQ(code(std::string("set cdaudio time format ") + format), 0);
        for (int track = 1; track <= 3; ++track) {
            const std::string start = ask("status cdaudio position track " + std::to_string(track));
            ASSERT_EQ(code("play cdaudio from " + start), 0) << format << " " << start;
            EXPECT_EQ(drive->plays.back().first, drive->disc.startOf(track))
                << format << " " << start;
        }
    }
}

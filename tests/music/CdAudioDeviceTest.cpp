// The cdaudio device over a fake drive, driven by command strings: status in each time format,
// ranges played and where it stands, discs with data tracks and sessions, read failures, and a
// disc that is missing.
#include "music/mci/CdAudioDevice.h"

#include "FakeWaveSound.h"
#include "MciSession.h"
#include "music/Lumivane_BGM.h"
#include "music/mci/MciErrors.h"

#include <gtest/gtest.h>

using namespace quillaro;
using quillaro::test::discOf;
using quillaro::test::mixedDisc;
using CdAudioDeviceTest = quillaro::test::MciSession;

TEST_F(CdAudioDeviceTest, CdStatusAnswersInTheChosenTimeFormat) {
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

TEST_F(CdAudioDeviceTest, CdRefusesTracksItLacksAndPositionsThatDoNotParse) {
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

TEST_F(CdAudioDeviceTest, CdPlaysRangesAndReportsWhereItIs) {
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

TEST_F(CdAudioDeviceTest, CdGoesBackToTheStartAfterTheWholeDiscButNotAfterARange) {
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

TEST_F(CdAudioDeviceTest, CdWithoutADiscIsNotReady) {
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

TEST_F(CdAudioDeviceTest, CdPlayFailsWhenThereIsNoSoundOutput) {
    openCd();
    backend->lastDrive->playWorks = false;
    EXPECT_EQ(code("play cdaudio"), mci_error::Hardware);
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
}

TEST_F(CdAudioDeviceTest, CdPlaysOnlyTheSoundAndNeverADataTrack) {
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

TEST_F(CdAudioDeviceTest, ARepeatOfADataTrackIsRefusedEveryTickAndTheDiscStaysSilent) {
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

TEST_F(CdAudioDeviceTest, CdPlaysTheSoundOnEachSideOfADataTrackInTurn) {
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

TEST_F(CdAudioDeviceTest, CdSoundEndsWhereTheFirstSessionEnds) {
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

TEST_F(CdAudioDeviceTest, CdReadFailureEndsTheDiscAndTheNextPlayStartsItAgain) {
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

TEST_F(CdAudioDeviceTest, CdDiscFoundGoneAfterAFailedReadIsNotReady) {
    openCd();
    auto* drive = backend->lastDrive;
    ASSERT_EQ(code("play cdaudio"), 0);
    drive->mediaAfterFailure = CdMedia::NoDisc;
    drive->failAt(500);
    EXPECT_EQ(code("status cdaudio current track"), mci_error::DeviceNotReady);
    EXPECT_EQ(ask("status cdaudio mode"), "not ready");
    EXPECT_EQ(code("play cdaudio"), mci_error::DeviceNotReady);
}

TEST_F(CdAudioDeviceTest, CdPlaysFromEachTrackStartItReportsInEachTimeFormat) {
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

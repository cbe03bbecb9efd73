// Audio-CD music on the real sound output, from disc images the tests write: the whole disc or
// one track repeated, data tracks left out, unreadable stretches and discs taken away.
#include "FileText.h"
#include "MusicPlayback.h"
#include "ToneAnalysis.h"
#include "music/Lumivane_BGM.h"
#include "music/cd/CdPcmPlayer.h"
#include "music/cd/CdSectorReader.h"
#include "music/cd/CdioDrive.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>
#include <thread>
#include <type_traits>

using namespace quillaro;
using namespace quillaro::test;
using namespace std::chrono_literals;

// Each of these frees a sound or drive handle when it goes; a copy would free it twice.
static_assert(cannotBeCopied<CdPcmPlayer>);
static_assert(cannotBeCopied<CdioDrive>);

TEST_F(MusicPlayback, CdWithoutRepeatPlaysTheWholeDiscAndStartsItAgain) {
    setenv("CDROM", writeCdImage(dir.path(), discTracks()).c_str(), 1);
    OpenCdAudio();
    ASSERT_EQ(LastApiResult, 0);

    std::vector<int> labels;
    bool played = driveUntil(
        tickCd, CdTimerPeriod,
        [](const std::vector<int>& l) { return toneSequence(l, MinRun).size() >= 8; }, DiscTones,
        30s, labels);
    ASSERT_TRUE(played) << describe(labels);
    EXPECT_TRUE(startsWith(toneSequence(labels, MinRun), {0, 1, 2, 3, 4, 5, 0, 1}))
        << describe(labels);
    StopCdAudio();
    EXPECT_EQ(LastApiResult, 0);
    EXPECT_EQ(QueryMci("status cdaudio mode"), "Error:263") << "closed";
}

TEST_F(MusicPlayback, CdWithRepeatKeepsPlayingThatTrack) {
    setenv("CDROM", writeCdImage(dir.path(), discTracks()).c_str(), 1);
    settings().BgmRepeat = 2;
    OpenCdAudio();

    std::vector<int> labels;
    auto withoutTrackThree = [](std::vector<int> sequence) {
        std::erase(sequence, 4);
        return sequence;
    };
    bool repeated = driveUntil(
        tickCd, CdTimerPeriod,
        [&](const std::vector<int>& l) {
            return withoutTrackThree(toneSequence(l, MinRun)).size() >= 6;
        },
        DiscTones, 30s, labels);
    ASSERT_TRUE(repeated) << describe(labels);
    EXPECT_TRUE(startsWith(withoutTrackThree(toneSequence(labels, MinRun)), {2, 3, 2, 3, 2, 3}))
        << describe(labels);
    // Only the first moments of track 3 may slip out before the next tick restarts track 2.
    for (const ToneRun& run : runsOf(labels)) {
        EXPECT_FALSE((run.tone == 0 || run.tone == 1 || run.tone == 5) && run.windows >= 2)
            << describe(labels);
        if (run.tone == 4) {
            EXPECT_LE(run.windows, 20u) << describe(labels);
        }
    }
    StopCdAudio();
}

TEST_F(MusicPlayback, CdPlaysOnlyTheSoundOfADiscWithDataTracks) {
    // Data before the sound, as on a mixed-mode disc, and after it, as on an enhanced CD.
    const auto sound = discTracks().front();
    setenv("CDROM",
           writeCdImage(dir.path(), {dataTrack(2.0), DiscTrack{sound}, dataTrack(3.0)}).c_str(), 1);
    OpenCdAudio();
    EXPECT_EQ(QueryMci("status cdaudio current track"), "2") << "the disc starts at its sound";

    const std::vector<double> tones{DiscTones[0], DiscTones[1]};
    std::vector<int> labels;
    bool played = driveUntil(
        tickCd, CdTimerPeriod,
        [](const std::vector<int>& l) { return toneSequence(l, MinRun).size() >= 4; }, tones, 30s,
        labels);
    ASSERT_TRUE(played) << describe(labels);
    EXPECT_TRUE(startsWith(toneSequence(labels, MinRun), {0, 1, 0, 1})) << describe(labels);
    // The data as sound would be noise at full scale: far louder than the tones, and no tone.
    EXPECT_LE(peakOf(readOutput(output())), ToneAmplitude) << describe(labels);
    std::size_t noisy = 0;
    for (const ToneRun& run : runsOf(labels))
        noisy += run.tone == Mixed && run.windows > 2 ? run.windows : 0;
    EXPECT_EQ(noisy, 0u) << describe(labels);
    StopCdAudio();
}

TEST_F(MusicPlayback, AnUnreadableStretchEndsTheDiscAndTheNextTickStartsItAgain) {
    setenv("CDROM", writeCdImage(dir.path(), discTracks()).c_str(), 1);
    OpenCdAudio();
    // Once the table of contents has been read, the image shrinks: the disc cannot be read beyond
    // 0.4 s into track 2 (track 1 is 75 sectors).
    constexpr std::uintmax_t ReadableSectors = 75 + 30;
    std::filesystem::resize_file(dir / "disc.bin", ReadableSectors * CdSectorReader::SectorBytes);

    CdAudioTick();
    ASSERT_TRUE(CdKeepPolling);
    EXPECT_EQ(modeOnceThePlayEnds(), "stopped");
    EXPECT_EQ(QueryMci("status cdaudio position"), "01:00:00:00") << "not the unreadable sector";
    EXPECT_EQ(toneSequence(labelWindows(readOutput(output()), DiscTones), MinRun),
              (std::vector<int>{0, 1, 2}));

    std::vector<int> labels;
    bool again = driveUntil(
        tickCd, CdTimerPeriod,
        [](const std::vector<int>& l) { return toneSequence(l, MinRun).size() >= 5; }, DiscTones,
        30s, labels);
    ASSERT_TRUE(again) << describe(labels);
    EXPECT_TRUE(startsWith(toneSequence(labels, MinRun), {0, 1, 2, 0, 1})) << describe(labels);
    StopCdAudio();
}

TEST_F(MusicPlayback, ADiscImageTakenAwayWhilePlayingEndsTheCdUpkeep) {
    auto cue = writeCdImage(dir.path(), discTracks());
    setenv("CDROM", cue.c_str(), 1);
    OpenCdAudio();
    CdAudioTick();
    ASSERT_EQ(QueryMci("status cdaudio mode"), "playing");
    std::filesystem::remove(cue);
    std::filesystem::resize_file(dir / "disc.bin", 0);
    EXPECT_EQ(modeOnceThePlayEnds(), "not ready");
    CdAudioTick();
    EXPECT_FALSE(CdKeepPolling);
    EXPECT_EQ(LastApiResult, 276);
}

TEST_F(MusicPlayback, AMissingDiscImageEndsTheCdUpkeepAtTheFirstTick) {
    setenv("CDROM", (dir / "none.cue").c_str(), 1);
    OpenCdAudio();
    EXPECT_EQ(LastApiResult, 263);
    CdAudioTick();
    EXPECT_FALSE(CdKeepPolling);
    EXPECT_EQ(LastApiResult, 263);
    EXPECT_FALSE(std::filesystem::exists(output()))
        << "a drive that does not open never opens the sound output";
}

TEST_F(MusicPlayback, ARepeatTrackTheDiscLacksKeepsPollingInSilence) {
    setenv("CDROM", writeCdImage(dir.path(), discTracks()).c_str(), 1);
    settings().BgmRepeat = 7;
    OpenCdAudio();
    for (int tick = 0; tick < 8; ++tick) {
        std::this_thread::sleep_for(CdTimerPeriod);
        CdAudioTick();
        ASSERT_TRUE(CdKeepPolling);
    }
    EXPECT_NE(LastApiResult, 0) << "the play built from the failed position query fails";
    EXPECT_TRUE(allSilent(output()));
    StopCdAudio();
}

TEST_F(MusicPlayback, WithoutASoundOutputTheCdStaysSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    setenv("CDROM", writeCdImage(dir.path(), discTracks()).c_str(), 1);
    OpenCdAudio();
    EXPECT_EQ(LastApiResult, 0) << "the drive opens; only playing needs the output";
    CdAudioTick();
    EXPECT_TRUE(CdKeepPolling);
    EXPECT_EQ(LastApiResult, 262);
    EXPECT_EQ(QueryMci("status cdaudio mode"), "stopped");
    StopCdAudio();
    EXPECT_FALSE(std::filesystem::exists(output()));
}

TEST_F(MusicPlayback, TheCdPrintsNothingOnTheTerminal) {
    auto cue = writeCdImage(dir.path(), discTracks());
    auto everything = [&] {
        setenv("CDROM", (dir / "none.cue").c_str(), 1);
        OpenCdAudio();
        CdAudioTick();
        setenv("CDROM", cue.c_str(), 1);
        OpenCdAudio();
        CdAudioTick();
        StopCdAudio();
    };
    // ALSA is what SDL falls back on; on a machine without sound it fails loudly unless hushed.
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    EXPECT_EQ(printedBy(dir / "alsa.txt", everything), "");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    EXPECT_EQ(printedBy(dir / "disk.txt", everything), "");
}

// A drive that cannot be read when the first play starts (a real one still spinning up) makes
// paranoia refuse the disc: that play ends, and once the disc reads again a later play is heard,
// through plain sector reads.
TEST_F(MusicPlayback, ACdReaderThatCouldNotStartDoesNotSilenceTheLaterPlays) {
    const auto cue = writeCdImage(dir.path(), discTracks());
    setenv("CDROM", cue.c_str(), 1);
    auto opened = CdioDrive::open(CdReadMethod::Paranoia);
    ASSERT_TRUE(opened);
    std::unique_ptr<CdDrive> drive = std::move(*opened);
    ASSERT_EQ(drive->media(), CdMedia::Present);
    const std::int32_t from = drive->toc().startOf(1), to = drive->toc().endOf(1);

    const std::filesystem::path bin = dir / "disc.bin";
    const std::string disc = readFile(bin);
    std::filesystem::resize_file(bin, 0);
    ASSERT_TRUE(drive->play(from, to));
    auto deadline = std::chrono::steady_clock::now() + 30s;
    while (drive->playing() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(PollPeriod);
    ASSERT_FALSE(drive->playing());
    EXPECT_TRUE(drive->readFailed());

    writeFile(bin, disc);
    ASSERT_TRUE(drive->play(from, to));
    deadline = std::chrono::steady_clock::now() + 30s;
    while (drive->playing() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(PollPeriod);
    ASSERT_FALSE(drive->playing());
    EXPECT_FALSE(drive->readFailed());
    EXPECT_EQ(drive->position(), to);
    drive.reset();
    const std::vector<int> labels = labelWindows(readOutput(output()), DiscTones);
    EXPECT_TRUE(startsWith(toneSequence(labels, MinRun), {0, 1})) << describe(labels);
}

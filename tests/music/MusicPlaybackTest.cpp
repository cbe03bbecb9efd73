// The music module on the real sound output: SDL's disk driver writes what would be heard to a
// file in real time, and the tests tell the tones in it apart. The tests drive the module's
// tick operations themselves, at the run form's timer periods.
#include "ChildProcess.h"
#include "FileText.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "ToneAnalysis.h"
#include "music/Lumivane_BGM.h"
#include "music/audio/SdlAudioOutput.h"
#include "music/audio/SdlMusicStream.h"
#include "music/audio/SdlWaveSound.h"
#include "music/cd/CdPcmPlayer.h"
#include "music/cd/CdSectorReader.h"
#include "music/cd/CdioDrive.h"
#include "settings/Settings.h"

#include <cdio/cdio.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <type_traits>
#include <unistd.h>

using namespace quillaro;
using namespace quillaro::test;
using namespace std::chrono_literals;

namespace {

// Each of these frees a sound or drive handle when it goes; a copy would free it twice.
template <typename T>
constexpr bool cannotBeCopied = !std::is_copy_constructible_v<T> && !std::is_copy_assignable_v<T>;
static_assert(cannotBeCopied<SdlAudioOutput>);
static_assert(cannotBeCopied<SdlMusicStream>);
static_assert(cannotBeCopied<SdlWaveSound>);
static_assert(cannotBeCopied<CdPcmPlayer>);
static_assert(cannotBeCopied<CdioDrive>);

constexpr auto Mp3TimerPeriod = 1000ms;
constexpr auto CdTimerPeriod = 200ms;
constexpr auto PollPeriod = 100ms;
constexpr std::size_t MinRun = 4; // windows, about 90 ms: shorter runs are transitions

// Track n of the test disc: 0.5 s of tone 2n, then 0.5 s of tone 2n + 1.
const std::vector<double> DiscTones{400, 650, 900, 1150, 1400, 1650};

std::vector<Samples> discTracks() {
    std::vector<Samples> tracks;
    for (std::size_t t = 0; t < 3; ++t)
        tracks.push_back(concat({tone(DiscTones[2 * t], 0.5), tone(DiscTones[2 * t + 1], 0.5)}));
    return tracks;
}

bool startsWith(const std::vector<int>& sequence, const std::vector<int>& prefix) {
    return sequence.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), sequence.begin());
}

// The loudest sample heard on either channel.
int peakOf(const Samples& samples) {
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(int{s}));
    return peak;
}

// One tick of the CD timer, which must keep the upkeep going.
void tickCd() {
    CdAudioTick();
    ASSERT_TRUE(CdKeepPolling);
}

// The output was opened (its file exists) and nothing was heard on it. A missing file is no
// proof of silence: a test that means "never opened" says so itself.
::testing::AssertionResult allSilent(const std::filesystem::path& output) {
    if (!std::filesystem::exists(output))
        return ::testing::AssertionFailure() << "the sound output was never opened";
    const std::vector<int> labels = labelWindows(readOutput(output), {1000.0});
    for (int label : labels)
        if (label != Silence)
            return ::testing::AssertionFailure() << "sound was heard: " << describe(labels);
    return ::testing::AssertionSuccess();
}

class MusicPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        useRealBgmPlatform();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output().c_str(), 1);
        unsetenv("CDROM");
        settings().BgmFile.clear();
        settings().BgmRepeat = 0;
    }
    void TearDown() override {
        // Whatever a test left open goes, so the next one starts on a fresh output file.
        std::string reply;
        SendMciCommand("close all", reply);
        StopWav();
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("CDROM");
    }

    std::filesystem::path output() const { return dir / "heard.raw"; }

    // Asks for the CD's mode until it is no longer "playing", without ticks in between.
    std::string modeOnceThePlayEnds() {
        auto deadline = std::chrono::steady_clock::now() + 30s;
        std::string mode = QueryMci("status cdaudio mode");
        while (mode == "playing" && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(PollPeriod);
            mode = QueryMci("status cdaudio mode");
        }
        return mode;
    }

    // Calls tick every period until the labels of what was heard satisfy done, or time is up.
    bool driveUntil(const std::function<void()>& tick, std::chrono::milliseconds period,
                    const std::function<bool(const std::vector<int>&)>& done,
                    const std::vector<double>& tones, std::chrono::seconds timeout,
                    std::vector<int>& labels) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        // Ticks keep to their period like a timer's, however long the analysis takes.
        auto nextTick = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < deadline) {
            nextTick += period;
            std::this_thread::sleep_until(nextTick);
            tick();
            labels = labelWindows(readOutput(output()), tones);
            if (done(labels))
                return true;
        }
        return false;
    }

    TempDir dir;
};

} // namespace

TEST_F(MusicPlayback, WavLoopsWithoutAGapUntilStopped) {
    // 175 whole cycles, so the loop joins without a click.
    writeWav(dir / "loop.wav", tone(700, 0.25));
    settings().BgmFile = (dir / "loop.wav").string();
    PlayWav();
    ASSERT_EQ(LastApiResult, 1);

    const std::size_t wanted = TestRate * 5 / 4; // five times the file
    Samples heard;
    std::size_t first = 0;
    auto deadline = std::chrono::steady_clock::now() + 20s;
    for (;;) {
        heard = readOutput(output());
        first = 0;
        while (2 * first < heard.size() && std::abs(heard[2 * first]) < 500)
            ++first;
        if (heard.size() / 2 >= first + wanted)
            break;
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the output stayed short";
        std::this_thread::sleep_for(PollPeriod);
    }
    // A 700 Hz sine never stays near zero for more than a sample or two; a gap would.
    std::size_t longestQuiet = 0;
    std::size_t quiet = 0;
    for (std::size_t i = first; i < heard.size() / 2; ++i) {
        quiet = std::abs(heard[2 * i]) < 500 ? quiet + 1 : 0;
        longestQuiet = std::max(longestQuiet, quiet);
    }
    EXPECT_LE(longestQuiet, 3u) << "a gap in the looped sound";
    Samples looped(heard.begin() + static_cast<std::ptrdiff_t>(2 * first), heard.end());
    for (int label : labelWindows(looped, {700.0, 350.0, 1400.0}))
        ASSERT_EQ(label, 0) << "the loop plays the file's tone throughout";

    // Stopping the only sound lets the output go: the driver stops writing.
    StopWav();
    EXPECT_EQ(LastApiResult, 1);
    bool closed = false;
    auto size = std::filesystem::file_size(output());
    for (auto deadline = std::chrono::steady_clock::now() + 10s;
         !closed && std::chrono::steady_clock::now() < deadline;) {
        std::this_thread::sleep_for(250ms);
        auto now = std::filesystem::file_size(output());
        closed = now == size;
        size = now;
    }
    EXPECT_TRUE(closed) << "the output still runs after the stop";
}

TEST_F(MusicPlayback, Mp3ComesBackFromItsStartAboutASecondAfterItEnds) {
    writeWav(dir / "tune.wav", concat({tone(500, 0.5), tone(1000, 0.5)}));
    ExitStatus status;
    ProcessOptions lame;
    lame.args = {"--quiet", "-b", "128", (dir / "tune.wav").string(),
                 (dir / "tune one.mp3").string()};
    runAndCapture("lame", lame, 30s, &status);
    ASSERT_TRUE(status.exited && status.code == 0) << "lame could not make the MP3";

    settings().BgmFile = (dir / "tune one.mp3").string();
    PlayMp3();
    EXPECT_TRUE(IsMp3Playing());

    const std::vector<double> tones{500, 1000};
    std::vector<int> labels;
    bool cameBack = driveUntil(
        Mp3Tick, Mp3TimerPeriod,
        [](const std::vector<int>& l) { return toneSequence(l, MinRun).size() >= 6; }, tones, 30s,
        labels);
    ASSERT_TRUE(cameBack) << describe(labels);
    EXPECT_TRUE(startsWith(toneSequence(labels, MinRun), {0, 1, 0, 1, 0, 1}))
        << "each time from its start: " << describe(labels);

    // The pause between the end of one play and the start of the next.
    auto runs = runsOf(labels);
    int restarts = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (runs[r].tone != 1 || runs[r].windows < MinRun)
            continue;
        std::size_t gap = 0;
        std::size_t next = r + 1;
        while (next < runs.size() && runs[next].tone < 0)
            gap += runs[next++].windows;
        if (next == runs.size())
            break;
        ++restarts;
        double seconds = static_cast<double>(gap * AnalysisWindow) / TestRate;
        EXPECT_LE(seconds, 1.5) << describe(labels);
    }
    EXPECT_GE(restarts, 2);

    // Pause and resume within the second that a fresh start plays for.
    std::string reply;
    ASSERT_EQ(SendMciCommand("play MP3Play from 0", reply), 0);
    ASSERT_EQ(SendMciCommand("pause MP3Play", reply), 0);
    EXPECT_EQ(QueryMci("status MP3Play mode"), "paused");
    EXPECT_FALSE(IsMp3Playing());
    ASSERT_EQ(SendMciCommand("resume MP3Play", reply), 0);
    EXPECT_EQ(QueryMci("status MP3Play mode"), "playing");

    StopMp3();
    EXPECT_FALSE(IsMp3Playing());
    EXPECT_EQ(QueryMci("status MP3Play mode"), "Error:263") << "closed";
}

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

TEST_F(MusicPlayback, BothCdReadersGiveTheDiscsSamplesAsWritten) {
    auto tracks = discTracks();
    auto cue = writeCdImage(dir.path(), tracks);
    CdIo_t* cdio = cdio_open(cue.c_str(), DRIVER_UNKNOWN);
    ASSERT_NE(cdio, nullptr);
    const lsn_t start = cdio_get_track_lsn(cdio, 2);
    const int count = static_cast<int>(tracks[1].size() / CdSectorReader::SectorSamples);
    {
        auto plain = CdSectorReader::plain(cdio);
        auto paranoia = CdSectorReader::paranoia(cdio);
        ASSERT_TRUE(paranoia) << "paranoia takes the image on";
        for (CdSectorReader* reader : {plain.get(), paranoia.get()}) {
            Samples read(static_cast<std::size_t>(count) * CdSectorReader::SectorSamples);
            // Two reads with a jump back in between, as a restart of the track does.
            ASSERT_TRUE(reader->read(start + 10, 5, read.data()));
            ASSERT_TRUE(reader->read(start, count, read.data()));
            read.resize(tracks[1].size());
            EXPECT_TRUE(read == tracks[1]) << (reader == plain.get() ? "plain" : "paranoia");
        }
        Samples beyond(CdSectorReader::SectorSamples * 4);
        const lsn_t leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
        EXPECT_FALSE(plain->read(leadout + 100, 4, beyond.data()));
    }
    cdio_destroy(cdio);
}

// A drive that cannot be read when the first play starts (a real one still spinning up) makes
// paranoia refuse the disc: that play ends, and once the disc reads again a later play is heard,
// through plain sector reads.
TEST_F(MusicPlayback, ACdReaderThatCouldNotStartDoesNotSilenceTheLaterPlays) {
    const auto cue = writeCdImage(dir.path(), discTracks());
    setenv("CDROM", cue.c_str(), 1);
    std::unique_ptr<CdDrive> drive;
    ASSERT_EQ(CdioDrive::open(drive, CdReadMethod::Paranoia), 0);
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

TEST_F(MusicPlayback, MissingOrBrokenFilesStaySilent) {
    settings().BgmFile = (dir / "gone.mp3").string();
    LastApiResult = 7;
    PlayMp3();
    for (int tick = 0; tick < 3; ++tick)
        Mp3Tick();
    EXPECT_FALSE(IsMp3Playing());
    EXPECT_EQ(LastApiResult, 7) << "the MP3 operations record nothing";
    EXPECT_EQ(QueryMci("status MP3Play mode"), "Error:263");

    std::ofstream(dir / "noise.mp3") << "this is not music at all";
    std::string reply;
    EXPECT_EQ(
        SendMciCommand("open \"" + (dir / "noise.mp3").string() + "\" type MPEGVideo Alias MP3Play",
                       reply),
        296);
    EXPECT_FALSE(reply.empty());

    settings().BgmFile = (dir / "gone.wav").string();
    PlayWav();
    EXPECT_EQ(LastApiResult, 0);
    StopWav();
    EXPECT_TRUE(allSilent(output()));
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

TEST_F(MusicPlayback, WithoutASoundOutputEverythingStaysSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    writeWav(dir / "loop.wav", tone(700, 0.25));
    settings().BgmFile = (dir / "loop.wav").string();
    LastApiResult = 7;
    PlayWav();
    EXPECT_EQ(LastApiResult, 7) << "skipped: there is no output to play on";

    std::string reply;
    EXPECT_EQ(
        SendMciCommand("open \"" + settings().BgmFile + "\" type MPEGVideo Alias MP3Play", reply),
        262);
    PlayMp3();
    Mp3Tick();
    EXPECT_FALSE(IsMp3Playing());

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

// Runs the steps with standard error going to a file, and returns what they printed.
std::string printedBy(const std::filesystem::path& file, const std::function<void()>& steps) {
    fflush(stderr);
    int saved = dup(STDERR_FILENO);
    int capture = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(capture, STDERR_FILENO);
    steps();
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(capture);
    return quillaro::test::readFile(file);
}

TEST_F(MusicPlayback, NothingIsPrintedOnTheTerminal) {
    writeWav(dir / "loop.wav", tone(700, 0.25));
    std::ofstream(dir / "noise.mp3") << "this is not music at all";
    auto cue = writeCdImage(dir.path(), discTracks());
    auto everything = [&] {
        settings().BgmFile = (dir / "loop.wav").string();
        PlayWav();
        StopWav();
        settings().BgmFile = (dir / "noise.mp3").string();
        PlayMp3();
        Mp3Tick();
        StopMp3();
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
    // With an output, the MP3 decoder gets to see the file that is not music.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    EXPECT_EQ(printedBy(dir / "disk.txt", everything), "");
}

// MP3, Ogg, FLAC, Opus and WAV music on the real sound output: what is heard, how the file comes
// back or loops, and silence when the file or the output is missing.
#include "ChildProcess.h"
#include "MusicPlayback.h"
#include "ToneAnalysis.h"
#include "music/Lumivane_BGM.h"
#include "music/audio/SdlAudioOutput.h"
#include "music/audio/SdlMusicStream.h"
#include "music/audio/SdlWaveSound.h"
#include "settings/Settings.h"

#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <type_traits>

using namespace quillaro;
using namespace quillaro::test;
using namespace std::chrono_literals;

// Each of these frees a sound handle when it goes; a copy would free it twice.
static_assert(cannotBeCopied<SdlAudioOutput>);
static_assert(cannotBeCopied<SdlMusicStream>);
static_assert(cannotBeCopied<SdlWaveSound>);

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

TEST_F(MusicPlayback, OggFlacAndOpusFilesPlayAndComeBackLikeMp3) {
    writeWav(dir / "tune.wav", concat({tone(500, 0.5), tone(1000, 0.5)}));
    const std::string wav = (dir / "tune.wav").string();
    struct Encoder {
        const char* program;
        const char* file;
        std::vector<std::string> args;
    };
    const Encoder encoders[] = {
        {"oggenc", "tune.ogg", {"--quiet", "-o", (dir / "tune.ogg").string(), wav}},
        {"flac", "tune.FLAC", {"--silent", "-o", (dir / "tune.FLAC").string(), wav}},
        {"opusenc", "tune.opus", {"--quiet", wav, (dir / "tune.opus").string()}},
    };
    for (const Encoder& encoder : encoders) {
        SCOPED_TRACE(encoder.file);
        ExitStatus status;
        ProcessOptions options;
        options.args = encoder.args;
        runAndCapture(encoder.program, options, 30s, &status);
        ASSERT_TRUE(status.exited && status.code == 0) << encoder.program << " failed";

        settings().BgmFile = (dir / encoder.file).string();
        PlayMp3();
        EXPECT_TRUE(IsMp3Playing());
        std::vector<int> labels;
        const bool cameBack = driveUntil(
            Mp3Tick, Mp3TimerPeriod,
            [](const std::vector<int>& l) { return toneSequence(l, MinRun).size() >= 4; },
            {500, 1000}, 30s, labels);
        EXPECT_TRUE(cameBack) << describe(labels);
        EXPECT_TRUE(startsWith(toneSequence(labels, MinRun), {0, 1, 0, 1})) << describe(labels);
        StopMp3();
    }
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

TEST_F(MusicPlayback, WithoutASoundOutputFileMusicStaysSilent) {
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
    EXPECT_FALSE(std::filesystem::exists(output()));
}

TEST_F(MusicPlayback, FileMusicPrintsNothingOnTheTerminal) {
    writeWav(dir / "loop.wav", tone(700, 0.25));
    std::ofstream(dir / "noise.mp3") << "this is not music at all";
    auto everything = [&] {
        settings().BgmFile = (dir / "loop.wav").string();
        PlayWav();
        StopWav();
        settings().BgmFile = (dir / "noise.mp3").string();
        PlayMp3();
        Mp3Tick();
        StopMp3();
    };
    // ALSA is what SDL falls back on; on a machine without sound it fails loudly unless hushed.
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    EXPECT_EQ(printedBy(dir / "alsa.txt", everything), "");
    // With an output, the MP3 decoder gets to see the file that is not music.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    EXPECT_EQ(printedBy(dir / "disk.txt", everything), "");
}

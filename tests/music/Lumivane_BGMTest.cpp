// The music module driven against a scripted command channel and wave-sound service: the
// command strings it sends, the replies it relies on, and what it records.
#include "music/Lumivane_BGM.h"

#include "FakeMciChannel.h"
#include "FakeWaveSound.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

using namespace quillaro;
using quillaro::test::FakeMciChannel;
using quillaro::test::FakeWaveSound;
using quillaro::test::SentCommand;
using Texts = std::vector<std::string>;

namespace {

constexpr std::int32_t Untouched = 12345;

class LumivaneBgm : public ::testing::Test {
protected:
    void SetUp() override {
        settings().BgmFile.clear();
        settings().BgmRepeat = 0;
    }

    // The replies a CD tick gets from a drive in the given state.
    void scriptCd(const std::string& track, const std::string& mode) {
        mci.always["status cdaudio current track"] = {0, track};
        mci.always["status cdaudio number of tracks"] = {0, "12"};
        mci.always["status cdaudio mode"] = {0, mode};
    }

    FakeMciChannel mci;
    FakeWaveSound wave;
    BgmPlatformGuard platform{mci, wave};
};

const Texts CdStatusQueries{"status cdaudio current track", "status cdaudio number of tracks",
                            "status cdaudio mode"};

Texts plus(Texts texts, const std::vector<std::string>& more) {
    texts.insert(texts.end(), more.begin(), more.end());
    return texts;
}

} // namespace

TEST_F(LumivaneBgm, SendMciCommandRefusesAnEmptyCommandWithoutSendingIt) {
    LastApiResult = Untouched;
    std::string reply = "old";
    EXPECT_EQ(SendMciCommand("", reply), -1);
    EXPECT_EQ(reply, "コマンド文字列が指定されていません");
    EXPECT_TRUE(mci.sent.empty());
    EXPECT_EQ(LastApiResult, Untouched);
}

TEST_F(LumivaneBgm, SendMciCommandReturnsTheReplyThroughA512CharacterBuffer) {
    mci.always["status cdaudio mode"] = {0, "playing"};
    std::string reply;
    LastApiResult = Untouched;
    EXPECT_EQ(SendMciCommand("status cdaudio mode", reply), 0);
    EXPECT_EQ(reply, "playing");
    EXPECT_EQ(LastApiResult, 0);
    EXPECT_EQ(mci.sent, (std::vector<SentCommand>{{"status cdaudio mode", 512}}));
    EXPECT_TRUE(mci.errorTextAsked.empty());
}

TEST_F(LumivaneBgm, SendMciCommandCutsLongRepliesAndReadsUpToTheFirstNul) {
    mci.always["long"] = {0, std::string(600, 'x')};
    mci.always["nul"] = {0, std::string("abc\0def", 7)};
    std::string reply;
    SendMciCommand("long", reply);
    EXPECT_EQ(reply, std::string(511, 'x'));
    SendMciCommand("nul", reply);
    EXPECT_EQ(reply, "abc");
}

TEST_F(LumivaneBgm, SendMciCommandGivesTheErrorTextOfAFailingCode) {
    mci.always["play nothing"] = {263, ""};
    mci.errorTexts[263] = "The device is not open.";
    std::string reply;
    EXPECT_EQ(SendMciCommand("play nothing", reply), 263);
    EXPECT_EQ(reply, "The device is not open.");
    EXPECT_EQ(LastApiResult, 263);
    EXPECT_EQ(mci.errorTextAsked, (std::vector<std::int32_t>{263}));

    mci.errorTexts[263] = std::string(300, 'e');
    SendMciCommand("play nothing", reply);
    EXPECT_EQ(reply, std::string(255, 'e')) << "the error text buffer holds 256 with its NUL";
}

TEST_F(LumivaneBgm, SendMciCommandSaysSoWhenTheErrorTextCannotBeHad) {
    mci.always["play nothing"] = {999, ""};
    std::string reply;
    EXPECT_EQ(SendMciCommand("play nothing", reply), 999);
    EXPECT_EQ(reply, "Error (文字列が取れません)");
}

TEST_F(LumivaneBgm, QueryMciTurnsAFailureIntoErrorAndTheCode) {
    mci.always["status cdaudio current track"] = {263, ""};
    mci.errorTexts[263] = "not open";
    EXPECT_EQ(QueryMci("status cdaudio current track"), "Error:263");
    EXPECT_EQ(LastApiResult, 263);
    EXPECT_EQ(LastMciReply, "not open") << "the error text stays behind";

    mci.always["status cdaudio number of tracks"] = {0, "9"};
    EXPECT_EQ(QueryMci("status cdaudio number of tracks"), "9");
    EXPECT_EQ(LastMciReply, "9");
    EXPECT_EQ(LastApiResult, 0);

    EXPECT_EQ(QueryMci(""), "Error:-1");
    EXPECT_EQ(LastApiResult, -1);
    EXPECT_EQ(LastMciReply, "コマンド文字列が指定されていません");
}

TEST_F(LumivaneBgm, PlayMp3OpensTheQuotedFileUnderItsAliasThenPlays) {
    settings().BgmFile = "/home/me/My Music/song one.mp3";
    LastApiResult = Untouched;
    PlayMp3();
    EXPECT_EQ(mci.sent,
              (std::vector<SentCommand>{
                  {"open \"/home/me/My Music/song one.mp3\" type MPEGVideo Alias MP3Play", 0},
                  {"play MP3Play", 0}}));
    EXPECT_EQ(LastApiResult, Untouched);
}

TEST_F(LumivaneBgm, PlayMp3DoesNotPlayWhenTheOpenFails) {
    settings().BgmFile = "/gone.mp3";
    mci.always["open \"/gone.mp3\" type MPEGVideo Alias MP3Play"] = {275, ""};
    LastApiResult = Untouched;
    PlayMp3();
    EXPECT_EQ(mci.takeTexts(), (Texts{"open \"/gone.mp3\" type MPEGVideo Alias MP3Play"}));
    EXPECT_EQ(LastApiResult, Untouched);
}

TEST_F(LumivaneBgm, OnlyAModeBeginningWithPlayingCountsAsPlaying) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"playing", true},  {"playing now", true}, {"paused", false}, {"stopped", false},
        {"Playing", false}, {"not ready", false},  {"", false},       {"playin", false}};
    for (const auto& [mode, expected] : cases) {
        mci.always["status MP3Play mode"] = {0, mode};
        EXPECT_EQ(IsMp3Playing(), expected) << mode;
    }
    EXPECT_EQ(mci.sent.back(), (SentCommand{"status MP3Play mode", 30}));
}

TEST_F(LumivaneBgm, IsMp3PlayingLooksAtTheBufferNotAtTheResultCode) {
    mci.always["status MP3Play mode"] = {277, "playing"};
    EXPECT_TRUE(IsMp3Playing());
}

TEST_F(LumivaneBgm, AFailedModeQueryLeavesNoModeBehindNotTheLastOne) {
    // The command service empties the reply buffer before each command, so a failed status
    // answers with no mode at all.
    mci.queue["status MP3Play mode"] = {{0, "playing"}, {263, ""}};
    EXPECT_TRUE(IsMp3Playing());
    EXPECT_FALSE(IsMp3Playing()) << "the earlier \"playing\" is gone";
    mci.sent.clear();

    scriptCd("1", "stopped");
    CdAudioTick();
    ASSERT_EQ(mci.takeTexts(), plus(CdStatusQueries, {"play cdaudio"}));
    mci.always["status cdaudio mode"] = {263, ""};
    CdAudioTick();
    EXPECT_EQ(mci.takeTexts(), CdStatusQueries)
        << "no play on the strength of the earlier \"stopped\"";
    EXPECT_EQ(LastApiResult, 263);
}

TEST_F(LumivaneBgm, Mp3TickRestartsFromTheStartOnlyWhenNotPlaying) {
    mci.queue["status MP3Play mode"] = {{0, "playing"}, {0, "stopped"}, {263, ""}};
    Mp3Tick();
    EXPECT_EQ(mci.takeTexts(), (Texts{"status MP3Play mode"}));
    Mp3Tick();
    EXPECT_EQ(mci.takeTexts(),
              (Texts{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
    // A file that never opened: the status fails, and the restart is tried again every tick.
    Mp3Tick();
    EXPECT_EQ(mci.takeTexts(),
              (Texts{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
}

TEST_F(LumivaneBgm, StopMp3StopsThenCloses) {
    LastApiResult = Untouched;
    mci.always["close MP3Play"] = {263, ""};
    StopMp3();
    EXPECT_EQ(mci.sent, (std::vector<SentCommand>{{"stop MP3Play", 0}, {"close MP3Play", 0}}));
    EXPECT_EQ(LastApiResult, Untouched);
}

TEST_F(LumivaneBgm, PlayWavLoopsTheFileOnlyWhenThereIsAnOutput) {
    settings().BgmFile = "/music/loop.wav";
    wave.devices = 0;
    LastApiResult = Untouched;
    PlayWav();
    EXPECT_TRUE(wave.played.empty());
    EXPECT_EQ(LastApiResult, Untouched);

    wave.devices = 2;
    PlayWav();
    EXPECT_EQ(wave.played, (Texts{"/music/loop.wav"}));
    EXPECT_EQ(LastApiResult, 1);

    wave.playResult = false;
    PlayWav();
    EXPECT_EQ(LastApiResult, 0);
    EXPECT_TRUE(mci.sent.empty()) << "WAV music does not use the command channel";
}

TEST_F(LumivaneBgm, StopWavStopsTheSoundAndRecordsTheResult) {
    LastApiResult = Untouched;
    StopWav();
    EXPECT_EQ(wave.stops, 1);
    EXPECT_EQ(LastApiResult, 1);
}

TEST_F(LumivaneBgm, OpenCdAudioOpensAndAsksForTrackTimes) {
    mci.always["open cdaudio"] = {263, ""};
    mci.always["set cdaudio time format tmsf"] = {276, ""};
    OpenCdAudio();
    EXPECT_EQ(mci.sent,
              (std::vector<SentCommand>{{"open cdaudio", 0}, {"set cdaudio time format tmsf", 0}}));
    EXPECT_EQ(LastApiResult, 276);
}

TEST_F(LumivaneBgm, WithoutRepeatTheFirstTickPlaysAndLaterTicksOnlyAsk) {
    scriptCd("1", "stopped");
    CdAudioTick();
    EXPECT_TRUE(CdKeepPolling);
    EXPECT_EQ(mci.takeTexts(), plus(CdStatusQueries, {"play cdaudio"}));
    EXPECT_EQ(mci.sent.size(), 0u);

    for (const char* mode : {"playing", "not ready", "open", "paused"}) {
        scriptCd("2", mode);
        CdAudioTick();
        EXPECT_TRUE(CdKeepPolling);
        EXPECT_EQ(mci.takeTexts(), CdStatusQueries) << mode;
    }
    scriptCd("12", "stopped");
    CdAudioTick();
    EXPECT_EQ(mci.takeTexts(), plus(CdStatusQueries, {"play cdaudio"}));
}

TEST_F(LumivaneBgm, TheCdModeIsAskedWithA255CharacterBufferAndItsFirstSevenCharacters) {
    scriptCd("1", "stopped, and more");
    CdAudioTick();
    EXPECT_EQ(mci.sent[2], (SentCommand{"status cdaudio mode", 255}));
    EXPECT_EQ(mci.sent.back().text, "play cdaudio");
    mci.sent.clear();
    scriptCd("1", "Stopped");
    CdAudioTick();
    EXPECT_EQ(mci.takeTexts(), CdStatusQueries) << "the comparison is case-sensitive";
}

TEST_F(LumivaneBgm, ARepeatTrackPlaysFromItsStartAndRestartsWhenTheDiscMovesOn) {
    settings().BgmRepeat = 3;
    mci.always["status cdaudio position track 3"] = {0, "03:00:00:00"};

    scriptCd("1", "stopped");
    CdAudioTick();
    EXPECT_EQ(mci.takeTexts(), plus(CdStatusQueries, {"status cdaudio position track 3",
                                                      "play cdaudio from 03:00:00:00"}));
    EXPECT_TRUE(CdKeepPolling);

    scriptCd("3", "playing");
    CdAudioTick();
    CdAudioTick();
    EXPECT_EQ(mci.takeTexts(), plus(CdStatusQueries, CdStatusQueries));

    scriptCd("4", "playing");
    CdAudioTick();
    EXPECT_EQ(mci.takeTexts(), plus(CdStatusQueries, {"status cdaudio position track 3",
                                                      "play cdaudio from 03:00:00:00"}));
    // Stopped on the repeat track itself (the disc ended there) also restarts it.
    scriptCd("3", "stopped");
    CdAudioTick();
    EXPECT_EQ(mci.takeTexts().back(), "play cdaudio from 03:00:00:00");
    EXPECT_TRUE(CdKeepPolling);
}

TEST_F(LumivaneBgm, NoDiscEndsTheUpkeepAfterTheFirstQuery) {
    mci.always["status cdaudio current track"] = {276, ""};
    CdAudioTick();
    EXPECT_FALSE(CdKeepPolling);
    EXPECT_EQ(mci.takeTexts(), (Texts{"status cdaudio current track"}));
    EXPECT_EQ(LastApiResult, 276);
}

TEST_F(LumivaneBgm, AFailingTrackCountAlsoEndsTheUpkeep) {
    mci.always["status cdaudio current track"] = {0, "1"};
    mci.always["status cdaudio number of tracks"] = {263, ""};
    CdAudioTick();
    EXPECT_FALSE(CdKeepPolling);
    EXPECT_EQ(mci.takeTexts(),
              (Texts{"status cdaudio current track", "status cdaudio number of tracks"}));
}

TEST_F(LumivaneBgm, AnyReplyHoldingErrInAnyCaseCountsAsAnError) {
    scriptCd("terror", "stopped");
    CdAudioTick();
    EXPECT_FALSE(CdKeepPolling);
    EXPECT_EQ(mci.sent.size(), 1u);
}

TEST_F(LumivaneBgm, ATrackReplyThatIsNoNumberEndsTheUpkeepOnlyWhenARepeatIsSet) {
    scriptCd("x3", "stopped");
    CdAudioTick();
    EXPECT_TRUE(CdKeepPolling) << "without a repeat track the number is never read";
    mci.sent.clear();

    settings().BgmRepeat = 2;
    CdAudioTick();
    EXPECT_FALSE(CdKeepPolling);
    EXPECT_EQ(mci.takeTexts(), CdStatusQueries) << "not even a stopped device is restarted";

    scriptCd(" 2 ", "playing");
    CdAudioTick();
    EXPECT_TRUE(CdKeepPolling) << "blanks around the number are fine";
    EXPECT_EQ(mci.takeTexts(), CdStatusQueries);
}

TEST_F(LumivaneBgm, ARepeatTrackTheDiscLacksFailsQuietlyAndIsTriedAgain) {
    settings().BgmRepeat = 9;
    scriptCd("1", "stopped");
    mci.always["status cdaudio position track 9"] = {282, ""};
    mci.always["play cdaudio from Error:282"] = {270, ""};
    mci.errorTexts[270] = "bad position";
    for (int tick = 0; tick < 2; ++tick) {
        CdAudioTick();
        EXPECT_TRUE(CdKeepPolling);
        EXPECT_EQ(mci.takeTexts(), plus(CdStatusQueries, {"status cdaudio position track 9",
                                                          "play cdaudio from Error:282"}));
        EXPECT_EQ(LastApiResult, 270);
        EXPECT_EQ(LastMciReply, "bad position");
    }
}

TEST_F(LumivaneBgm, PlayCdRangeBuildsEachFormWithSingleBlanks) {
    EXPECT_EQ(PlayCdRange("cdaudio", "", ""), 0);
    PlayCdRange("cdaudio", "02:00:00:00", "");
    PlayCdRange("cdaudio", "", "04:01:02:03");
    PlayCdRange("cdaudio", "02:00:00:00", "04:00:00:00");
    EXPECT_EQ(mci.takeTexts(),
              (Texts{"play cdaudio", "play cdaudio from 02:00:00:00", "play cdaudio to 04:01:02:03",
                     "play cdaudio from 02:00:00:00 to 04:00:00:00"}));
    mci.always["play cdaudio"] = {276, ""};
    mci.errorTexts[276] = "no disc";
    EXPECT_EQ(PlayCdRange("cdaudio", "", ""), 276);
    EXPECT_EQ(LastMciReply, "no disc");
}

TEST_F(LumivaneBgm, StopCdAudioStopsThenClosesAndKeepsTheLastResult) {
    mci.always["stop cdaudio"] = {276, ""};
    StopCdAudio();
    EXPECT_EQ(mci.sent, (std::vector<SentCommand>{{"stop cdaudio", 0}, {"close cdaudio", 0}}));
    EXPECT_EQ(LastApiResult, 0);
}

TEST_F(LumivaneBgm, AGuardStartsTheModuleAfreshAndGivesBackWhatItReplaced) {
    mci.always["status cdaudio current track"] = {263, ""};
    CdKeepPolling = true;
    CdAudioTick();
    ASSERT_EQ(LastApiResult, 263);
    ASSERT_FALSE(CdKeepPolling);
    mci.takeTexts();
    {
        FakeMciChannel inner;
        FakeWaveSound innerWave;
        BgmPlatformGuard guard(inner, innerWave);
        EXPECT_EQ(LastApiResult, 0);
        EXPECT_EQ(LastMciReply, "");
        StopMp3();
        PlayWav();
        EXPECT_EQ(inner.takeTexts(), (Texts{"stop MP3Play", "close MP3Play"}));
        EXPECT_EQ(innerWave.played.size(), 1u);
        LastApiResult = 7;
    }
    EXPECT_EQ(LastApiResult, 263);
    EXPECT_FALSE(CdKeepPolling);
    StopMp3();
    EXPECT_EQ(mci.takeTexts(), (Texts{"stop MP3Play", "close MP3Play"}));
    EXPECT_TRUE(wave.played.empty());
}

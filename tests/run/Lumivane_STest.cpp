// The run form driven by fakes: which picture it prepares and where it goes, when the renderer
// starts, which music it starts and keeps going, how the renderer watch decides the run is
// over, and what the teardown stops and gives back.
#include "run/Lumivane_S.h"

#include "FakeMciChannel.h"
#include "FakeSaverServices.h"
#include "FakeWaveSound.h"
#include "TempDir.h"
#include "common/HandoffPath.h"
#include "music/Lumivane_BGM.h"
#include "settings/Settings.h"

#include <QApplication>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

using namespace quillaro;
using namespace quillaro::test;
using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

namespace {

Image24 pattern(int width, int height) {
    Image24 image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           {static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 60),
                            static_cast<std::uint8_t>(x + y)});
    return image;
}

Image24 mirrored(const Image24& image) {
    Image24 out(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.setPixel(image.width() - 1 - x, y, image.pixel(x, y));
    return out;
}

struct FakePictures : PictureService {
    Log& log;
    Picture desktop;
    std::map<std::filesystem::path, Image24> files;
    std::map<std::filesystem::path, Image24> saved;
    explicit FakePictures(Log& l) : log(l) {}

    Picture grabDesktop() override {
        log.push_back("grab desktop");
        return desktop;
    }
    Result<Image24, std::string> loadPicture(const std::filesystem::path& file) override {
        log.push_back("load " + file.string());
        auto found = files.find(file);
        if (found == files.end())
            return failure(std::string("it does not exist"));
        return found->second;
    }
    Picture screenshot;
    Image24 sample = pattern(5, 4);
    Picture grabHostScreenshot(WindowId) override { return screenshot; }
    Image24 samplePicture() override { return sample; }
    Result<void, SystemError> savePicture(const Image24& image,
                                          const std::filesystem::path& file) override {
        log.push_back("save " + file.string());
        saved[file] = image;
        return {};
    }
};

// QTimer and QWidget need an application object; no display is involved.
QApplication& application() {
    static int argc = 1;
    static char name[] = "Lumivane_STest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

class RunFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        settings() = Settings{};
        CursorCount().reset();
        setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
        fakes.program.folder = "/opt/quillaro";
        fakes.folders.result = true;
        fakes.programs.pid = 4242;
    }
    void TearDown() override { unsetenv("XDG_CACHE_HOME"); }

    // The form as Main would load it, its start-up run; the log then starts afresh.
    Lumivane_S& load(const std::string& commandLine = "/s",
                     std::optional<DisplayHost> host = std::nullopt, bool screenshot = false) {
        fakes.program.commandLine = commandLine;
        auto owned = std::make_unique<FakePictures>(fakes.log);
        pictures = owned.get();
        pictures->desktop = desktop;
        pictures->files = files;
        pictures->screenshot = screenshot ? Picture{pattern(6, 2), std::nullopt} : Picture{};
        form =
            std::make_unique<Lumivane_S>(fakes.services, std::move(owned), [this] { return now; });
        if (host)
            form->hostIn(std::move(*host));
        form->Form_Load();
        return *form;
    }
    Texts takeCommands() { return mci.takeTexts(); }
    bool ended() const { return std::count(fakes.log.begin(), fakes.log.end(), "end 0") == 1; }

    TempDir cache;
    FakeSaverServices fakes;
    FakeMciChannel mci;
    FakeWaveSound wave;
    BgmPlatformGuard music{mci, wave};
    Picture desktop{pattern(8, 6), std::nullopt};
    std::map<std::filesystem::path, Image24> files;
    FakePictures* pictures = nullptr;
    std::chrono::steady_clock::time_point now{};
    std::unique_ptr<Lumivane_S> form;
};

// --- The picture for the renderer ---

TEST_F(RunFormTest, DesktopIsSavedAsCapturedWhenCaptureIsZeroOrNotANumber) {
    for (const char* capture : {"0", "", "x1"}) {
        SCOPED_TRACE(capture);
        settings().Capture = capture;
        Lumivane_S& run = load();
        EXPECT_EQ(fakes.log[0], "grab desktop");
        ASSERT_EQ(pictures->saved.count(handoffPath()), 1u);
        EXPECT_EQ(pictures->saved[handoffPath()], desktop.bitmap()); // not mirrored
        EXPECT_EQ(run.preparedPicture(), desktop.bitmap());
        fakes.log.clear();
    }
}

TEST_F(RunFormTest, PictureFileIsSavedMirroredAtItsOwnSize) {
    settings().Capture = "1";
    settings().ImageFile = "/pics/holiday.jpg";
    files["/pics/holiday.jpg"] = pattern(7, 3);
    load();
    EXPECT_EQ(fakes.log[0], "load /pics/holiday.jpg");
    ASSERT_EQ(pictures->saved.count(handoffPath()), 1u);
    const Image24& saved = pictures->saved[handoffPath()];
    EXPECT_EQ(saved.width(), 7);
    EXPECT_EQ(saved.height(), 3);
    EXPECT_EQ(saved, mirrored(pattern(7, 3)));
}

TEST_F(RunFormTest, UnloadablePictureFileGivesTheSmallBlackPicture) {
    settings().Capture = "1";
    settings().ImageFile = "/pics/gone.jpg";
    load();
    ASSERT_EQ(pictures->saved.count(handoffPath()), 1u);
    EXPECT_EQ(pictures->saved[handoffPath()], Image24(45, 41, Rgb{0, 0, 0}));
}

TEST_F(RunFormTest, PictureIsWrittenBeforeTheRendererStartsWithNoArguments) {
    settings().Capture = "0";
    load();
    const Texts expected = {"grab desktop", "folder", "save " + handoffPath().string(),
                            "start program"};
    EXPECT_EQ(fakes.log, expected);
    ASSERT_EQ(fakes.programs.started.size(), 1u);
    EXPECT_EQ(fakes.programs.started[0], "/opt/quillaro/Quillaro.dll");
    EXPECT_TRUE(fakes.programs.argsSeen.empty());
}

TEST_F(RunFormTest, MusicStartsOnlyOnceTheRendererHasBeenStarted) {
    for (const char* file : {"/m/a.mp3", "/m/a.wav"}) {
        SCOPED_TRACE(file);
        settings().BgmKind = Settings::BgmKindFile;
        settings().BgmFile = file;
        wave.played.clear();
        std::size_t musicCallsAtStart = 99;
        fakes.programs.onStart = [&] { musicCallsAtStart = mci.sent.size() + wave.played.size(); };
        load();
        EXPECT_EQ(musicCallsAtStart, 0u);
        EXPECT_GT(takeCommands().size() + wave.played.size(), 0u);
    }
}

TEST_F(RunFormTest, FormOverAStartedRunAddsOnlyTheMusicAndWatchesThatRenderer) {
    settings().BgmKind = Settings::BgmKindFile;
    settings().BgmFile = "/m/a.mp3";
    fakes.program.commandLine = "/s";
    auto owned = std::make_unique<FakePictures>(fakes.log);
    owned->desktop = desktop;
    auto start = std::make_unique<RunStart>(fakes.services, std::move(owned));
    start->begin();
    const Texts begun = {"grab desktop", "folder", "save " + handoffPath().string(),
                         "start program"};
    ASSERT_EQ(fakes.log, begun);
    EXPECT_TRUE(takeCommands().empty()) << "no music before the toolkit is up";

    form = std::make_unique<Lumivane_S>(fakes.services, std::move(start), [this] { return now; });
    form->Form_Load();
    EXPECT_EQ(fakes.log, begun) << "nothing captured, written or started twice";
    EXPECT_FALSE(takeCommands().empty());
    EXPECT_EQ(form->rendererProcess(), 4242);
    fakes.programs.running = false;
    form->Timer3_Timer();
    EXPECT_TRUE(ended());
}

TEST_F(RunFormTest, UnsafeWorkingFolderSkipsTheSaveButTheRunGoesOn) {
    fakes.folders.result = false;
    settings().Capture = "0";
    load();
    EXPECT_TRUE(pictures->saved.empty());
    EXPECT_EQ(fakes.programs.started.size(), 1u);
}

TEST_F(RunFormTest, FailedCaptureSavesNothing) {
    desktop = Picture{};
    settings().Capture = "0";
    load();
    EXPECT_TRUE(pictures->saved.empty());
    EXPECT_EQ(fakes.programs.started.size(), 1u);
}

// --- Music by kind and file ending ---

TEST_F(RunFormTest, CdMusicOpensTheDriveAndStartsItsUpkeep) {
    settings().BgmKind = Settings::BgmKindCd;
    Lumivane_S& run = load();
    EXPECT_EQ(takeCommands(), (Texts{"open cdaudio", "set cdaudio time format tmsf"}));
    EXPECT_TRUE(run.Timer2().isActive());
    EXPECT_EQ(run.Timer2().interval(), 200);
    EXPECT_FALSE(run.Timer1().isActive());
}

TEST_F(RunFormTest, FileMusicIsChosenByTheEndOfItsNameInAnyCase) {
    struct Case {
        const char* file;
        bool wav, mp3;
    };
    // Ogg, FLAC and Opus files go to the MP3 player, which decodes them as well.
    for (const Case c : {Case{"/m/a.wav", true, false}, Case{"/m/a.WAV", true, false},
                         Case{"/m/a b.Mp3", false, true}, Case{"/m/a.mid", false, false},
                         Case{"/m/a.ogg", false, true}, Case{"/m/a.FLAC", false, true},
                         Case{"/m.x/a.Opus", false, true}, Case{"/m/a.flac.part", false, false},
                         Case{"/m.ogg/tune", false, false}}) {
        SCOPED_TRACE(c.file);
        settings().BgmKind = Settings::BgmKindFile;
        settings().BgmFile = c.file;
        wave.played.clear();
        Lumivane_S& run = load();
        EXPECT_EQ(wave.played, c.wav ? Texts{c.file} : Texts{});
        const Texts mp3Start = {std::string("open \"") + c.file + "\" type MPEGVideo Alias MP3Play",
                                "play MP3Play"};
        EXPECT_EQ(takeCommands(), c.mp3 ? mp3Start : Texts{});
        EXPECT_EQ(run.Timer1().isActive(), c.mp3);
        EXPECT_EQ(run.Timer1().interval(), 1000);
        EXPECT_FALSE(run.Timer2().isActive());
    }
}

TEST_F(RunFormTest, NoMusicForKindZeroOrUnknownKinds) {
    for (std::int16_t kind : {0, 3, -1}) {
        settings().BgmKind = kind;
        settings().BgmFile = "/m/a.mp3";
        Lumivane_S& run = load();
        EXPECT_TRUE(takeCommands().empty()) << kind;
        EXPECT_TRUE(wave.played.empty()) << kind;
        EXPECT_FALSE(run.Timer1().isActive());
        EXPECT_FALSE(run.Timer2().isActive());
    }
}

TEST_F(RunFormTest, CdTimerFollowsTheUpkeep) {
    settings().BgmKind = Settings::BgmKindCd;
    Lumivane_S& run = load();
    mci.always["status cdaudio current track"] = {0, "1"};
    mci.always["status cdaudio number of tracks"] = {0, "9"};
    mci.always["status cdaudio mode"] = {0, "playing"};
    run.Timer2_Timer();
    EXPECT_TRUE(run.Timer2().isActive());
    mci.always["status cdaudio current track"] = {276, ""}; // the disc has gone
    run.Timer2_Timer();
    EXPECT_FALSE(run.Timer2().isActive());
}

TEST_F(RunFormTest, Mp3TimerRestartsAStoppedFile) {
    settings().BgmKind = Settings::BgmKindFile;
    settings().BgmFile = "/m/a.mp3";
    Lumivane_S& run = load();
    takeCommands();
    mci.always["status MP3Play mode"] = {0, "stopped"};
    run.Timer1_Timer();
    EXPECT_EQ(takeCommands(),
              (Texts{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
}

// --- Teardown ---

TEST_F(RunFormTest, TeardownStopsTheCdOnlyWhileItsUpkeepRuns) {
    settings().BgmKind = Settings::BgmKindCd;
    Lumivane_S& run = load();
    takeCommands();
    run.unload();
    EXPECT_EQ(takeCommands(), (Texts{"stop cdaudio", "close cdaudio"}));
    EXPECT_FALSE(run.Timer2().isActive());

    Lumivane_S& second = load();
    mci.always["status cdaudio current track"] = {263, ""};
    second.Timer2_Timer(); // no drive: the upkeep switches itself off
    takeCommands();
    second.unload();
    EXPECT_TRUE(takeCommands().empty());
}

TEST_F(RunFormTest, TeardownStopsFileMusicByItsEnding) {
    settings().BgmKind = Settings::BgmKindFile;
    settings().BgmFile = "/m/loop.Wav";
    load().unload();
    EXPECT_EQ(wave.stops, 1);

    settings().BgmFile = "/m/song.MP3";
    Lumivane_S& run = load();
    takeCommands();
    run.unload();
    EXPECT_EQ(takeCommands(), (Texts{"stop MP3Play", "close MP3Play"}));
    EXPECT_FALSE(run.Timer1().isActive());
    EXPECT_EQ(wave.stops, 1);
}

TEST_F(RunFormTest, TeardownStopsTheMusicItStartedEvenIfTheSettingsChanged) {
    settings().BgmKind = Settings::BgmKindFile;
    settings().BgmFile = "/m/song.mp3";
    Lumivane_S& run = load();
    takeCommands();
    settings().BgmFile = "/m/loop.wav"; // the record changed during the run
    run.unload();
    EXPECT_EQ(takeCommands(), (Texts{"stop MP3Play", "close MP3Play"}));
    EXPECT_FALSE(run.Timer1().isActive());
    EXPECT_EQ(wave.stops, 0);

    settings().BgmFile = "/m/loop.wav";
    Lumivane_S& second = load();
    settings().BgmKind = Settings::BgmKindNone;
    second.unload();
    EXPECT_EQ(wave.stops, 1) << "the WAV that was started is stopped";
    EXPECT_TRUE(takeCommands().empty());
}

TEST_F(RunFormTest, TeardownGivesTheCursorBackOnlyInModeS) {
    CursorCount() = fakes.cursor.showCursor(false); // what Main did for /s
    load("/s").unload();
    EXPECT_EQ(fakes.cursor.counter, 0);
    EXPECT_EQ(CursorCount(), 0);
    EXPECT_TRUE(ended());

    // Even with a counter left over, a run without /s leaves the cursor alone.
    fakes.log.clear();
    CursorCount() = -1;
    load("").unload();
    EXPECT_EQ(std::count(fakes.log.begin(), fakes.log.end(), "show cursor"), 0);
    EXPECT_TRUE(ended());
}

TEST_F(RunFormTest, KeptCounterOfZeroHidesTheCursorOnceMore) {
    CursorCount() = 0; // the counter stood at 1 before the run
    load("/s").unload();
    EXPECT_EQ(fakes.cursor.counter, -1);
    EXPECT_EQ(CursorCount(), -1);
}

TEST_F(RunFormTest, CloseRequestFromOutsideTearsTheRunDown) {
    settings().BgmKind = Settings::BgmKindCd;
    Lumivane_S& run = load();
    takeCommands();
    run.close();
    EXPECT_EQ(takeCommands(), (Texts{"stop cdaudio", "close cdaudio"}));
    EXPECT_TRUE(ended());
}

TEST_F(RunFormTest, TeardownRunsOnceWhateverAsksForIt) {
    settings().BgmKind = Settings::BgmKindCd;
    Lumivane_S& run = load();
    takeCommands();
    run.unload();
    run.close();
    fakes.windows.present.clear();
    run.Timer3_Timer();
    EXPECT_EQ(takeCommands(), (Texts{"stop cdaudio", "close cdaudio"}));
    EXPECT_TRUE(ended());
}

// --- The renderer watch ---

TEST_F(RunFormTest, WatchRunsEveryHalfSecondFromTheStart) {
    Lumivane_S& run = load();
    EXPECT_TRUE(run.Timer3().isActive());
    EXPECT_EQ(run.Timer3().interval(), 500);
}

TEST_F(RunFormTest, RendererGoneAfterItWasSeenEndsTheRun) {
    Lumivane_S& run = load();
    fakes.windows.present = {"Lumivane_VC"};
    run.Timer3_Timer();
    run.Timer3_Timer();
    EXPECT_FALSE(ended());
    fakes.windows.present.clear();
    run.Timer3_Timer();
    EXPECT_TRUE(ended());
    EXPECT_FALSE(run.Timer3().isActive());
}

TEST_F(RunFormTest, RendererNotYetSeenIsWaitedForUpToTheLimit) {
    Lumivane_S& run = load();
    now += 9900ms;
    run.Timer3_Timer();
    EXPECT_FALSE(ended());
    EXPECT_TRUE(run.Timer3().isActive());
    now += 100ms; // a renderer that never shows a window still ends the run
    run.Timer3_Timer();
    EXPECT_TRUE(ended());
}

TEST_F(RunFormTest, RendererThatEndsBeforeShowingAWindowEndsTheRunAtOnce) {
    Lumivane_S& run = load();
    run.Timer3_Timer();
    EXPECT_FALSE(ended());
    fakes.programs.running = false; // crashed, or closed before the first look
    run.Timer3_Timer();
    EXPECT_TRUE(ended());
}

TEST_F(RunFormTest, RendererThatCannotBeStartedEndsTheRunAtTheFirstLook) {
    fakes.programs.pid.reset();
    Lumivane_S& run = load();
    run.Timer3_Timer();
    EXPECT_TRUE(ended());
}

// --- Escape, whoever holds the keyboard ---

TEST_F(RunFormTest, EscapeOnARendererThatDoesNotEndAsksItThenEndsItThenTheRun) {
    CursorCount() = fakes.cursor.showCursor(false); // what Main did for /s
    Lumivane_S& run = load();
    run.escapePressed(); // no window yet: nothing on the screen to give back
    EXPECT_FALSE(run.escapeFollowUp().isActive());
    fakes.windows.present = {"Lumivane_VC"};
    run.escapePressed();
    EXPECT_TRUE(run.escapeFollowUp().isActive());
    auto steps = [&](std::chrono::milliseconds later) {
        now += later;
        fakes.log.clear();
        run.followEscape();
        Texts done;
        std::copy_if(fakes.log.begin(), fakes.log.end(), std::back_inserter(done),
                     [](const std::string& step) { return step.rfind("find", 0) != 0; });
        return done;
    };
    EXPECT_EQ(steps(600ms), Texts{});
    run.escapePressed(); // a second Escape starts nothing over
    EXPECT_EQ(steps(100ms), Texts{"stop program 4242"});
    EXPECT_EQ(steps(200ms), Texts{});
    EXPECT_EQ(steps(100ms), Texts{"kill program 4242"});
    EXPECT_EQ(steps(100ms), Texts{});
    fakes.windows.present.clear();
    EXPECT_EQ(steps(100ms), (Texts{"show cursor", "end 0"}));
    EXPECT_FALSE(run.escapeFollowUp().isActive());
    EXPECT_FALSE(run.Timer3().isActive());
}

TEST_F(RunFormTest, RunInADaemonsWindowHandsItsOwnPictureOverAndPlaysOnlyWithTheTurn) {
    settings().BgmKind = Settings::BgmKindFile;
    settings().BgmFile = "/m/a.wav";
    files["/pics/mine.png"] = pattern(3, 3);
    // The screenshot, else the picture file mirrored, else the sample; music with the turn.
    for (int c = 0; c < 3; ++c) {
        settings().ImageFile = c < 2 ? "/pics/mine.png" : "";
        wave.played.clear();
        fakes.log.clear();
        fakes.programs.running = true;
        Lumivane_S& run = load("--root", DisplayHost{0x2a, c == 2, {}}, c == 0);
        const std::filesystem::path own = run.handoffFile();
        EXPECT_NE(own, handoffPath());
        EXPECT_EQ(pictures->saved[own], c == 0   ? pattern(6, 2)
                                        : c == 1 ? mirrored(pattern(3, 3))
                                                 : pattern(5, 4));
        EXPECT_EQ(fakes.programs.argsSeen,
                  (Texts{"--window-id", "0x2a", "--picture", own.string()}));
        EXPECT_EQ(wave.played.empty(), c != 2);
        // It follows its own renderer's process, whatever windows of that title there are,
        // and takes its file away at the end.
        std::filesystem::create_directories(own.parent_path());
        std::ofstream(own) << "picture";
        fakes.windows.present = {"Lumivane_VC"};
        fakes.programs.running = false;
        run.Timer3_Timer();
        EXPECT_TRUE(ended());
        EXPECT_FALSE(std::filesystem::exists(own));
    }
}

TEST_F(RunFormTest, RunFormIsFindableByItsTitleButNeverShown) {
    Lumivane_S& run = load();
    EXPECT_EQ(run.windowTitle().toStdString(), "Lumivane_Main");
    EXPECT_FALSE(run.isVisible());
}

TEST(MusicFileEnding, TakesTheLastThreeCharactersInUpperCase) {
    EXPECT_EQ(MusicFileEnding("/a/b.mp3"), "MP3");
    EXPECT_EQ(MusicFileEnding("/a/b.wAv"), "WAV");
    EXPECT_EQ(MusicFileEnding("v"), "V");
    EXPECT_EQ(MusicFileEnding(""), "");
}

} // namespace

// Main, the saver's entry: the single-instance guard, the mode table row by row, and the preview
// handle read from the command line.
#include "startup/Lumivane_B.h"

#include "FakeSaverServices.h"
#include "FileText.h"
#include "TempDir.h"
#include "settings/Settings.h"
#include "startup/EarlyRun.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace quillaro;
using namespace quillaro::test;

namespace {

class MainTest : public ::testing::Test {
protected:
    TempDir programDir;
    TempDir cacheDir;
    FakeSaverServices fakes;
    Log& log = fakes.log;
    ProgramInfo& program = fakes.program;
    FakeWindows& windows = fakes.windows;
    FakeCursor& cursor = fakes.cursor;
    FakeFolders& folders = fakes.folders;
    FakeMessages& messages = fakes.messages;
    Handovers handovers;
    std::int32_t previewHandle = -1;

    void SetUp() override {
        settings() = Settings{};
        CursorCount().reset();
        setenv("XDG_CACHE_HOME", cacheDir.path().c_str(), 1);
        program.folder = programDir.path().string();
        writeFile(programDir / "Quillaro.dll", "renderer");
        handovers.preview = [this](SaverServices&, std::int32_t handle) {
            log.push_back("preview");
            previewHandle = handle;
            return std::make_unique<QObject>();
        };
        handovers.settingsDialog = [this](SaverServices&) { log.push_back("dialog"); };
        handovers.run = [this](SaverServices&) {
            log.push_back("run");
            return std::make_unique<QObject>();
        };
    }
    void TearDown() override { unsetenv("XDG_CACHE_HOME"); }

    LoadedForm runMain(const std::string& commandLine) {
        log.clear();
        settings() = Settings{};
        CursorCount().reset();
        program.commandLine = commandLine;
        return Main(fakes.services, handovers);
    }
};

const Log Guard = {"find Lumivane_Main", "find <Quillaro>"};

Log guardThen(std::initializer_list<std::string> steps) {
    Log out = Guard;
    out.insert(out.end(), steps);
    return out;
}

} // namespace

// --- Preview handle ---

TEST(PreviewHandle, ReadsTheNumberFromTheFourthCharacterOn) {
    EXPECT_EQ(PreviewHandle("/p 1234"), 1234);
    EXPECT_EQ(PreviewHandle("/p:1234"), 1234);
    EXPECT_EQ(PreviewHandle("/P 77"), 77);
    EXPECT_EQ(PreviewHandle("/p"), 0);
    EXPECT_EQ(PreviewHandle("/p "), 0);
    EXPECT_EQ(PreviewHandle("/p 12 34"), 1234);
    EXPECT_EQ(PreviewHandle("/p 1e3"), 1000);
    EXPECT_EQ(PreviewHandle("/p 2.5"), 2);
    EXPECT_EQ(PreviewHandle("/p 3.5"), 4);
    EXPECT_EQ(PreviewHandle("/p 42abc"), 42);
    EXPECT_EQ(PreviewHandle("/p abc"), 0);
    EXPECT_EQ(PreviewHandle("/p\t\n5"), 5);
    EXPECT_EQ(PreviewHandle("/pä12"), 12); // the fourth character, not the fourth byte
}

TEST(StartsRun, TakesTheEarlyPathForRunsButNeverForADisplayModeLine) {
    // Main reads the display-mode words first, wherever they stand; the early path has no
    // display-mode handover and would end such a start silently.
    const std::vector<std::pair<std::string, bool>> lines = {
        {"", true},       {"/s", true},         {"-S 5", true},    {"/c", false},
        {"/p 12", false}, {"/s --root", false}, {"--root", false}, {"/S --window-id=7", false}};
    for (const auto& [line, run] : lines)
        EXPECT_EQ(StartsRun(line), run) << line;
}

TEST(PreviewHandle, AValueBeyond32BitsGivesHandleZero) {
    EXPECT_EQ(PreviewHandle("/p 2147483647"), 2147483647);
    EXPECT_EQ(PreviewHandle("/p -2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(PreviewHandle("/p 2147483648"), 0);
    EXPECT_EQ(PreviewHandle("/p 4294967295"), 0);
    EXPECT_EQ(PreviewHandle("/p 1e10"), 0);
    EXPECT_EQ(PreviewHandle("/p 1e400"), 0);
    EXPECT_EQ(PreviewHandle("/p " + std::string(200000, '9')), 0);
}
// --- Main: the mode table row by row ---

TEST_F(MainTest, PreviewHandsTheHandleOverWithoutFolderSettingsOrRendererCheck) {
    std::filesystem::remove(programDir / "Quillaro.dll");
    auto form = runMain("/p 1234");
    EXPECT_TRUE(form);
    EXPECT_EQ(log, guardThen({"preview"}));
    EXPECT_EQ(previewHandle, 1234);
    EXPECT_TRUE(settings().ImageFolder.empty()); // settings never loaded

    runMain("/p:5678");
    EXPECT_EQ(previewHandle, 5678);
    runMain("/p");
    EXPECT_EQ(previewHandle, 0);
    EXPECT_EQ(log, guardThen({"preview"}));
}

TEST_F(MainTest, ConfigurationShowsTheDialogAndEnds) {
    for (const char* line : {"/c", "/C", "/c:1234"}) {
        auto form = runMain(line);
        EXPECT_FALSE(form);
        EXPECT_EQ(log, guardThen({"folder", "dialog", "end 0"})) << line;
    }
}

TEST_F(MainTest, RunModeSHidesTheCursorThenLoadsTheRunForm) {
    for (const char* line : {"/s", "/S", "-s", "xs", "/s 1234"}) {
        auto form = runMain(line);
        EXPECT_TRUE(form) << line;
        EXPECT_EQ(log, guardThen({"folder", "hide cursor", "run"})) << line;
        EXPECT_EQ(CursorCount(), -1) << line;
        cursor.counter = 0;
    }
}

TEST_F(MainTest, EmptyCommandLineRunsWithTheCursorLeftVisible) {
    auto form = runMain("");
    EXPECT_TRUE(form);
    EXPECT_EQ(log, guardThen({"folder", "run"}));
    EXPECT_FALSE(CursorCount().has_value());
}

TEST_F(MainTest, OtherCommandLinesEndSilentlyAfterTheRendererCheck) {
    for (const char* line : {"s", "/x", "ab", " ", "/?"}) {
        auto form = runMain(line);
        EXPECT_FALSE(form);
        EXPECT_EQ(log, guardThen({"folder", "end 0"})) << line;
        EXPECT_EQ(settings().ImageFolder, program.folder) << "settings are loaded first: " << line;
    }
}

TEST_F(MainTest, AnotherInstanceStopsEveryModeSilently) {
    for (const char* title : {"Lumivane_Main", "<Quillaro>"}) {
        windows.present = {title};
        for (const char* line : {"/s", "/c", "/p 1234", "", "s"}) {
            auto form = runMain(line);
            EXPECT_FALSE(form);
            EXPECT_EQ(log, guardThen({"end 0"})) << title << ' ' << line;
            EXPECT_FALSE(CursorCount().has_value());
        }
    }
}

TEST_F(MainTest, MissingRendererShowsTheMessageAndEnds) {
    std::filesystem::remove(programDir / "Quillaro.dll");
    for (const char* line : {"/s", "/c", "", "s"}) {
        auto form = runMain(line);
        EXPECT_FALSE(form);
        EXPECT_EQ(log, guardThen({"folder", "message", "end 1"})) << line;
        EXPECT_FALSE(CursorCount().has_value());
    }
    EXPECT_EQ(messages.caption, "Quillaro (ScreenSaver)");
    EXPECT_EQ(messages.text, "Quillaro.dll \xE3\x81\x8C\xE5\x90\x8C\xE3\x81\x98\xEF\xBE\x8C"
                             "\xEF\xBD\xAB\xEF\xBE\x99\xEF\xBE\x80\xEF\xBE\x9E\xE3\x81\xAB"
                             "\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x8A\xE3\x81\xBE"
                             "\xE3\x81\x9B\xE3\x82\x93\xEF\xBC\x81");
}

TEST_F(MainTest, ARendererFolderOfThatNameIsNoRenderer) {
    std::filesystem::remove(programDir / "Quillaro.dll");
    std::filesystem::create_directory(programDir / "Quillaro.dll");
    runMain("/s");
    EXPECT_EQ(log, guardThen({"folder", "message", "end 1"}));
}

TEST_F(MainTest, WorkingFolderComesBeforeTheSettingsAndTheRendererCheck) {
    std::filesystem::remove(programDir / "Quillaro.dll");
    bool settingsLoadedBefore = true;
    folders.onCreate = [&] { settingsLoadedBefore = !settings().ImageFolder.empty(); };
    runMain("/s");
    EXPECT_EQ(folders.created, cacheDir / "v_kord");
    EXPECT_FALSE(settingsLoadedBefore);
    EXPECT_EQ(settings().ImageFolder, program.folder);
}

TEST_F(MainTest, AHandoverWithoutItsUnitEndsTheProgramThere) {
    handovers = Handovers{};
    EXPECT_FALSE(runMain("/p 1"));
    EXPECT_EQ(log, guardThen({"end 0"}));
    EXPECT_FALSE(runMain("/c"));
    EXPECT_EQ(log, guardThen({"folder", "end 0"}));
    EXPECT_FALSE(runMain("/s"));
    EXPECT_EQ(log, guardThen({"folder", "hide cursor", "end 0"}));
    EXPECT_FALSE(runMain(""));
    EXPECT_EQ(log, guardThen({"folder", "end 0"}));
}

TEST_F(MainTest, AUnitThatLoadsNoFormEndsTheProgram) {
    handovers.run = [this](SaverServices&) {
        log.push_back("run");
        return LoadedForm{};
    };
    handovers.preview = [this](SaverServices&, std::int32_t) {
        log.push_back("preview");
        return LoadedForm{};
    };
    runMain("");
    EXPECT_EQ(log, guardThen({"folder", "run", "end 0"}));
    runMain("/p 3");
    EXPECT_EQ(log, guardThen({"preview", "end 0"}));
}

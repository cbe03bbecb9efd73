#include "startup/Lumivane_B.h"

#include "FakeSaverServices.h"
#include "FileText.h"
#include "TempDir.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <vector>

using namespace quillaro;
using quillaro::test::TempDir;
using quillaro::test::writeFile;
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

// --- Mode letter and preview handle ---

TEST(ModeLetter, IsTheSecondCharacterInUpperCase) {
    EXPECT_EQ(ModeLetter("/s"), "S");
    EXPECT_EQ(ModeLetter("/S"), "S");
    EXPECT_EQ(ModeLetter("-s"), "S");
    EXPECT_EQ(ModeLetter("xs"), "S");
    EXPECT_EQ(ModeLetter("/c:1234"), "C");
    EXPECT_EQ(ModeLetter("/p 99"), "P");
    EXPECT_EQ(ModeLetter("s"), "");
    EXPECT_EQ(ModeLetter(""), "");
    EXPECT_EQ(ModeLetter("/ä"), "ä");
    EXPECT_EQ(ModeLetter("äs"), "S"); // characters, not bytes
    EXPECT_EQ(ModeLetter("\xff"
                         "c"),
              "C");
}

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

// --- LoadSettings ---

namespace {

class LoadSettingsTest : public ::testing::Test {
protected:
    TempDir programDir;
    TempDir files;
    std::string folder = programDir.path().string();
    std::filesystem::path ini = programDir / "Quillaro.ini";
    std::string picture = (files / "pics" / "a.jpg").string();
    std::string music = (files / "music" / "a.mp3").string();

    void SetUp() override {
        settings() = Settings{};
        std::filesystem::create_directories(files / "pics");
        std::filesystem::create_directories(files / "music");
        writeFile(picture, "jpeg");
        writeFile(music, "mp3");
    }

    // Writes the settings file with the given keys in the key table's order (null: left out).
    void settingsFile(const char* capture, const std::string* image, const char* kind,
                      const char* repeat, const std::string* bgm) {
        std::string text = "[Section]\n";
        if (capture)
            text += std::string("ｷｬﾌﾟﾁｬｰ=") + capture + "\n";
        if (image)
            text += "画像ﾌｧｲﾙ=" + *image + "\n";
        if (kind)
            text += std::string("BGM区分=") + kind + "\n";
        if (repeat)
            text += std::string("BGMﾘﾋﾟｰﾄ=") + repeat + "\n";
        if (bgm)
            text += "BGMﾌｧｲﾙ=" + *bgm + "\n";
        writeFile(ini, text);
    }

    void expectDefaults() {
        const Settings& s = settings();
        EXPECT_EQ(s.Capture, "0");
        EXPECT_EQ(s.ImageFile, "");
        EXPECT_EQ(s.ImageFolder, folder);
        EXPECT_EQ(s.BgmKind, 0);
        EXPECT_EQ(s.BgmRepeat, 0);
        EXPECT_EQ(s.BgmFile, "");
        EXPECT_EQ(s.BgmFolder, folder);
    }
};

} // namespace

TEST_F(LoadSettingsTest, NoSettingsFileGivesTheDefaults) {
    LoadSettings(folder);
    expectDefaults();
}

TEST_F(LoadSettingsTest, BadSettingsFilesGiveTheDefaults) {
    writeFile(ini, "");
    LoadSettings(folder);
    expectDefaults();

    std::string junk;
    for (int i = 0; i < 200000; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    writeFile(ini, junk);
    settings() = Settings{};
    LoadSettings(folder);
    expectDefaults();

    std::filesystem::remove(ini);
    std::filesystem::create_directory(ini);
    settings() = Settings{};
    LoadSettings(folder);
    expectDefaults();
}

TEST_F(LoadSettingsTest, AllFiveKeysReadBack) {
    settingsFile("1", &picture, "2", "7", &music);
    LoadSettings(folder);
    const Settings& s = settings();
    EXPECT_EQ(s.Capture, "1");
    EXPECT_EQ(s.ImageFile, picture);
    EXPECT_EQ(s.ImageFolder, (files / "pics").string());
    EXPECT_EQ(s.BgmKind, 2);
    EXPECT_EQ(s.BgmRepeat, 7);
    EXPECT_EQ(s.BgmFile, music);
    EXPECT_EQ(s.BgmFolder, (files / "music").string());
}

TEST_F(LoadSettingsTest, PicturePathWithDesktopCaptureKeepsThePathButCapturesTheDesktop) {
    settingsFile("0", &picture, nullptr, nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().Capture, "0");
    EXPECT_EQ(settings().ImageFile, picture);
    EXPECT_EQ(settings().ImageFolder, (files / "pics").string());
}

TEST_F(LoadSettingsTest, MissingCaptureKeyWithAUsablePictureSelectsThePicture) {
    settingsFile(nullptr, &picture, nullptr, nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().Capture, "1");
}

TEST_F(LoadSettingsTest, VanishedPictureFallsBackToDesktopCapture) {
    std::string gone = (files / "pics" / "gone.jpg").string();
    settingsFile("1", &gone, nullptr, nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().Capture, "0");
    EXPECT_EQ(settings().ImageFile, "");
    EXPECT_EQ(settings().ImageFolder, folder);

    std::string aFolder = (files / "pics").string();
    settingsFile("1", &aFolder, nullptr, nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().Capture, "0");
    EXPECT_EQ(settings().ImageFile, "");
}

TEST_F(LoadSettingsTest, CaptureIsTheIntegerPartRoundedDown) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "1"},   {"1.7", "1"},      {"-0.5", "-1"}, {" 2 ", "2"},
        {"0.2", "0"}, {"1e20", "1E+20"}, {"-0", "0"},    {"\"3\"", "3"}};
    for (const auto& [stored, expected] : cases) {
        settings() = Settings{};
        settingsFile(stored, &picture, nullptr, nullptr, nullptr);
        LoadSettings(folder);
        EXPECT_EQ(settings().Capture, expected) << stored;
    }
}

TEST_F(LoadSettingsTest, CaptureThatIsNotANumberStaysEmpty) {
    for (const char* stored : {"abc", "1x", "1 2", "1e999"}) {
        settings() = Settings{};
        settingsFile(stored, &picture, nullptr, nullptr, nullptr);
        LoadSettings(folder);
        EXPECT_EQ(settings().Capture, "") << stored;
        EXPECT_EQ(settings().ImageFile, picture);
    }
}

TEST_F(LoadSettingsTest, MusicKindTwoNeedsAUsableMusicFile) {
    settingsFile(nullptr, nullptr, "2", nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().BgmKind, 0);
    EXPECT_EQ(settings().BgmFolder, folder);

    std::string gone = (files / "music" / "gone.mp3").string();
    settingsFile(nullptr, nullptr, "2", nullptr, &gone);
    LoadSettings(folder);
    EXPECT_EQ(settings().BgmKind, 0);
    EXPECT_EQ(settings().BgmFile, "");
    EXPECT_EQ(settings().BgmFolder, folder);
}

TEST_F(LoadSettingsTest, MusicKindOneStaysWhateverTheFileKeySays) {
    std::string gone = (files / "music" / "gone.mp3").string();
    settingsFile(nullptr, nullptr, "1", "3", &gone);
    LoadSettings(folder);
    EXPECT_EQ(settings().BgmKind, 1);
    EXPECT_EQ(settings().BgmRepeat, 3);
    EXPECT_EQ(settings().BgmFile, "");

    settingsFile(nullptr, nullptr, "1", nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().BgmKind, 1);
}

TEST_F(LoadSettingsTest, IntegerFieldsTakeTheIntegerPartOrStayAsTheyWere) {
    struct Case {
        const char* stored;
        std::int16_t expected;
    };
    const Case cases[] = {{"1.9", 1},    {"-0.5", -1},       {"32767", 32767}, {"-32768", -32768},
                          {"32768", 55}, {"-32769", 55},     {"abc", 55},      {"", 0},
                          {"1e3", 1000}, {"32767.9", 32767}, {"1e999", 55}};
    for (const auto& c : cases) {
        settings() = Settings{};
        settings().BgmKind = 55;
        settings().BgmRepeat = 55;
        settingsFile(nullptr, nullptr, c.stored, c.stored, &music);
        LoadSettings(folder);
        EXPECT_EQ(settings().BgmKind, c.expected) << c.stored;
        EXPECT_EQ(settings().BgmRepeat, c.expected) << c.stored;
    }
}

TEST_F(LoadSettingsTest, AMissingRepeatKeyGivesZero) {
    settings().BgmRepeat = 9;
    settingsFile(nullptr, nullptr, "1", nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().BgmRepeat, 0);
}

TEST_F(LoadSettingsTest, APathOfMoreThan255BytesIsCutAndThenCleared) {
    std::filesystem::path deep = files.path();
    while (deep.string().size() < 260)
        deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    std::string longPicture = (deep / "picture.jpg").string();
    writeFile(longPicture, "jpeg");
    settingsFile("1", &longPicture, nullptr, nullptr, nullptr);
    LoadSettings(folder);
    EXPECT_EQ(settings().ImageFile, "");
    EXPECT_EQ(settings().Capture, "0");
}

// Japanese paths take three bytes a character: 127 of them are 381 bytes, yet well within the
// 255 characters a value holds.
TEST_F(LoadSettingsTest, PathsOfUpTo255CharactersSurviveWhateverTheirBytes) {
    auto japanese = [](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += "写";
        return text;
    };
    // Two folders, since one name holds at most 255 bytes.
    std::filesystem::path deep = files / japanese(64) / japanese(59);
    std::filesystem::create_directories(deep);
    std::string longPicture = (deep / (japanese(4) + ".jpg")).string();
    std::string longMusic = (deep / (japanese(4) + ".mp3")).string();
    writeFile(longPicture, "jpeg");
    writeFile(longMusic, "mp3");
    ASSERT_GT(longPicture.size(), 381u);
    settingsFile("1", &longPicture, "2", nullptr, &longMusic);
    LoadSettings(folder);
    EXPECT_EQ(settings().ImageFile, longPicture);
    EXPECT_EQ(settings().Capture, "1");
    EXPECT_EQ(settings().ImageFolder, deep.string());
    EXPECT_EQ(settings().BgmFile, longMusic);
    EXPECT_EQ(settings().BgmKind, 2);
}

// --- Path helpers and the settings-file wrappers ---

TEST(FileExists, RegularFilesOnly) {
    TempDir dir;
    writeFile(dir / "a.mp3", "x");
    EXPECT_TRUE(FileExists((dir / "a.mp3").string()));
    EXPECT_TRUE(FileExists((dir / "a.mp3").string() + "/"));
    EXPECT_FALSE(FileExists((dir / "a.mp3").string() + "//"));
    EXPECT_FALSE(FileExists(dir.path().string()));
    EXPECT_FALSE(FileExists(dir.path().string() + "/"));
    EXPECT_FALSE(FileExists((dir / "missing").string()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("/"));
    EXPECT_FALSE(FileExists(std::string("a\0b", 3)));
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(FileExists((dir / "fifo").string())); // and returns at once
}

TEST(ParentFolder, CutsAtTheLastSlashAndKeepsTheRoot) {
    EXPECT_EQ(ParentFolder("/pics/a.jpg"), "/pics");
    EXPECT_EQ(ParentFolder("/a.jpg"), "/");
    EXPECT_EQ(ParentFolder("/pics/"), "/pics");
    EXPECT_EQ(ParentFolder("pics/a.jpg"), "pics");
    EXPECT_EQ(ParentFolder("a.jpg"), "");
    EXPECT_EQ(ParentFolder(""), "");
    EXPECT_EQ(ParentFolder("/"), "/");
    EXPECT_EQ(ParentFolder("/home/u/ピクチャ/写真.jpg"), "/home/u/ピクチャ");
}

TEST(IniStrings, ReadStopsAtNulAnd255CharactersWriteCutsNamesAt127) {
    TempDir dir;
    std::string file = (dir / "Quillaro.ini").string();
    using namespace std::string_literals;
    writeFile(file, "[Section]\nnul=ab\0cd\nlong="s + std::string(400, 'x') + "\n");
    EXPECT_EQ(ReadIniString("Section", "nul", file), "ab");
    EXPECT_EQ(ReadIniString("Section", "long", file), std::string(255, 'x'));
    EXPECT_EQ(ReadIniString("Section", "missing", file), "");
    EXPECT_EQ(ReadIniString("Section", "long", (dir / "none.ini").string()), "");

    std::string key(200, 'k');
    WriteIniString("Section", key, "v", file);
    EXPECT_EQ(ReadIniString("Section", key.substr(0, 127), file), "v");

    // Values count 255 characters and names 127, never half of one.
    std::string kana, kanaKey;
    for (int i = 0; i < 300; ++i)
        kana += "ﾌ";
    for (int i = 0; i < 200; ++i)
        kanaKey += "区";
    writeFile(file, "[Section]\nkana=x" + kana + "\n");
    EXPECT_EQ(ReadIniString("Section", "kana", file), "x" + kana.substr(0, 254 * 3));
    WriteIniString("Section", kanaKey, kana, file);
    EXPECT_EQ(ReadIniString("Section", kanaKey.substr(0, 127 * 3), file), kana.substr(0, 255 * 3));
    WriteIniString("Section", "BGM区分", "2", file);
    EXPECT_EQ(ReadIniString("section", "bgm区分", file), "2");
}

TEST(ProgramPaths, SettingsAndRendererLieInTheProgramFolder) {
    EXPECT_EQ(SettingsFilePath("/opt/quillaro"), "/opt/quillaro/Quillaro.ini");
    EXPECT_EQ(RendererPath("/opt/quillaro"), "/opt/quillaro/Quillaro.dll");
    EXPECT_EQ(RendererPath("/"), "/Quillaro.dll");
    // A program folder that could not be found must not send us to the root folder.
    EXPECT_EQ(SettingsFilePath(""), "");
    EXPECT_EQ(RendererPath(""), "");
}

// The settings file beside the saver: LoadSettings and its fallbacks, the path helpers, and the
// profile-string wrappers with their buffer sizes.
#include "settings/SettingsFile.h"

#include "FileText.h"
#include "TempDir.h"
#include "settings/Settings.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

using namespace quillaro;
using namespace quillaro::test;

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

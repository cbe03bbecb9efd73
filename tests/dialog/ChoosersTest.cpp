// The settings dialog's two choosers as a table: their file-type lists, and the folder they
// open in before and after a file has been chosen; then the user's folders, from a made-up home.
#include "dialog/Choosers.h"

#include "TempDir.h"

#include <QDir>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace quillaro;

TEST(Choosers, ListTheTextsFilterThenEveryFormatTheRunTakesAndOpenInTheUsersFolderAtFirst) {
    const QList<QByteArray> readable = {"bmp", "jpeg", "jpg", "png", "PNG", "webp"};
    const FileChoice picture = PictureChoice("", "/usr/lib/quillaro", "/home/u/Pictures", readable);
    EXPECT_EQ(picture.title, "ﾌｧｲﾙを開く");
    EXPECT_EQ(picture.filters,
              (std::vector<FileFilter>{
                  {"画像ﾌｧｲﾙ (BMP JPG)", {"*.BMP", "*JPG"}},
                  {"すべての画像ﾌｧｲﾙ", {"*.bmp", "*.jpeg", "*.jpg", "*.png", "*.webp"}}}));
    const FileChoice music = MusicChoice("", "/usr/lib/quillaro", "/home/u/Music");
    EXPECT_EQ(music.title, "ﾌｧｲﾙを開く");
    EXPECT_EQ(music.filters,
              (std::vector<FileFilter>{{"BGMﾌｧｲﾙ (MP3 WAV)", {"*.MP3", "*.WAV"}},
                                       {"すべてのBGMﾌｧｲﾙ (MP3 WAV OGG FLAC OPUS)",
                                        {"*.MP3", "*.WAV", "*.OGG", "*.FLAC", "*.OPUS"}}}));

    struct Row {
        std::string file, folder;
        QString opens;
    } rows[] = {
        {"", "/usr/lib/quillaro", "/home/u/Own"}, // nothing chosen yet: the program's folder
        {"", "", "/home/u/Own"},                  // the folder of no picture
        {"/data/a.jpg", "/data", "/data"},        // a file chosen: its folder
        {"a.jpg", "", "/home/u/Own"},             // a bare name has no folder to open
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PictureChoice(row.file, row.folder, "/home/u/Own", readable).initialFolder,
                  row.opens)
            << row.file << " in " << row.folder;
        EXPECT_EQ(MusicChoice(row.file, row.folder, "/home/u/Own").initialFolder, row.opens);
    }
}

TEST(Choosers, UserFoldersAreTheXdgOnesOrHome) {
    test::TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    const QString homeFolder = QString::fromStdString(home.path().string());
    EXPECT_EQ(UserFolder(QStandardPaths::PicturesLocation), homeFolder);
    std::filesystem::create_directories(home / ".config");
    std::filesystem::create_directories(home / "Bilder");
    std::filesystem::create_directories(home / "Musik");
    std::FILE* dirs = std::fopen((home / ".config" / "user-dirs.dirs").c_str(), "w");
    ASSERT_NE(dirs, nullptr);
    std::fputs("XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n", dirs);
    std::fclose(dirs);
    EXPECT_EQ(UserFolder(QStandardPaths::PicturesLocation), homeFolder + "/Bilder");
    EXPECT_EQ(UserFolder(QStandardPaths::MusicLocation), homeFolder + "/Musik");
}

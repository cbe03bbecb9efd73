// The settings dialog's two choosers as a table: their file-type lists, and the folder they
// open in before and after a file has been chosen; then the user's folders from a made-up home.
#include "dialog/Choosers.h"

#include "FileText.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace quillaro;

TEST(Choosers, ListTheTextsFilterThenEveryFormatTheRunTakesAndOpenInTheUsersFolderAtFirst) {
    const QList<QByteArray> readable = {"bmp", "jpeg", "jpg", "png", "PNG", "webp"};
    EXPECT_EQ(PictureChoice("", "", "", readable).filters,
              (std::vector<FileFilter>{
                  {"画像ﾌｧｲﾙ (BMP JPG)", {"*.BMP", "*JPG"}},
                  {"すべての画像ﾌｧｲﾙ", {"*.bmp", "*.jpeg", "*.jpg", "*.png", "*.webp"}}}));
    EXPECT_EQ(MusicChoice("", "", "").filters,
              (std::vector<FileFilter>{{"BGMﾌｧｲﾙ (MP3 WAV)", {"*.MP3", "*.WAV"}},
                                       {"すべてのBGMﾌｧｲﾙ (MP3 WAV OGG FLAC OPUS)",
                                        {"*.MP3", "*.WAV", "*.OGG", "*.FLAC", "*.OPUS"}}}));
    struct Row {
        std::string file, folder, opens;
    } rows[] = {
        {"", "/usr/lib/quillaro", "/home/u/Own"},   // nothing chosen yet: the program's folder
        {"/data/a.jpg", "/data", "/data"},          // a file chosen: its folder
        {"a.jpg", "", "/home/u/Own"},               // a bare name has no folder to open
        {"/f\xf6to/a.jpg", "/f\xf6to", "/f\xf6to"}, // a folder named in Latin-1, as it is
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
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    EXPECT_EQ(UserFolder(QStandardPaths::PicturesLocation), home.path().c_str());
    std::filesystem::create_directories(home / "Bilder");
    std::filesystem::create_directories(home / "config");
    test::writeFile(home / "config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(UserFolder(QStandardPaths::PicturesLocation), (home / "Bilder").c_str());
}

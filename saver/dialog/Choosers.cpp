#include "Choosers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillaro {
namespace {

constexpr const char* ChooserTitle = "ﾌｧｲﾙを開く";
constexpr const char* PictureFilterName = "画像ﾌｧｲﾙ (BMP JPG)";
constexpr const char* AllPicturesName = "すべての画像ﾌｧｲﾙ";
constexpr const char* MusicFilterName = "BGMﾌｧｲﾙ (MP3 WAV)";
constexpr const char* AllMusicName = "すべてのBGMﾌｧｲﾙ (MP3 WAV OGG FLAC OPUS)";

// The folder's own bytes, so that one whose name is not UTF-8 opens as it is.
std::string initialFolder(const std::string& file, const std::string& folder,
                          const QString& userFolder) {
    return file.empty() || folder.empty() ? QFile::encodeName(userFolder).toStdString() : folder;
}

} // namespace

FileChoice PictureChoice(const std::string& file, const std::string& folder,
                         const QString& userFolder, const QList<QByteArray>& readable) {
    FileFilter all{AllPicturesName, {}};
    for (const QByteArray& format : readable) {
        const QString pattern = "*." + QString::fromLatin1(format).toLower();
        if (!format.isEmpty() && !all.patterns.contains(pattern))
            all.patterns << pattern;
    }
    // No dot before JPG: any name ending in JPG is listed too.
    return {ChooserTitle,
            {{PictureFilterName, {"*.BMP", "*JPG"}}, std::move(all)},
            initialFolder(file, folder, userFolder)};
}

FileChoice MusicChoice(const std::string& file, const std::string& folder,
                       const QString& userFolder) {
    return {ChooserTitle,
            {{MusicFilterName, {"*.MP3", "*.WAV"}},
             {AllMusicName, {"*.MP3", "*.WAV", "*.OGG", "*.FLAC", "*.OPUS"}}},
            initialFolder(file, folder, userFolder)};
}

QString UserFolder(QStandardPaths::StandardLocation kind) {
    const QString folder = QStandardPaths::writableLocation(kind);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

} // namespace quillaro

// What the settings dialog's two file choosers show: the title, the dialog's own filter first,
// then an entry with every format the run takes, and the folder they open in. Until a file has
// been chosen they open in the user's own folder of pictures or music rather than the program's.
#pragma once

#include "platform/FileChooser.h"

#include <QByteArray>
#include <QList>
#include <QStandardPaths>
#include <string>

namespace quillaro {

// The picture chooser for the picture file and chooser folder the settings hold; userFolder is
// where it opens while no picture file is named, readable the formats Qt's readers take
// (QImageReader::supportedImageFormats).
FileChoice PictureChoice(const std::string& file, const std::string& folder,
                         const QString& userFolder, const QList<QByteArray>& readable);

// The music chooser, likewise; its second entry lists what the run plays.
FileChoice MusicChoice(const std::string& file, const std::string& folder,
                       const QString& userFolder);

// The user's folder of that kind (the XDG user folders), or the home folder while it does not
// exist.
QString UserFolder(QStandardPaths::StandardLocation kind);

} // namespace quillaro

// The open-file chooser: a modal dialog in which the user picks one file. The settings dialog
// picks the picture and the music file with it; unit tests answer in its place.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace quillaro {

// What one chooser shows.
struct FileChoice {
    QString title;         // the chooser's window title
    QString filterName;    // what the file-type list shows
    QStringList patterns;  // the names it lists, matched without regard to case ("*.BMP")
    QString initialFolder; // where it opens
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Shows the chooser modally over owner and returns the full path the user confirmed (a name
    // that need not exist), or nothing when the user cancelled or the chooser failed.
    virtual std::optional<QString> chooseFile(QWidget* owner, const FileChoice& choice) = 0;
};

} // namespace quillaro

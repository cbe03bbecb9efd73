// The open-file chooser: a modal dialog in which the user picks one file. The settings dialog
// picks the picture and the music file with it; unit tests answer in its place.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace quillaro {

// One entry of a chooser's file-type list.
struct FileFilter {
    QString name;         // what the list shows
    QStringList patterns; // the names it lists, matched without regard to case ("*.BMP")
    friend bool operator==(const FileFilter&, const FileFilter&) = default;
};

// What one chooser shows.
struct FileChoice {
    QString title;                   // the chooser's window title
    std::vector<FileFilter> filters; // the file-type list, the first one chosen
    std::string initialFolder;       // where it opens, as bytes
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Shows the chooser modally over owner and returns the bytes of the full path the user
    // confirmed (a name that need not exist), or nothing when the user cancelled or the chooser
    // failed.
    virtual std::optional<std::string> chooseFile(QWidget* owner, const FileChoice& choice) = 0;
};

} // namespace quillaro

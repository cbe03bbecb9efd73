// What the file chooser lists, read from the folder itself rather than through Qt: file names
// are bytes on Linux, and Qt's own listing leaves out every name that is not valid UTF-8 (an
// old archive unpacked from another system, "caf\xe9.jpg" in Latin-1). Each entry keeps its
// bytes; its text is only what the user sees and types.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace quillaro {

struct FolderEntry {
    std::string name; // the entry's bytes, as the folder holds them
    QString text;     // as the chooser shows it
    bool isFolder = false;
    friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// A name as the user sees it: valid UTF-8 decoded as it is, U+FFFD in place of any odd byte.
QString displayText(std::string_view name);

// The visible entries of folder: its folders, then the files that match one of patterns (every
// file when there are none; '*' any run, '?' one byte, ASCII letters without regard to case),
// each group sorted as a file manager sorts, without regard to case and with runs of digits by
// their value. Names starting with a dot are left out. A folder that cannot be read lists
// nothing.
std::vector<FolderEntry> listFolder(const std::string& folder, const QStringList& patterns);

// Whether path is a folder, or a link that leads to one.
bool isFolderPath(const std::string& path);

// name inside folder.
std::string joinPath(const std::string& folder, std::string_view name);

// The path the user means by typed text, seen from folder: an absolute path stands as it is,
// anything else lies inside folder. Each part that names no entry as UTF-8 is the entry the
// folder shows with that text, should there be one, so a name read off the list finds its bytes
// again; any other part (a new name) is its UTF-8.
std::string typedPath(const std::string& folder, const QString& typed);

} // namespace quillaro

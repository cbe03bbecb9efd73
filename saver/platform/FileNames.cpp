#include "FileNames.h"

#include <QFile>
#include <QStringList>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace quillaro {
namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The entry of folder whose name Qt decodes to part; empty when there is none.
std::string entryDecodedAs(const std::string& folder, const QString& part) {
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(
        ::opendir(folder.empty() ? "." : folder.c_str()), &::closedir);
    if (!listing)
        return {};
    while (const dirent* entry = ::readdir(listing.get())) {
        if (QFile::decodeName(entry->d_name) == part)
            return entry->d_name;
    }
    return {};
}

} // namespace

std::string fileSystemPath(const QString& path) {
    const std::string encoded = QFile::encodeName(path).toStdString();
    if (exists(encoded))
        return encoded;
    std::string found;
    const QStringList parts = path.split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            found += '/';
        const std::string part = QFile::encodeName(parts[i]).toStdString();
        if (part.empty() || exists(found + part)) {
            found += part;
            continue;
        }
        const std::string entry = entryDecodedAs(found, parts[i]);
        found += entry.empty() ? part : entry;
    }
    return found;
}

} // namespace quillaro

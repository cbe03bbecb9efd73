#include "FolderListing.h"

#include "common/AsciiCase.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace quillaro {
namespace {

using Listing = std::unique_ptr<DIR, int (*)(DIR*)>;

Listing openListing(const std::string& folder) {
    return {::opendir(folder.empty() ? "." : folder.c_str()), &::closedir};
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// A link counts as what it leads to, so a link to a folder can be entered.
bool isFolder(const std::string& folder, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return entry.d_type == DT_DIR;
    return isFolderPath(joinPath(folder, entry.d_name));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The end of the run of digits that starts at from.
std::size_t digitsEnd(std::string_view text, std::size_t from) {
    while (from < text.size() && isDigit(text[from]))
        ++from;
    return from;
}

// Negative, zero or positive as a sorts before, with or after b: letters without regard to
// case, runs of digits by their value ("file9" before "file10").
int compareNaturally(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            while (i < a.size() && a[i] == '0')
                ++i;
            while (j < b.size() && b[j] == '0')
                ++j;
            const std::size_t endA = digitsEnd(a, i);
            const std::size_t endB = digitsEnd(b, j);
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            if (const int order = a.substr(i, endA - i).compare(b.substr(j, endB - j)))
                return order;
            i = endA;
            j = endB;
            continue;
        }
        const auto ca = static_cast<unsigned char>(asciiLower(a[i]));
        const auto cb = static_cast<unsigned char>(asciiLower(b[j]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
}

bool listsBefore(const FolderEntry& a, const FolderEntry& b) {
    if (a.isFolder != b.isFolder)
        return a.isFolder;
    const int order = compareNaturally(a.name, b.name);
    return order != 0 ? order < 0 : a.name < b.name; // the same but for case: one fixed order
}

// Whether name matches pattern: '*' any run, '?' one byte, ASCII letters without regard to case.
bool matchesPattern(std::string_view name, std::string_view pattern) {
    constexpr std::size_t None = std::string_view::npos;
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t star = None; // the last '*' seen, and where its run now ends in name
    std::size_t starEnd = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starEnd = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || asciiLower(pattern[p]) == asciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (star != None) {
            p = star + 1; // let the '*' take one byte more
            n = ++starEnd;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool matchesAny(std::string_view name, const std::vector<std::string>& patterns) {
    return patterns.empty() ||
           std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& p) { return matchesPattern(name, p); });
}

// The entry of folder shown as text; the first one the folder gives, should several be.
std::optional<std::string> entryShownAs(const std::string& folder, const QString& text) {
    const Listing listing = openListing(folder);
    if (!listing)
        return std::nullopt;
    while (const dirent* entry = ::readdir(listing.get())) {
        if (displayText(entry->d_name) == text)
            return entry->d_name;
    }
    return std::nullopt;
}

} // namespace

QString displayText(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

std::vector<FolderEntry> listFolder(const std::string& folder, const QStringList& patterns) {
    std::vector<std::string> bytePatterns;
    for (const QString& pattern : patterns)
        bytePatterns.push_back(pattern.toUtf8().toStdString());
    std::vector<FolderEntry> entries;
    const Listing listing = openListing(folder);
    if (!listing)
        return entries;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string_view name = entry->d_name;
        if (name.front() == '.')
            continue;
        const bool folderEntry = isFolder(folder, *entry);
        if (folderEntry || matchesAny(name, bytePatterns))
            entries.push_back({std::string(name), displayText(name), folderEntry});
    }
    std::sort(entries.begin(), entries.end(), listsBefore);
    return entries;
}

bool isFolderPath(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string joinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path.append(name);
}

std::string typedPath(const std::string& folder, const QString& typed) {
    std::string path = typed.startsWith('/') ? "/" : folder;
    for (const QString& part : typed.split('/', Qt::SkipEmptyParts)) {
        std::string bytes = part.toUtf8().toStdString();
        if (part != "." && part != ".." && !exists(joinPath(path, bytes)))
            bytes = entryShownAs(path, part).value_or(bytes);
        path = joinPath(path, bytes);
    }
    return path;
}

} // namespace quillaro

#include "ProfileString.h"

#include "common/AsciiCase.h"
#include "common/AtomicFile.h"
#include "common/RegularFile.h"
#include "common/Utf8.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <span>
#include <sys/stat.h>

namespace quillaro {
namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One line of the file: where its bytes lie and what it means.
struct Line {
    enum class Kind { Other, Section, Key };
    std::size_t begin = 0;      // first byte
    std::size_t contentEnd = 0; // end of the text, before "\r\n" or "\n"
    std::size_t end = 0;        // after the line break (== contentEnd for a last line without one)
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

// The line that starts at begin, read where it lies; nothing is copied.
Line lineAt(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    std::size_t newline = text.find('\n', begin);
    line.end = newline == std::string_view::npos ? text.size() : newline + 1;
    line.contentEnd = newline == std::string_view::npos ? text.size() : newline;
    if (line.contentEnd > line.begin && text[line.contentEnd - 1] == '\r')
        --line.contentEnd;

    std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
    if (line.begin == 0 && content.substr(0, Utf8Bom.size()) == Utf8Bom)
        content.remove_prefix(Utf8Bom.size());
    std::string_view body = trimmed(content);
    std::size_t close = body.rfind(']');
    std::size_t equals = body.find('=');
    if (!body.empty() && body.front() == '[' && close != std::string_view::npos) {
        line.kind = Line::Kind::Section;
        line.name = trimmed(body.substr(1, close - 1));
    } else if (equals != std::string_view::npos) {
        line.kind = Line::Kind::Key;
        line.name = trimmed(body.substr(0, equals));
        line.value = trimmed(body.substr(equals + 1));
    }
    return line;
}

// Where a key sits, or where its section sits when the key is missing.
struct Location {
    std::optional<Line> keyLine;
    std::optional<Line> sectionLastLine; // last non-blank line of the first such section
};

// One pass over the file that stops at the key, holding one line at a time: a file of millions
// of short lines costs no more memory than its own bytes.
Location locate(std::string_view text, std::string_view section, std::string_view key) {
    Location found;
    bool inSection = false;
    bool inFirstSection = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.end;
        if (line.kind == Line::Kind::Section) {
            inSection = equalsIgnoringAsciiCase(line.name, section);
            inFirstSection = inSection && !found.sectionLastLine;
            if (inFirstSection)
                found.sectionLastLine = line;
            continue;
        }
        if (!inSection)
            continue;
        if (line.kind == Line::Kind::Key && equalsIgnoringAsciiCase(line.name, key)) {
            found.keyLine = line;
            return found;
        }
        if (inFirstSection &&
            !trimmed(text.substr(line.begin, line.contentEnd - line.begin)).empty())
            found.sectionLastLine = line;
    }
    return found;
}

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

enum class ReadResult { Ok, Missing, Unreadable };

// The whole file when it is a regular file of acceptable size; never blocks on a FIFO or device.
// Unreadable leaves the reason in errno.
ReadResult readWholeFile(const std::filesystem::path& path, std::string& out, struct stat& info) {
    auto file = RegularFile::open(path);
    if (!file) {
        if (file.error() == RegularFile::Problem::NotRegular)
            errno = EINVAL; // the open worked; there is just no file of text to read
        return file.error() == RegularFile::Problem::Missing ? ReadResult::Missing
                                                             : ReadResult::Unreadable;
    }
    info = file->info();
    if (static_cast<unsigned long long>(info.st_size) > MaxProfileFileBytes) {
        errno = EFBIG;
        return ReadResult::Unreadable;
    }
    out.clear();
    char buffer[65536];
    for (;;) {
        const long long n = file->readSome(buffer, sizeof buffer);
        if (n < 0)
            return ReadResult::Unreadable;
        if (n == 0)
            return ReadResult::Ok;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > MaxProfileFileBytes) { // grew while we read
            errno = EFBIG;
            return ReadResult::Unreadable;
        }
    }
}

// The process's file-creation mask, read without setting it: umask() would change it for a
// moment for every thread of the program.
mode_t currentUmask() {
    constexpr mode_t Fallback = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) != 0)
            continue;
        unsigned long mask = 0;
        if (std::sscanf(line.c_str() + 6, "%lo", &mask) == 1)
            return static_cast<mode_t>(mask & 0777);
        break;
    }
    return Fallback;
}

mode_t newFileMode() {
    return 0666 & ~currentUmask();
}

// Ends the text's last line, if it has no line break yet, so that what is appended starts a line
// of its own. A carriage return already there (a file cut off inside "\r\n") only needs its
// line feed: another "\r\n" would leave the return in that line's value.
void endLastLine(std::string& text, std::string_view lineBreak) {
    if (text.empty() || text.back() == '\n')
        return;
    text += text.back() == '\r' ? "\n" : lineBreak;
}

bool breaksLayout(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

std::string getPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t size,
                                    const std::filesystem::path& file) {
    if (size == 0)
        return {};
    std::string_view result = trimmed(defaultValue);
    std::string text;
    struct stat info {};
    if (readWholeFile(file, text, info) == ReadResult::Ok) {
        Location where = locate(text, trimmed(section), trimmed(key));
        if (where.keyLine)
            result = unquoted(where.keyLine->value);
    }
    return std::string(firstCharacters(result, size - 1));
}

std::optional<std::string> withProfileString(std::string_view text, std::string_view section,
                                             std::string_view key, std::string_view value) {
    section = trimmed(section);
    key = trimmed(key);
    if (section.empty() || key.empty() || breaksLayout(section) || breaksLayout(key) ||
        breaksLayout(value) || section.find(']') != std::string_view::npos ||
        key.find('=') != std::string_view::npos || key.front() == '[')
        return std::nullopt;

    const Line first = lineAt(text, 0);
    std::string_view lineBreak = first.end - first.contentEnd == 2 ? "\r\n" : "\n";
    std::string entry = std::string(key) + "=" + std::string(value);
    Location where = locate(text, section, key);

    std::string updated;
    if (where.keyLine) {
        const Line& line = *where.keyLine;
        updated.append(text.substr(0, line.begin))
            .append(entry)
            .append(text.substr(line.contentEnd));
    } else if (where.sectionLastLine) {
        const Line& line = *where.sectionLastLine;
        updated = text.substr(0, line.end);
        endLastLine(updated, lineBreak);
        updated += entry;
        updated += lineBreak;
        updated += text.substr(line.end);
    } else {
        updated = text;
        endLastLine(updated, lineBreak);
        updated += "[" + std::string(section) + "]";
        updated += lineBreak;
        updated += entry;
        updated += lineBreak;
    }
    return updated;
}

Result<void, SystemError> writePrivateProfileString(std::string_view section, std::string_view key,
                                                    std::string_view value,
                                                    const std::filesystem::path& file) {
    const ProfileEntry entry{key, value};
    return writePrivateProfileStrings(section, {&entry, 1}, file);
}

Result<void, SystemError> writePrivateProfileStrings(std::string_view section,
                                                     std::span<const ProfileEntry> entries,
                                                     const std::filesystem::path& file) {
    // Keep a symbolic link a link: replace the file it points to.
    std::error_code error;
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(file, error)) {
        target = std::filesystem::canonical(file, error);
        if (error)
            return systemFailure("cannot follow the link", file, error.value());
    }

    std::string text;
    struct stat info {};
    ReadResult read = readWholeFile(target, text, info);
    if (read == ReadResult::Unreadable)
        return systemFailure("cannot read the settings in", target);

    // Each entry edits what the ones before it left, as one write after another would; one that
    // would break the layout is left out and the others still go in.
    std::optional<std::string_view> refused;
    std::string updated = text;
    for (const ProfileEntry& entry : entries) {
        if (auto next = withProfileString(updated, section, entry.key, entry.value))
            updated = std::move(*next);
        else if (!refused)
            refused = entry.key;
    }
    if (updated != text) { // else the file (or its absence) stays as it was
        auto replaced = replaceFileAtomically(target, updated, newFileMode(),
                                              read == ReadResult::Ok ? &info : nullptr);
        if (!replaced)
            return replaced;
    }
    if (refused)
        return systemFailure("the key \"" + std::string(*refused) +
                                 "\" or its value would break the lines of",
                             target, EINVAL);
    return {};
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace quillaro

#include "XScreenSaverList.h"

#include "common/AtomicFile.h"
#include "common/XdgFolder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace quillaro {
namespace {

constexpr std::string_view ProgramsKey = "programs:";
// Ends an entry that more entries follow: a line break for the list, a backslash for the file.
constexpr std::string_view EntryGoesOn = "\t\t\t\t    \\n\\";
constexpr const char* SystemDefaults = "/etc/X11/app-defaults/XScreenSaver";

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool continues(std::string_view line) {
    line = trimmed(line);
    return !line.empty() && line.back() == '\\';
}

// The line that starts the programs list, "programs:" (or "*programs:" in app-defaults).
std::optional<std::size_t> programsLine(const std::vector<std::string_view>& lines,
                                        bool resourceStar) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = trimmed(lines[i]);
        if (resourceStar && line.starts_with('*'))
            line.remove_prefix(1);
        else if (resourceStar)
            continue;
        if (line.starts_with(ProgramsKey))
            return i;
    }
    return std::nullopt;
}

// Whether any entry of the list runs quillaro: an entry is "[-] [visual:] [\"name\"] command".
bool listsQuillaro(const std::vector<std::string_view>& lines, std::size_t first) {
    for (std::size_t i = first; i < lines.size(); ++i) {
        std::string_view line = trimmed(lines[i]);
        if (i == first)
            line = trimmed(line.substr(line.find(':') + 1));
        for (std::size_t at = line.find("quillaro"); at != std::string_view::npos;
             at = line.find("quillaro", at + 1)) {
            const char before = at == 0 ? ' ' : line[at - 1];
            const std::size_t after = at + std::string_view("quillaro").size();
            const char next = after < line.size() ? line[after] : ' ';
            if ((before == ' ' || before == '\t' || before == '/' || before == ':') &&
                (next == ' ' || next == '\t' || next == '\\'))
                return true;
        }
        if (!continues(lines[i]))
            break;
    }
    return false;
}

} // namespace

std::optional<std::string> WithQuillaroListed(std::string_view userFile) {
    const std::vector<std::string_view> lines = linesOf(userFile);
    const auto header = programsLine(lines, false);
    if (header && listsQuillaro(lines, *header))
        return std::nullopt;

    std::string out;
    auto append = [&out](std::string_view line) {
        out += line;
        out += '\n';
    };
    if (!header) {
        out = std::string(userFile);
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        append("programs:\t\t\t\t\t\t\t\t      \\");
        append(XScreenSaverEntry);
        return out;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != *header) {
            append(lines[i]);
            continue;
        }
        const std::string_view line = lines[i];
        const std::size_t colon = line.find(':');
        const std::string_view rest = trimmed(line.substr(colon + 1));
        append(std::string(line.substr(0, colon + 1)) + "\t\t\t\t\t\t\t\t      \\");
        if (rest.empty()) { // an empty list: ours is its only entry
            append(XScreenSaverEntry);
            continue;
        }
        append(std::string(XScreenSaverEntry).append(EntryGoesOn));
        if (rest != "\\") // the first entry stood on the header line: it gets a line of its own
            append("\t\t\t\t" + std::string(rest));
    }
    // A file that did not end in a line break keeps not ending in one.
    if (!userFile.empty() && userFile.back() != '\n')
        out.pop_back();
    return out;
}

std::string UserFileFromDefaults(std::string_view appDefaults) {
    const std::vector<std::string_view> lines = linesOf(appDefaults);
    std::string out = "# Made by quillaro --xscreensaver from xscreensaver's defaults.\n";
    const auto header = programsLine(lines, true);
    if (!header)
        return out;
    for (std::size_t i = *header; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (i == *header)
            line = trimmed(line).substr(1); // "*programs:" becomes "programs:"
        out += line;
        out += '\n';
        if (!continues(lines[i]))
            break;
    }
    return out;
}

ListOutcome AddToXScreenSaver(const std::filesystem::path& userFile,
                              const std::filesystem::path& appDefaults) {
    auto readAll = [](const std::filesystem::path& file) -> std::optional<std::string> {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::ostringstream text;
        text << in.rdbuf();
        if (in.bad())
            return std::nullopt;
        return text.str();
    };
    struct stat existing {};
    const bool exists = ::stat(userFile.c_str(), &existing) == 0;
    std::optional<std::string> text;
    if (exists)
        text = readAll(userFile);
    else
        text = UserFileFromDefaults(readAll(appDefaults).value_or(std::string{}));
    if (!text)
        return ListOutcome::Failed;
    const auto listed = WithQuillaroListed(*text);
    if (!listed)
        return ListOutcome::AlreadyListed;
    const auto written =
        replaceFileAtomically(userFile, *listed, 0644, exists ? &existing : nullptr);
    return written ? ListOutcome::Added : ListOutcome::Failed;
}

int RunXScreenSaverCommand() {
    const std::filesystem::path home = xdgBaseFolder(nullptr, std::getenv("HOME"), "");
    if (home.empty()) {
        std::fputs("quillaro: no home folder, so no ~/.xscreensaver to add to\n", stderr);
        return 1;
    }
    const std::filesystem::path file = home / ".xscreensaver";
    switch (AddToXScreenSaver(file, SystemDefaults)) {
    case ListOutcome::Added:
        std::printf("Quillaro is now in xscreensaver's list (%s): choose it in "
                    "xscreensaver-settings.\n",
                    file.c_str());
        return 0;
    case ListOutcome::AlreadyListed:
        std::printf("Quillaro is in xscreensaver's list already (%s); nothing changed.\n",
                    file.c_str());
        return 0;
    case ListOutcome::Failed:
        break;
    }
    std::fprintf(stderr, "quillaro: %s could not be read or replaced; it is left as it was\n",
                 file.c_str());
    return 1;
}

} // namespace quillaro

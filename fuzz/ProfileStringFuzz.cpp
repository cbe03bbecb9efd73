// Feeds arbitrary settings files, names and values to the profile-string reader and writer and
// checks what the settings code relies on: a read gives the default or text from the file, cut to
// the buffer; a refused write leaves the file as it was; a write that succeeds keeps every byte
// outside the one line it wrote (or the lines it added), and the value reads back as written
// whenever the reader can give it back (no blanks at its ends, no enclosing quotes).
//
// Input: section NUL key NUL value NUL buffer size in decimal NUL the file's bytes.
#include "ProfileString.h"
#include "common/Utf8.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using quillaro::trimmed;

// Names the broken invariant before the crash that libFuzzer reports.
#define require(condition) ((condition) ? void(0) : broken(#condition, __LINE__))

[[noreturn]] void broken(const char* condition, int line) {
    std::fprintf(stderr, "invariant broken at line %d: %s\n", line, condition);
    std::abort();
}

// One folder of our own for the settings file, on a memory file system when there is one.
const std::filesystem::path& settingsFile() {
    static const std::filesystem::path file = [] {
        std::string pattern =
            (std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path()) /
            "quillaro-profile-fuzz-XXXXXX";
        require(mkdtemp(pattern.data()) != nullptr);
        return std::filesystem::path(pattern) / "Quillaro.ini";
    }();
    return file;
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    require(fd >= 0);
    require(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    close(fd);
}

std::string readBytes(const std::filesystem::path& path) {
    std::string out;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    require(fd >= 0);
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return out;
}

// The next NUL-ended part of the input; the rest when there is no NUL left.
std::string_view nextPart(std::string_view& input) {
    const std::size_t end = input.find('\0');
    std::string_view part = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return part;
}

// What the reader hands back unchanged: blanks at the ends are trimmed and matching quotes
// around the whole value are taken off.
bool readsBackAsWritten(std::string_view value) {
    if (value != trimmed(value))
        return false;
    return !(value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
             value.back() == value.front());
}

// A successful write changed one stretch of the file: the bytes before and after it are the old
// ones. The old stretch lies within one line; the new one holds at most the line break before
// the entry, a section header and the entry with its own line break.
void requireOneLineChanged(std::string_view before, std::string_view after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::string_view removed = before.substr(prefix, before.size() - prefix - suffix);
    const std::string_view added = after.substr(prefix, after.size() - prefix - suffix);
    require(removed.find('\n') == std::string_view::npos);
    std::size_t breaks = 0;
    for (char c : added)
        breaks += c == '\n';
    require(breaks <= 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillaro;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view section = nextPart(input);
    const std::string_view key = nextPart(input);
    const std::string_view value = nextPart(input);
    const std::string_view sizeText = nextPart(input).substr(0, 4);
    const std::string_view fileBytes = input;
    std::size_t buffer = 0;
    for (char c : sizeText)
        buffer = c >= '0' && c <= '9' ? buffer * 10 + static_cast<std::size_t>(c - '0') : buffer;

    const std::filesystem::path& file = settingsFile();
    writeBytes(file, fileBytes);

    // A read: the default or the file's own text, never more characters than the buffer holds.
    const std::string_view fallback = "default value";
    const std::string got = getPrivateProfileString(section, key, fallback, buffer, file);
    require(buffer > 0 || got.empty());
    require(buffer == 0 || firstCharacters(got, buffer - 1) == got);
    require(got.empty() || fileBytes.find(got) != std::string_view::npos ||
            fallback.substr(0, got.size()) == got);

    // A write: refused with the file untouched, or confined to one line and read back.
    const bool written = writePrivateProfileString(section, key, value, file).ok();
    const std::string after = readBytes(file);
    if (!written) {
        require(after == fileBytes);
        return 0;
    }
    requireOneLineChanged(fileBytes, after);
    require(after.find(std::string(trimmed(key)) + "=" + std::string(value)) != std::string::npos);
    if (readsBackAsWritten(value))
        require(getPrivateProfileString(section, key, "", value.size() + 1, file) == value);
    return 0;
}

// Reading and writing one key of an INI-style settings file, with the behaviour of the Windows
// profile-string service that the settings code relies on:
// - section and key names match without regard to ASCII case, blanks around names and values
//   do not count, and a value enclosed in matching quotes ('...' or "...") loses them;
// - the first key of a given name wins, searched through the sections of the given name in
//   file order; lines without '=' and lines before the first section are not keys;
// - a read is cut to the buffer size minus one, counted in characters (a Japanese path takes
//   three bytes a character here where the Windows code page took two), never half of one;
// - a write creates the file, the section or the key when needed, replaces a key's value in
//   place and keeps every other byte of the file as it was. The new file is written beside the
//   old one and renamed over it, so a crash leaves either the old or the new file, never half
//   of one; it keeps the old file's permissions.
// Names and values are UTF-8 (any bytes are kept as they are). Files that are not regular files
// or are larger than MaxProfileFileBytes are treated as unreadable, never waited on.
#pragma once

#include "common/SystemError.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillaro {

inline constexpr std::size_t MaxProfileFileBytes = 64u << 20;

// The value of key in section of file, or defaultValue when the file, section or key is missing;
// either way at most size - 1 characters (nothing for size 0).
std::string getPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t size,
                                    const std::filesystem::path& file);

// Sets key in section of file to value. Fails, with the file as it was, when the file cannot be
// read or replaced, or when a name or the value would break the line layout (a line break or
// NUL anywhere, '=' in the key or '[' at its start, ']' in the section, an empty name).
[[nodiscard]] Result<void, SystemError>
writePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                          const std::filesystem::path& file);

struct ProfileEntry {
    std::string_view key;
    std::string_view value;
};

// Sets several keys of one section in ONE replacement of the file: on success the file holds
// exactly what the single writes in this order would have left; when it cannot be replaced it
// stays as it was, never with some keys changed and others not. An entry the single write would
// refuse is left out and the others still go in; the result then names the first such key. The
// file is not touched when nothing in it changes.
[[nodiscard]] Result<void, SystemError>
writePrivateProfileStrings(std::string_view section, std::span<const ProfileEntry> entries,
                           const std::filesystem::path& file);

// text without the blanks (spaces and tabs) at its ends, which do not count around names and
// values.
std::string_view trimmed(std::string_view text);

// The profile text with key in section set to value, as a write would leave the file; nothing
// when a name or the value would break the line layout.
std::optional<std::string> withProfileString(std::string_view text, std::string_view section,
                                             std::string_view key, std::string_view value);

} // namespace quillaro

// The settings file Quillaro.ini beside the program: its section and keys, the loader that fills
// the Settings record once at start with every default and fall-back, the two profile-string
// wrappers that read and write one value, and the path helpers that the loader, the settings
// dialog and the entry share.
#pragma once

#include "common/SystemError.h"

#include <span>
#include <string>
#include <string_view>

namespace quillaro {

inline constexpr const char* SettingsSection = "Section";
inline constexpr const char* KeyCapture = "ｷｬﾌﾟﾁｬｰ";
inline constexpr const char* KeyImageFile = "画像ﾌｧｲﾙ";
inline constexpr const char* KeyBgmKind = "BGM区分";
inline constexpr const char* KeyBgmRepeat = "BGMﾘﾋﾟｰﾄ";
inline constexpr const char* KeyBgmFile = "BGMﾌｧｲﾙ";

// Fills settings() from the settings file (beside the program, or the user's own: see
// SettingsLocation), with every default and fall-back.
void LoadSettings(const std::string& programFolder);

// One value of the settings file (at most 255 characters), or empty when it is missing.
std::string ReadIniString(std::string_view section, std::string_view key, const std::string& file);
// Writes one value (section and key count up to 127 characters); failures are not reported.
void WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                    const std::string& file);

struct IniEntry {
    std::string_view key;
    std::string_view value;
};
// Writes several values of one section in one replacement of the file: the file ends up exactly
// as the WriteIniString calls in this order would leave it, or, when it cannot be written, as it
// was. Fails, with the reason, when a value did not go in.
[[nodiscard]] Result<void, SystemError> WriteIniStrings(std::string_view section,
                                                        std::span<const IniEntry> entries,
                                                        const std::string& file);

// True when path (less one trailing '/') names a regular file that can be opened for reading.
bool FileExists(const std::string& path);
// The folder part of path: up to its last '/', that '/' dropped except for the root.
std::string ParentFolder(const std::string& path);

} // namespace quillaro

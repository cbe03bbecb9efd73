// Where Quillaro.ini lives for this user. Beside the saver whenever the user can write the
// program's folder (a portable install, the tests); otherwise, as on a system-wide install, in
// the user's configuration folder $XDG_CONFIG_HOME/quillaro (default ~/.config/quillaro). The file
// beside the program is then still read while the user has none of their own, so an
// administrator can ship defaults there. The file's format, keys and rules stay the same
// wherever it lives.
#pragma once

#include "common/SystemError.h"
#include "platform/FolderAccess.h"

#include <string>

namespace quillaro {

inline constexpr const char* PersonalSettingsFolderName = "quillaro";

struct SettingsLocation {
    std::string readFile;       // the file LoadSettings reads; empty when there is none
    std::string writeFile;      // the file the settings dialog saves to; empty when there is none
    std::string personalFolder; // the user's own settings folder when writeFile lies in it
};

// The location from the facts: the program folder, whether the user can write it, and the
// environment's XDG_CONFIG_HOME and HOME (either may be null). An unknown program folder gives
// no file at all.
SettingsLocation locateSettings(const std::string& programFolder, const FolderAccess& access,
                                const char* xdgConfigHome, const char* home);

// The location for this process: the kernel's view of the folder and the real environment.
SettingsLocation locateSettings(const std::string& programFolder);

// Makes the user's own settings folder (mode 0700, parents as needed) when writeFile lies in it.
// Succeeds when writeFile's folder is there to write into.
[[nodiscard]] Result<void, SystemError> prepareSettingsFolder(const SettingsLocation& location);

} // namespace quillaro

// Where Quillaro.ini lives for this user. Beside the saver whenever the user can write the
// program's folder (a hand install, the tests); otherwise in the user's configuration folder
// $XDG_CONFIG_HOME/quillaro (default ~/.config/quillaro). The packaged install, which runs from
// the folder the package puts it in, never writes its folder, not even as root: every user's
// settings go to their own folder, and while a user has no file of their own the
// administrator's defaults are read (/etc/quillaro/Quillaro.ini, then a file an earlier install
// left beside the program). The file's format, keys and rules stay the same wherever it lives.
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

// Where the package installs the programs and keeps the administrator's defaults; the build
// gives them (packagePlaces), a test its own.
struct PackagePlaces {
    std::string programFolder; // a saver that runs from exactly this folder is the packaged one
    std::string defaultsFile;  // the packaged install's defaults for every user
};
PackagePlaces packagePlaces();

// The location from the facts: the program folder, whether the user can write it, the
// environment's XDG_CONFIG_HOME and HOME (either may be null) and the package's places. An
// unknown program folder gives no file at all. When no file exists yet, the file read is the
// one the dialog will save.
SettingsLocation locateSettings(const std::string& programFolder, const FolderAccess& access,
                                const char* xdgConfigHome, const char* home,
                                const PackagePlaces& package = {});

// The location for this process: the kernel's view of the folder and the real environment.
SettingsLocation locateSettings(const std::string& programFolder);

// Makes the user's own settings folder (mode 0700, parents as needed) when writeFile lies in it.
// Succeeds when writeFile's folder is there to write into.
[[nodiscard]] Result<void, SystemError> prepareSettingsFolder(const SettingsLocation& location);

} // namespace quillaro

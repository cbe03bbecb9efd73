#include "SettingsLocation.h"

#include "SettingsFile.h"
#include "common/XdgFolder.h"
#include "platform/PosixFolderAccess.h"
#include "platform/PrivateFolderCreator.h"
#include "platform/ProgramInfo.h"

#include <cstdlib>

namespace quillaro {

SettingsLocation locateSettings(const std::string& programFolder, const FolderAccess& access,
                                const char* xdgConfigHome, const char* home) {
    SettingsLocation location;
    const std::string beside = SettingsFilePath(programFolder);
    if (beside.empty())
        return location;
    if (access.canWrite(programFolder)) {
        location.readFile = location.writeFile = beside;
        return location;
    }
    const std::filesystem::path config = xdgBaseFolder(xdgConfigHome, home, ".config");
    if (config.empty()) {
        location.readFile = beside; // nowhere of the user's own: the shipped defaults only
        return location;
    }
    location.personalFolder = (config / PersonalSettingsFolderName).string();
    location.writeFile = (config / PersonalSettingsFolderName / SettingsFileName).string();
    location.readFile = FileExists(location.writeFile) ? location.writeFile : beside;
    return location;
}

SettingsLocation locateSettings(const std::string& programFolder) {
    return locateSettings(programFolder, PosixFolderAccess{}, std::getenv("XDG_CONFIG_HOME"),
                          std::getenv("HOME"));
}

Result<void, SystemError> prepareSettingsFolder(const SettingsLocation& location) {
    if (location.writeFile.empty())
        return systemFailure("there is no place for a settings file", {}, ENOENT);
    if (location.personalFolder.empty())
        return {};
    return createPrivateFolder(location.personalFolder);
}

} // namespace quillaro

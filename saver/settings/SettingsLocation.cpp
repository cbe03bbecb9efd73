#include "SettingsLocation.h"

#include "SettingsFile.h"
#include "common/XdgFolder.h"
#include "platform/PosixFolderAccess.h"
#include "platform/PrivateFolderCreator.h"
#include "platform/ProgramInfo.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace quillaro {

namespace {

bool sameFolder(const std::string& a, const std::string& b) {
    const auto normal = [](const std::string& folder) {
        std::string text = std::filesystem::path(folder).lexically_normal().string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        return text;
    };
    return !a.empty() && !b.empty() && normal(a) == normal(b);
}

} // namespace

PackagePlaces packagePlaces() {
    return {QUILLARO_PACKAGE_PROGRAM_FOLDER, QUILLARO_PACKAGE_DEFAULTS_FILE};
}

SettingsLocation locateSettings(const std::string& programFolder, const FolderAccess& access,
                                const char* xdgConfigHome, const char* home,
                                const PackagePlaces& package) {
    SettingsLocation location;
    const std::string beside = SettingsFilePath(programFolder);
    if (beside.empty())
        return location;
    const bool packaged = sameFolder(programFolder, package.programFolder);
    if (!packaged && access.canWrite(programFolder)) {
        location.readFile = location.writeFile = beside;
        return location;
    }
    const std::filesystem::path config = xdgBaseFolder(xdgConfigHome, home, ".config");
    if (!config.empty()) {
        location.personalFolder = (config / PersonalSettingsFolderName).string();
        location.writeFile = (config / PersonalSettingsFolderName / SettingsFileName).string();
    }
    // The user's own file, else the administrator's defaults; with none of them, the file the
    // dialog will save, so that a report of the missing file names the one that matters.
    std::vector<std::string> candidates{location.writeFile};
    if (packaged)
        candidates.push_back(package.defaultsFile);
    candidates.push_back(beside);
    for (const std::string& file : candidates)
        if (!file.empty() && FileExists(file)) {
            location.readFile = file;
            return location;
        }
    location.readFile = location.writeFile.empty() ? beside : location.writeFile;
    return location;
}

SettingsLocation locateSettings(const std::string& programFolder) {
    return locateSettings(programFolder, PosixFolderAccess{}, std::getenv("XDG_CONFIG_HOME"),
                          std::getenv("HOME"), packagePlaces());
}

Result<void, SystemError> prepareSettingsFolder(const SettingsLocation& location) {
    if (location.writeFile.empty())
        return systemFailure("there is no place for a settings file", {}, ENOENT);
    if (location.personalFolder.empty())
        return {};
    return createPrivateFolder(location.personalFolder);
}

} // namespace quillaro

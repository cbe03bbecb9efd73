#include "HandoffPath.h"

#include "XdgFolder.h"

#include <cstdlib>

namespace quillaro {

std::filesystem::path workingFolderFor(const char* xdgCacheHome, const char* home) {
    std::filesystem::path cache = xdgBaseFolder(xdgCacheHome, home, ".cache");
    return cache.empty() ? cache : cache / WorkingFolderName;
}

std::filesystem::path workingFolder() {
    return workingFolderFor(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
}

std::filesystem::path handoffPath() {
    auto folder = workingFolder();
    return folder.empty() ? folder : folder / HandoffFileName;
}

} // namespace quillaro

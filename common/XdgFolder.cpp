#include "XdgFolder.h"

#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace quillaro {
namespace {

std::filesystem::path homeFromPasswordDatabase() {
    long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<size_t>(hint) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || found->pw_dir[0] != '/')
        return {};
    return found->pw_dir;
}

} // namespace

std::filesystem::path xdgBaseFolder(const char* xdgValue, const char* home,
                                    const std::filesystem::path& belowHome) {
    if (xdgValue && xdgValue[0] == '/')
        return xdgValue;
    std::filesystem::path base =
        (home && home[0] == '/') ? std::filesystem::path(home) : homeFromPasswordDatabase();
    if (base.empty())
        return {};
    return base / belowHome;
}

} // namespace quillaro

#include "PrivateFolderCreator.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillaro {
namespace {

constexpr mode_t PrivateMode = 0700;
constexpr mode_t WritableByOthers = S_IWGRP | S_IWOTH;

} // namespace

bool createPrivateFolder(const std::filesystem::path& folder) {
    if (folder.empty())
        return false;
    std::filesystem::path prefix;
    for (const auto& part : folder.lexically_normal()) {
        prefix /= part;
        if (part.empty() || part == prefix.root_path())
            continue;
        if (::mkdir(prefix.c_str(), PrivateMode) != 0 && errno != EEXIST)
            return false;
    }
    // Opened without following a link, so what is checked is what the name now refers to.
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
    if (ok && (info.st_mode & WritableByOthers))
        ok = ::fchmod(fd, info.st_mode & 07777 & ~WritableByOthers) == 0;
    ::close(fd);
    return ok;
}

} // namespace quillaro

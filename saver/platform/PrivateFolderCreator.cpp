#include "PrivateFolderCreator.h"

#include "common/FileDescriptor.h"
#include "common/PrivateFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillaro {
namespace {

constexpr mode_t PrivateMode = 0700;
constexpr mode_t WritableByOthers = S_IWGRP | S_IWOTH;

} // namespace

Result<void, SystemError> createPrivateFolder(const std::filesystem::path& folder) {
    if (folder.empty())
        return systemFailure("no working folder is named", folder, EINVAL);
    std::filesystem::path prefix;
    for (const auto& part : folder.lexically_normal()) {
        prefix /= part;
        if (part.empty() || part == prefix.root_path())
            continue;
        if (::mkdir(prefix.c_str(), PrivateMode) != 0 && errno != EEXIST)
            return systemFailure("cannot create the folder", prefix);
    }
    // A folder of ours that others may write into is closed to them before it is judged.
    const FileDescriptor fd(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const int openError = fd ? 0 : errno;
    struct stat info {};
    if (fd && ::fstat(fd.get(), &info) == 0 && info.st_uid == ::geteuid() &&
        (info.st_mode & WritableByOthers))
        ::fchmod(fd.get(), info.st_mode & 07777 & ~WritableByOthers);
    if (isPrivateFolder(folder))
        return {};
    struct stat link {};
    if (::lstat(folder.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        return systemFailure("will not write through the link", folder, ELOOP);
    return systemFailure("cannot trust the folder", folder, openError ? openError : EPERM);
}

} // namespace quillaro

#include "PrivateFolder.h"

#include "FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillaro {

bool isPrivateFolder(const std::filesystem::path& folder) {
    if (folder.empty())
        return false;
    // Opened without following a link, so what is checked is what the name refers to.
    const FileDescriptor fd(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return false;
    struct stat info {};
    return ::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace quillaro

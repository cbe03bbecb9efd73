#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

namespace quillaro {

FileDescriptor tryLockFile(const std::filesystem::path& file) {
    FileDescriptor fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return {};
    return fd;
}

} // namespace quillaro

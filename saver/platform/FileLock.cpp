#include "FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace quillaro {

FileDescriptor tryLockFile(const std::filesystem::path& file, bool* heldElsewhere) {
    if (heldElsewhere)
        *heldElsewhere = false;
    FileDescriptor fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
        return {};
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (heldElsewhere)
            *heldElsewhere = errno == EWOULDBLOCK;
        return {};
    }
    return fd;
}

} // namespace quillaro

#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillaro {

Result<RegularFile, RegularFile::Problem> RegularFile::open(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return failure(errno == ENOENT ? Problem::Missing : Problem::Unreadable);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failure(Problem::Unreadable);
    if (!S_ISREG(info.st_mode))
        return failure(Problem::NotRegular);
    return RegularFile(std::move(fd), info);
}

long long RegularFile::readSome(void* out, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(fd_.get(), out, count);
        if (got < 0 && errno == EINTR)
            continue;
        return got;
    }
}

bool RegularFile::readExactly(void* out, std::size_t count) {
    auto* at = static_cast<unsigned char*>(out);
    while (count > 0) {
        const long long got = readSome(at, count);
        if (got <= 0)
            return false;
        at += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace quillaro

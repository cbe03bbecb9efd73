#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillaro {

std::optional<RegularFile> RegularFile::open(const std::filesystem::path& path, bool* missing) {
    if (missing)
        *missing = false;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        if (missing)
            *missing = errno == ENOENT;
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
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

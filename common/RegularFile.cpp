#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace quillaro {

std::optional<RegularFile> RegularFile::open(const std::filesystem::path& path, bool* missing) {
    if (missing)
        *missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (missing)
            *missing = errno == ENOENT;
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return RegularFile(fd, info);
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), info_(other.info_) {}

RegularFile::~RegularFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

long long RegularFile::readSome(void* out, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(fd_, out, count);
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

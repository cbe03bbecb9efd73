#include "FileDescriptor.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace quillaro {

FileDescriptor::~FileDescriptor() {
    (void)close(); // nobody is left to tell
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        (void)close();
        fd_ = other.release();
    }
    return *this;
}

int FileDescriptor::release() noexcept {
    return std::exchange(fd_, -1);
}

std::error_code FileDescriptor::close() noexcept {
    const int fd = release();
    if (fd < 0)
        return {};
    // Linux frees the descriptor even when close fails, EINTR included: never close it again.
    if (::close(fd) != 0)
        return {errno, std::generic_category()};
    return {};
}

} // namespace quillaro

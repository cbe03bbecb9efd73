// A file descriptor with one owner. It is closed when its owner goes, handed on only by moving,
// and never copied, so no descriptor is closed twice or left open on an early return. Closing
// it by hand reports the close's own error, which for a file just written is the last word on
// whether its data arrived.
#pragma once

#include <system_error>

namespace quillaro {

class FileDescriptor {
public:
    FileDescriptor() noexcept = default;
    // Takes fd over; a negative fd is no descriptor.
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

    // Gives the descriptor up without closing it; the caller owns it from now on.
    int release() noexcept;
    // Closes now: no error, or the one the close gave. The descriptor is gone either way.
    std::error_code close() noexcept;

private:
    int fd_ = -1;
};

} // namespace quillaro

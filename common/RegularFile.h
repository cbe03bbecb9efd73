// A file opened for reading only when it is a regular file. It is opened without blocking, so a
// FIFO or a device left under a name the programs read (the settings file, the hand-off
// picture, a chosen picture) can never stall them, and it is closed when it goes.
#pragma once

#include "FileDescriptor.h"
#include "Result.h"

#include <cstddef>
#include <filesystem>
#include <sys/stat.h>
#include <utility>

namespace quillaro {

class RegularFile {
public:
    enum class Problem {
        Missing,    // nothing at all under the name
        Unreadable, // there, but it cannot be opened or looked at
        NotRegular, // a folder, FIFO, device or socket
    };

    // The open file, or why there is none.
    static Result<RegularFile, Problem> open(const std::filesystem::path& path);

    const struct stat& info() const { return info_; }
    // Hands the open descriptor over to a reader of its own; this file has none left.
    FileDescriptor release() && { return std::move(fd_); }
    // Reads exactly count bytes; false at the end of the file or on an error.
    bool readExactly(void* out, std::size_t count);
    // Reads up to count bytes; the number read (0 at the end), or -1 on an error.
    long long readSome(void* out, std::size_t count);

private:
    RegularFile(FileDescriptor fd, const struct stat& info) : fd_(std::move(fd)), info_(info) {}
    FileDescriptor fd_;
    struct stat info_;
};

} // namespace quillaro

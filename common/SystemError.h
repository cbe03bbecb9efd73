// The reason an action on the file system failed, told the way the system tells it: what this
// unit was doing, in its own terms ("cannot replace the file"), the path it was doing it to and
// the errno the system gave. message() makes one sentence of the three for a person to read:
//
//   cannot replace the file /home/a/.config/quillaro/Quillaro.ini: No space left on device
#pragma once

#include "Result.h"

#include <cerrno>
#include <filesystem>
#include <string>

namespace quillaro {

struct SystemError {
    std::string what;           // the step that failed, without the path
    std::filesystem::path path; // what it failed on
    int code = 0;               // errno, or 0 when the system was not asked (a bad argument)

    std::string message() const;
};

// A failure(SystemError) for a Result, with errno as it stands now.
inline Failure<SystemError> systemFailure(std::string what, const std::filesystem::path& path,
                                          int code = errno) {
    return {SystemError{std::move(what), path, code}};
}

} // namespace quillaro

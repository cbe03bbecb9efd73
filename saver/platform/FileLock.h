// A lock that only one process at a time can hold: an flock on a file, taken without waiting and
// given up when its owner ends, however it ends. The display-mode copies of one blanking take it
// to decide which of them plays the music.
#pragma once

#include "common/FileDescriptor.h"

#include <filesystem>

namespace quillaro {

// The open, locked file; an empty descriptor when another process holds the lock or the file
// cannot be opened. The file itself stays (it is one for all copies).
FileDescriptor tryLockFile(const std::filesystem::path& file);

} // namespace quillaro

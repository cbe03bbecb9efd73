#include "PosixFolderAccess.h"

#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace quillaro {

bool PosixFolderAccess::canWrite(const std::filesystem::path& folder) const {
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return false;
    // Replacing a file needs write permission to make the new name and search permission to
    // reach it; the effective user is the one whose rights count.
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace quillaro

// The working folder on Linux: created mode 0700 with its parents, and accepted only when it is
// a real folder of this user that nobody else can write into, so that no one can redirect the
// hand-off picture through a symbolic link or a folder of their own.
#pragma once

#include "common/SystemError.h"

#include <filesystem>

namespace quillaro {

// Creates folder (and missing parents, each mode 0700) when needed. Succeeds when folder then
// is a folder, not a symbolic link, owned by this user and not writable by group or others
// (write bits for them are taken away from a folder of ours).
[[nodiscard]] Result<void, SystemError> createPrivateFolder(const std::filesystem::path& folder);

} // namespace quillaro

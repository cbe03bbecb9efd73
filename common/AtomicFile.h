// Replacing a file in one step: the new content goes to a temporary file beside it, reaches the
// disk, and only then takes the file's name. A reader (the renderer, an editor) finds the old
// file or the new one, never half of one, and a crash in between leaves the old file as it was.
#pragma once

#include <filesystem>
#include <string_view>
#include <sys/stat.h>

namespace quillaro {

// Writes bytes as target. The new file gets newMode, or, when keepFrom is given (what stat said
// of the file being replaced), that file's mode and, where permitted, its owner. False, with
// target untouched and no temporary left behind, when that cannot be done.
bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           mode_t newMode, const struct stat* keepFrom = nullptr);

} // namespace quillaro

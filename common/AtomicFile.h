// Replacing a file in one step: the new content goes to a temporary file beside it and only then
// takes the file's name. A reader (the renderer, an editor) finds the old file or the new one,
// never half of one. A synced replacement also waits for the content to reach the disk before
// the rename, so that a crash in between leaves the old file as it was.
#pragma once

#include "SystemError.h"

#include <filesystem>
#include <functional>
#include <string_view>
#include <sys/stat.h>

namespace quillaro {

enum class Durability {
    // The content reaches the disk before it takes the name: for data that must survive a crash
    // (the settings).
    Synced,
    // The rename alone: readers still never see half a file, but after a crash the file may be
    // lost. For a file made again on every use (the hand-off picture), where waiting for the disk
    // would only delay its reader.
    RenameOnly,
};

// Writes bytes as target. The new file gets newMode, or, when keepFrom is given (what stat said
// of the file being replaced), that file's mode and, where permitted, its owner. When that cannot
// be done, target stays untouched, no temporary is left behind, and the reason names the step.
[[nodiscard]] Result<void, SystemError>
replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes, mode_t newMode,
                      const struct stat* keepFrom = nullptr,
                      Durability durability = Durability::Synced);

// The same, with the content handed out piece by piece: next() gives the next piece, and an empty
// piece at the end. A large file so never has to lie in memory whole.
[[nodiscard]] Result<void, SystemError>
replaceFileAtomically(const std::filesystem::path& target,
                      const std::function<std::string_view()>& next, mode_t newMode,
                      const struct stat* keepFrom = nullptr,
                      Durability durability = Durability::Synced);

} // namespace quillaro

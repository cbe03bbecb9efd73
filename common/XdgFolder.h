// The folders of the XDG base-directory rules that Quillaro uses: the cache (the hand-off
// picture's working folder) and the configuration (per-user settings when the program's own
// folder cannot be written).
#pragma once

#include <filesystem>

namespace quillaro {

// xdgValue when it is an absolute path (the rules say a relative value is to be ignored), else
// home / belowHome, home being the given HOME when absolute or else the password database's
// entry for this user. Empty when no home folder can be found at all.
std::filesystem::path xdgBaseFolder(const char* xdgValue, const char* home,
                                    const std::filesystem::path& belowHome);

} // namespace quillaro

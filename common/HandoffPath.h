// Where the saver leaves the picture for the renderer. Both programs call this one function so
// they always agree on the file, and nothing but the file passes between them.
#pragma once

#include <filesystem>

namespace quillaro {

// The working folder, $XDG_CACHE_HOME/v_kord, or ~/.cache/v_kord when XDG_CACHE_HOME is unset,
// empty or relative (the XDG rules say a relative value is to be ignored). Empty when no home
// folder can be found at all.
std::filesystem::path workingFolder();

// The same rule with the environment handed in, so it can be checked without touching the
// real environment. home may be null; then the password database is asked.
std::filesystem::path workingFolderFor(const char* xdgCacheHome, const char* home);

// workingFolder() / "Lumivane.bmp", or empty when the folder is unknown.
std::filesystem::path handoffPath();

inline constexpr const char* HandoffFileName = "Lumivane.bmp";
inline constexpr const char* WorkingFolderName = "v_kord";

} // namespace quillaro

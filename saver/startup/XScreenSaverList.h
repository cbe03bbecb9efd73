// `quillaro --xscreensaver`: puts Quillaro into the user's list of xscreensaver display
// programs, the "programs:" setting of ~/.xscreensaver. The list belongs to the user and to
// xscreensaver (no folder lets a package add to it), so the one line is added into the file as
// it stands: every other setting and program is kept byte for byte. A user without a file gets
// one holding the system's default list (from xscreensaver's app-defaults) with Quillaro in it;
// xscreensaver takes every other setting from its defaults as before.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillaro {

// The list entry xscreensaver runs: an OpenGL program, drawing into the window it names.
inline constexpr std::string_view XScreenSaverEntry = "  GL: \t\t\t\tquillaro --root";

// The file text with Quillaro added at the top of its programs list (a list is made when the
// text has none); nothing when Quillaro is listed already.
std::optional<std::string> WithQuillaroListed(std::string_view userFile);

// A user file made of the defaults' programs list ("*programs:" in the app-defaults file) as
// "programs:", comments and other resources left out; an empty list when the defaults have none.
std::string UserFileFromDefaults(std::string_view appDefaults);

enum class ListOutcome { Added, AlreadyListed, Failed };

// Reads the user's file (or the defaults when there is none), adds Quillaro and replaces the
// file in one step. Failed, with the file untouched, when it cannot be read or written.
ListOutcome AddToXScreenSaver(const std::filesystem::path& userFile,
                              const std::filesystem::path& appDefaults);

// What `quillaro --xscreensaver` does for the user running it; returns the exit code and says
// what happened on standard output (errors on standard error).
int RunXScreenSaverCommand();

inline constexpr std::string_view XScreenSaverCommand = "--xscreensaver";

} // namespace quillaro

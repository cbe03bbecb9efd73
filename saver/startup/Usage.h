// What `Quillaro.scr --help` prints: the modes and what each does, where this user's settings
// file is, and where the README lies in the install. A screen-saver launcher never passes these
// options, so they take nothing away from the modes' own rules.
#pragma once

#include "settings/SettingsLocation.h"

#include <string>
#include <string_view>

namespace quillaro {

// True for a command line of exactly "--help" or "-h".
bool AsksForUsage(std::string_view commandLine);
// True for a command line of exactly "--version".
bool AsksForVersion(std::string_view commandLine);

// The name the saver was started by, as the user typed it, without its folder ("quillaro",
// "Quillaro.scr"); the saver's own file name when there is none.
std::string CommandName(const char* argv0);

// The usage text for a saver started as command from programFolder, whose settings live where
// location says.
std::string UsageText(const std::string& command, const std::string& programFolder,
                      const SettingsLocation& location);
// "Quillaro 1.0.0" and a line end: the version the program was built as.
std::string VersionText();

} // namespace quillaro

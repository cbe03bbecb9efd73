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

// The usage text for a saver in programFolder whose settings live where location says.
std::string UsageText(const std::string& programFolder, const SettingsLocation& location);

} // namespace quillaro

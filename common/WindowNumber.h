// An X window id as written on a command line: by the daemon for the saver ("--window-id N",
// $XSCREENSAVER_WINDOW) and by the saver for the renderer. Both programs read it alike.
#pragma once

#include <optional>
#include <string_view>

namespace quillaro {

// The whole text as a window id in decimal or 0x hex; nothing otherwise, or for 0.
std::optional<unsigned long> parseWindowNumber(std::string_view text);

} // namespace quillaro

// Display mode: how a screen-saver daemon (xscreensaver, MATE's screen saver) runs the saver
// inside a window of its own, one copy per monitor. "--root" (or "-root") means the window named
// by $XSCREENSAVER_WINDOW; "--window-id N" (or "-window-id N", "--window-id=N") names it
// directly, in decimal or 0x hex. Read before the mode letter, which "-root" would otherwise be.
#pragma once

#include "platform/WindowLookup.h"

#include <optional>
#include <string_view>

namespace quillaro {

// Nothing when the command line asks for no display mode; 0 when it does but names no usable
// window (no or bad $XSCREENSAVER_WINDOW, a bad number); else the host window.
std::optional<WindowId> DisplayModeWindow(std::string_view commandLine,
                                          const char* xscreensaverWindow);

} // namespace quillaro

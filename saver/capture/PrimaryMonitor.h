// Where the primary monitor lies on the root window. The desktop capture and the run form's
// screen size both mean the primary monitor, whose top-left corner is the desktop's origin,
// not the whole root that spans every monitor.
#pragma once

#include "platform/XHandles.h"

namespace quillaro {

struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ScreenArea&, const ScreenArea&) = default;
};

// The active monitor that RandR (1.5 or later) marks as primary, else the first active monitor
// (the one the toolkit then takes as its screen); the whole root window when the server has no
// such RandR or lists no monitor.
ScreenArea primaryMonitorArea(Display* display);

// The active monitor that holds the root point (x, y); the whole root window when none does or
// the server lists no monitor.
ScreenArea monitorAreaAt(Display* display, int x, int y);

} // namespace quillaro

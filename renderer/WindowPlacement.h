// Where the renderer's window goes. On a screen with one monitor it goes full screen, as ever.
// With several, the scene belongs on the primary monitor only (the desktop the floor carries),
// so the window is put there at that monitor's size; a window manager that can make a window
// full screen then does so on the monitor the window is on, and without one the place and size
// asked for are what the window gets (freeglut's own full screen would span every monitor).
#pragma once

#include "common/PrimaryMonitor.h"

namespace quillaro {

struct WindowPlacement {
    ScreenArea area;        // where the window is created, and its size
    bool fullScreen = true; // ask for full screen once the window exists
};

// Looks at the display through the caller's connection; the one-monitor placement (the origin,
// the default size, full screen) without one.
WindowPlacement placeWindow(Display* display, int defaultWidth, int defaultHeight);

} // namespace quillaro

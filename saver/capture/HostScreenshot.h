// What a screen-saver daemon's window tells about the monitor it covers: the desktop as it was
// before blanking, which xscreensaver leaves on the window as a pixmap named by the property
// _SCREENSAVER_SCREENSHOT, and whether the window covers its whole monitor (a blanked monitor)
// or only part of it (a preview pane of a settings program).
#pragma once

#include "graphics/Picture.h"
#include "platform/XHandles.h"

namespace quillaro {

inline constexpr const char* ScreenshotProperty = "_SCREENSAVER_SCREENSHOT";

// The screenshot pixmap's pixels, not mirrored; an empty picture when the window has none, the
// pixmap has gone, or the screen is not true colour.
Picture GrabHostScreenshot(Display* display, XWindowId host);

// True when the window is at least as large as the monitor that holds its centre.
bool HostFillsItsMonitor(Display* display, XWindowId host);

} // namespace quillaro

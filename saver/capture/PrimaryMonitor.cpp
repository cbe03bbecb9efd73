#include "PrimaryMonitor.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace quillaro {
namespace {

// XRRGetMonitors arrived with RandR 1.5.
constexpr int MonitorsMajor = 1;
constexpr int MonitorsMinor = 5;

ScreenArea wholeRoot(Display* display) {
    const int screen = DefaultScreen(display);
    return {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

bool hasMonitors(Display* display) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor))
        return false;
    return major > MonitorsMajor || (major == MonitorsMajor && minor >= MonitorsMinor);
}

} // namespace

ScreenArea primaryMonitorArea(Display* display) {
    if (!hasMonitors(display))
        return wholeRoot(display);
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    ScreenArea area = wholeRoot(display);
    for (int i = 0; i < count; ++i) {
        if (monitors[i].primary && monitors[i].width > 0 && monitors[i].height > 0) {
            area = {monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height};
            break;
        }
    }
    if (monitors)
        XRRFreeMonitors(monitors);
    return area;
}

} // namespace quillaro

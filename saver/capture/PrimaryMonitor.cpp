#include "PrimaryMonitor.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <optional>

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
    std::optional<ScreenArea> primary;
    std::optional<ScreenArea> first;
    for (int i = 0; i < count && !primary; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        if (m.width <= 0 || m.height <= 0)
            continue;
        const ScreenArea area{m.x, m.y, m.width, m.height};
        if (m.primary)
            primary = area;
        else if (!first)
            first = area;
    }
    if (monitors)
        XRRFreeMonitors(monitors);
    // With none marked primary the toolkit takes the first monitor the server lists as its
    // screen, and so must we, or the picture would span monitors the run form does not.
    return primary ? *primary : first ? *first : wholeRoot(display);
}

ScreenArea monitorAreaAt(Display* display, int x, int y) {
    if (!hasMonitors(display))
        return wholeRoot(display);
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    std::optional<ScreenArea> found;
    for (int i = 0; i < count && !found; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        if (x >= m.x && y >= m.y && x < m.x + m.width && y < m.y + m.height)
            found = ScreenArea{m.x, m.y, m.width, m.height};
    }
    if (monitors)
        XRRFreeMonitors(monitors);
    return found ? *found : wholeRoot(display);
}

} // namespace quillaro

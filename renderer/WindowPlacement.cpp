#include "WindowPlacement.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <memory>

namespace quillaro {
namespace {

// The window ids or atoms in a 32-bit property of window, or none.
std::unique_ptr<unsigned long[], int (*)(void*)>
listProperty(Display* d, Window window, const char* name, Atom type, unsigned long& count) {
    Atom actualType = 0;
    int format = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    count = 0;
    if (XGetWindowProperty(d, window, XInternAtom(d, name, False), 0, 4096, False, type,
                           &actualType, &format, &count, &after, &data) != Success ||
        format != 32)
        count = 0;
    return {reinterpret_cast<unsigned long*>(data), XFree};
}

// True when an EWMH window manager runs that makes windows full screen (_NET_WM_STATE_FULLSCREEN):
// its check window names itself, and the root lists the state as supported.
bool managerGoesFullScreen(Display* d) {
    const Window root = DefaultRootWindow(d);
    unsigned long count = 0;
    auto check = listProperty(d, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, count);
    if (count != 1)
        return false;
    const Window manager = check[0];
    auto self = listProperty(d, manager, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, count);
    if (count != 1 || self[0] != manager)
        return false;
    const Atom fullScreen = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
    auto supported = listProperty(d, root, "_NET_SUPPORTED", XA_ATOM, count);
    for (unsigned long i = 0; i < count; ++i)
        if (supported[i] == fullScreen)
            return true;
    return false;
}

} // namespace

WindowPlacement placeWindow(Display* d, int defaultWidth, int defaultHeight) {
    const WindowPlacement oneMonitor{{0, 0, defaultWidth, defaultHeight}, true};
    if (!d)
        return oneMonitor;
    const int screen = DefaultScreen(d);
    const ScreenArea monitor = primaryMonitorArea(d);
    if (monitor == ScreenArea{0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)})
        return oneMonitor;
    return {monitor, managerGoesFullScreen(d)};
}

} // namespace quillaro

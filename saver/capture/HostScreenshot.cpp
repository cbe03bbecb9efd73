#include "HostScreenshot.h"

#include "RootCapture.h"
#include "common/PrimaryMonitor.h"
#include "platform/XErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <memory>

namespace quillaro {
namespace {

struct XFreeDeleter {
    void operator()(unsigned char* data) const { XFree(data); }
};

Pixmap screenshotPixmap(Display* display, XWindowId host) {
    const Atom property = XInternAtom(display, ScreenshotProperty, False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    XErrorTrap trap(display);
    const int status = XGetWindowProperty(display, host, property, 0, 1, False, XA_PIXMAP, &type,
                                          &format, &count, &after, &raw);
    std::unique_ptr<unsigned char, XFreeDeleter> data(raw);
    if (trap.failed() || status != Success || type != XA_PIXMAP || format != 32 || count != 1)
        return 0;
    return static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data.get()));
}

} // namespace

Picture GrabHostScreenshot(Display* display, XWindowId host) {
    if (!display)
        return {};
    const Pixmap pixmap = screenshotPixmap(display, host);
    if (!pixmap)
        return {};
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    if (visual->c_class != TrueColor)
        return {};
    XErrorTrap trap(display);
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &depth) ||
        trap.failed() || static_cast<int>(depth) != DefaultDepth(display, DefaultScreen(display)))
        return {};
    auto captured = captureArea(display, pixmap, 0, 0, static_cast<int>(width),
                                static_cast<int>(height), CaptureMethod::PlainImage);
    if (!captured)
        return {};
    return Picture(std::move(captured->image), std::nullopt);
}

bool HostFillsItsMonitor(Display* display, XWindowId host) {
    if (!display)
        return false;
    XErrorTrap trap(display);
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(display, host, &attrs) || trap.failed())
        return false;
    int rootX = 0, rootY = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, host, attrs.root, attrs.width / 2, attrs.height / 2, &rootX,
                               &rootY, &child) ||
        trap.failed())
        return false;
    const ScreenArea monitor = monitorAreaAt(display, rootX, rootY);
    return attrs.width >= monitor.width && attrs.height >= monitor.height;
}

} // namespace quillaro

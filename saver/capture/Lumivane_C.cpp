#include "Lumivane_C.h"

#include "common/PrimaryMonitor.h"
#include "graphics/Raster.h"
#include "platform/XConnection.h"
#include "platform/XErrorTrap.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <memory>

namespace quillaro {
namespace {

// The top-level window that holds window: its frame when a window manager reparented it, the
// window itself when it is a child of the root, the root for the root.
Window frameOf(Display* display, Window window) {
    const Window root = DefaultRootWindow(display);
    Window current = window;
    while (current != root) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, current, &rootReturn, &parent, &children, &count))
            return window;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            return current;
        current = parent;
    }
    return root;
}

// The toolkit's screen size: the primary monitor in twips.
TwipSize twipsOf(const ScreenArea& area) {
    return {static_cast<long long>(area.width) * TwipsPerPixel,
            static_cast<long long>(area.height) * TwipsPerPixel};
}

} // namespace

int PixelsFromTwips(long long twips, int twipsPerPixel) {
    if (twipsPerPixel <= 0)
        return 0;
    return static_cast<int>(twips / twipsPerPixel);
}

TwipSize PrimaryScreenTwips(Display* display) {
    return twipsOf(primaryMonitorArea(display));
}

Picture GrabDesktop() {
    const auto connection = XConnection::open();
    if (!connection)
        return {};
    return GrabDesktop(connection->display());
}

Picture GrabDesktop(Display* display, CaptureMethod method) {
    if (!display)
        return {};
    // The desktop's origin is the primary monitor's top-left corner; its size is the screen's,
    // taken from twips as the toolkit gives it.
    const ScreenArea primary = primaryMonitorArea(display);
    const TwipSize screen = twipsOf(primary);
    const int width = PixelsFromTwips(screen.width, TwipsPerPixel);
    const int height = PixelsFromTwips(screen.height, TwipsPerPixel);
    return GrabWindowArea(display, DefaultRootWindow(display), false, primary.x, primary.y, width,
                          height, method);
}

Picture GrabWindowArea(Display* display, XWindowId window, bool clientOnly, int left, int top,
                       int width, int height, CaptureMethod method) {
    if (!display || width <= 0 || height <= 0 || width > Image24::MaxSide ||
        height > Image24::MaxSide)
        return {};
    const Window root = DefaultRootWindow(display);
    int rootX = 0, rootY = 0;
    {
        // The window may be gone, or may never have existed.
        XErrorTrap trap(display);
        const Window source = clientOnly ? window : frameOf(display, window);
        Window child = 0;
        if (!XTranslateCoordinates(display, source, root, left, top, &rootX, &rootY, &child) ||
            trap.failed())
            return {};
    }

    // Only the part on the screen is read; the rest stays black, as a fresh bitmap starts.
    const int screen = DefaultScreen(display);
    const long long x0 = std::max<long long>(rootX, 0);
    const long long y0 = std::max<long long>(rootY, 0);
    const long long x1 =
        std::min<long long>(static_cast<long long>(rootX) + width, DisplayWidth(display, screen));
    const long long y1 =
        std::min<long long>(static_cast<long long>(rootY) + height, DisplayHeight(display, screen));
    if (x1 <= x0 || y1 <= y0)
        return PictureFromBitmap(Image24(width, height), std::nullopt);

    const int cx = static_cast<int>(x0), cy = static_cast<int>(y0);
    const int cw = static_cast<int>(x1 - x0), ch = static_cast<int>(y1 - y0);
    std::optional<RootPixels> captured = captureRootArea(display, cx, cy, cw, ch, method);
    if (!captured && method == CaptureMethod::SharedMemory)
        captured = captureRootArea(display, cx, cy, cw, ch, CaptureMethod::PlainImage);
    if (!captured)
        return {};
    if (cw == width && ch == height)
        return PictureFromBitmap(std::move(captured->image), captured->palette);
    Image24 bitmap(width, height);
    BitBlt(bitmap, cx - rootX, cy - rootY, cw, ch, captured->image, 0, 0);
    return PictureFromBitmap(std::move(bitmap), captured->palette);
}

Picture PictureFromBitmap(Image24 bitmap, std::optional<Palette> palette) {
    return Picture(std::move(bitmap), palette);
}

} // namespace quillaro

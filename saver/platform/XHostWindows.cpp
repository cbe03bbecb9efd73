#include "XHostWindows.h"

// Qt comes before Xlib, whose None, Bool and Status macros would break Qt's headers.
// clang-format off
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
// clang-format on
#include "XConnection.h"
#include "XErrorTrap.h"

#include <cstdlib>
#include <utility>
#include <xcb/xcb.h>

namespace quillaro {
namespace {

// The child is the toolkit's window, created on the toolkit's own X connection, where its
// creation may still be waiting to be sent: one round trip there puts it on the server before
// this connection names it.
void catchUpToolkitConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* c = x11->connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace

XHostWindows::XHostWindows(const char* displayName) {
    if (auto opened = XConnection::open(displayName))
        connection_ = std::make_unique<XConnection>(std::move(*opened));
}

XHostWindows::~XHostWindows() = default;

std::optional<PixelSize> XHostWindows::insideSize(WindowId window) {
    if (!connection_ || window == 0)
        return std::nullopt;
    Display* d = connection_->display();
    XErrorTrap trap(d);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(d, window, &attributes) || trap.failed())
        return std::nullopt;
    if (attributes.root == window)
        return std::nullopt;
    return PixelSize{attributes.width, attributes.height};
}

Result<void, HostWindowError> XHostWindows::watchDestruction(WindowId window,
                                                             std::function<void()> onDestroyed) {
    if (!connection_ || window == 0)
        return failure(HostWindowError{"no X connection or no window to watch", window, {}});
    Display* d = connection_->display();
    {
        XErrorTrap trap(d);
        // Event masks belong to each client: this leaves the host's own selection alone.
        XSelectInput(d, window, StructureNotifyMask);
        if (trap.failed())
            return failure(
                HostWindowError{"cannot watch the window", window, trap.firstErrorText()});
    }
    watched_ = window;
    onDestroyed_ = std::move(onDestroyed);
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(d), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    // Replies read meanwhile may have brought the event in already, where the socket no longer
    // shows it: look once the event loop runs.
    QTimer::singleShot(0, notifier_.get(), [this] { readEvents(); });
    return {};
}

Result<void, HostWindowError> XHostWindows::adopt(WindowId child, WindowId parent) {
    if (!connection_ || child == 0 || parent == 0)
        return failure(HostWindowError{"no X connection or no window to move into", parent, {}});
    catchUpToolkitConnection();
    Display* d = connection_->display();
    XErrorTrap trap(d);
    XReparentWindow(d, child, parent, 0, 0);
    if (trap.failed())
        return failure(HostWindowError{"cannot move the preview into the window", parent,
                                       trap.firstErrorText()});
    return {};
}

void XHostWindows::readEvents() {
    Display* d = connection_->display();
    while (XPending(d) > 0) {
        XEvent event{};
        XNextEvent(d, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == watched_ &&
            onDestroyed_) {
            notifier_->setEnabled(false);
            std::exchange(onDestroyed_, {})();
            return;
        }
    }
}

} // namespace quillaro

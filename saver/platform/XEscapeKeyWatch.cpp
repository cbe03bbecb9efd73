#include "XEscapeKeyWatch.h"

// Qt comes before Xlib, whose None, Bool and Status macros would break Qt's headers.
// clang-format off
#include <QSocketNotifier>
// clang-format on
#include "XConnection.h"
#include "XErrorTrap.h"

#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace quillaro {

XEscapeKeyWatch::XEscapeKeyWatch(std::function<void()> onEscape, const char* displayName)
    : onEscape_(std::move(onEscape)) {
    auto opened = XConnection::open(displayName);
    if (!opened)
        return;
    connection_ = std::make_unique<XConnection>(std::move(*opened));
    Display* d = connection_->display();
    int event = 0, error = 0;
    // Raw events reach every client that asks, grab or no grab, from XInput 2.1 on.
    int major = 2, minor = 1;
    if (!XQueryExtension(d, "XInputExtension", &xinputOpcode_, &event, &error) ||
        XIQueryVersion(d, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1))
        return;
    escapeKey_ = XKeysymToKeycode(d, XK_Escape);
    if (escapeKey_ == 0)
        return;
    unsigned char bits[XIMaskLen(XI_RawKeyPress)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XErrorTrap trap(d);
    XISelectEvents(d, connection_->root(), &mask, 1);
    if (trap.failed())
        return;
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(d), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
}

XEscapeKeyWatch::~XEscapeKeyWatch() = default;

void XEscapeKeyWatch::readEvents() {
    Display* d = connection_->display();
    bool escape = false;
    while (XPending(d) > 0) {
        XEvent event{};
        XNextEvent(d, &event);
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != xinputOpcode_ ||
            !XGetEventData(d, &cookie))
            continue;
        if (cookie.evtype == XI_RawKeyPress) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
            escape = escape || raw->detail == escapeKey_;
        }
        XFreeEventData(d, &cookie);
    }
    if (escape)
        onEscape_();
}

} // namespace quillaro

// Catches the X protocol errors of one display for as long as it lives, so a capture can tell a
// failed request (a shared-memory attach the server refuses, an area off the screen) from a good
// one and take another way. Errors of other displays still reach the handler that was there.
#pragma once

#include <X11/Xlib.h>

namespace quillaro {

class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer every request so far; true when any of them failed since
    // the trap was set or since the last call.
    bool failed();

private:
    static int handle(Display* display, XErrorEvent* event);

    Display* display_;
    XErrorHandler previousHandler_;
    XErrorTrap* previousTrap_;
    unsigned long errors_ = 0;
};

} // namespace quillaro

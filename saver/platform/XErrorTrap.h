// The saver's one X error handler. A trap catches the X protocol errors of one display for as
// long as it lives, so a capture can tell a failed request (a shared-memory attach the server
// refuses, an area off the screen) from a good one and take another way. Errors that no trap
// catches are counted instead of ending the program: windows of other programs may vanish
// between two requests, and one stray request must never kill the saver.
#pragma once

#include <X11/Xlib.h>
#include <string>

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
    // The server's name for the first error that failed() reported ("BadWindow"); empty when
    // none failed.
    const std::string& firstErrorText() const { return firstErrorText_; }

    // Makes the handler the process's own, outside any trap too; every connection calls it.
    static void catchStrayErrors();
    // Errors that no trap caught, on any display, so far; a caller that needs to know whether
    // its own requests failed compares it before and after an XSync.
    static unsigned long strayErrors();

private:
    static int handle(Display* display, XErrorEvent* event);
    static XErrorTrap* outermost();

    Display* display_;
    XErrorHandler previousHandler_;
    XErrorTrap* previousTrap_;
    unsigned long errors_ = 0;
    std::string firstErrorText_;
};

} // namespace quillaro

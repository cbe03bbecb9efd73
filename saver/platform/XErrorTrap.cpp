#include "XErrorTrap.h"

#include <atomic>

namespace quillaro {
namespace {

XErrorTrap* activeTrap = nullptr; // the innermost trap; X calls come from the GUI thread only
std::atomic<unsigned long> strayErrorsSeen{0};

} // namespace

XErrorTrap::XErrorTrap(Display* display) : display_(display) {
    // Errors of requests sent before the trap belong to whoever sent them.
    XSync(display_, False);
    previousTrap_ = activeTrap;
    activeTrap = this;
    previousHandler_ = XSetErrorHandler(&XErrorTrap::handle);
}

XErrorTrap::~XErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previousHandler_);
    activeTrap = previousTrap_;
}

bool XErrorTrap::failed() {
    XSync(display_, False);
    const bool any = errors_ != 0;
    errors_ = 0;
    return any;
}

XErrorTrap* XErrorTrap::outermost() {
    XErrorTrap* trap = activeTrap;
    while (trap && trap->previousTrap_)
        trap = trap->previousTrap_;
    return trap;
}

void XErrorTrap::catchStrayErrors() {
    // Inside a trap, the handler goes in once the outermost trap has given the old one back.
    if (XErrorTrap* outermost = XErrorTrap::outermost())
        outermost->previousHandler_ = &XErrorTrap::handle;
    else
        XSetErrorHandler(&XErrorTrap::handle);
}

unsigned long XErrorTrap::strayErrors() {
    return strayErrorsSeen.load();
}

int XErrorTrap::handle(Display* display, XErrorEvent* event) {
    for (XErrorTrap* trap = activeTrap; trap; trap = trap->previousTrap_) {
        if (trap->display_ == display) {
            if (trap->errors_++ == 0) {
                char text[80] = {};
                XGetErrorText(display, event->error_code, text, sizeof text);
                trap->firstErrorText_ = text;
            }
            return 0;
        }
    }
    // Not a trap's: a handler that was there before the outermost trap gets it, unless that
    // handler is this one.
    const XErrorTrap* first = outermost();
    if (first && first->previousHandler_ && first->previousHandler_ != &XErrorTrap::handle)
        return first->previousHandler_(display, event);
    ++strayErrorsSeen;
    return 0;
}

} // namespace quillaro

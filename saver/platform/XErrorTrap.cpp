#include "XErrorTrap.h"

namespace quillaro {
namespace {

XErrorTrap* activeTrap = nullptr; // the innermost trap; X calls come from the GUI thread only

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

int XErrorTrap::handle(Display* display, XErrorEvent* event) {
    for (XErrorTrap* trap = activeTrap; trap; trap = trap->previousTrap_) {
        if (trap->display_ == display) {
            ++trap->errors_;
            return 0;
        }
    }
    // Not ours: hand it to the handler that was installed before the outermost trap.
    XErrorTrap* outermost = activeTrap;
    while (outermost && outermost->previousTrap_)
        outermost = outermost->previousTrap_;
    if (outermost && outermost->previousHandler_)
        return outermost->previousHandler_(display, event);
    return 0;
}

} // namespace quillaro

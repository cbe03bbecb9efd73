#include "HostWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdexcept>

namespace quillaro::test {

HostWindow::HostWindow(const std::string& display, int x, int y, int width, int height,
                       bool inputOnly) {
    display_ = XOpenDisplay(display.c_str());
    if (!display_)
        throw std::runtime_error("cannot open " + display);
    const Window root = DefaultRootWindow(display_);
    const auto w = static_cast<unsigned>(width);
    const auto h = static_cast<unsigned>(height);
    if (inputOnly) {
        XSetWindowAttributes none{};
        window_ =
            XCreateWindow(display_, root, x, y, w, h, 0, 0, InputOnly, CopyFromParent, 0, &none);
    } else {
        window_ = XCreateSimpleWindow(display_, root, x, y, w, h, Border, 0xff0000, Background);
    }
    XMapWindow(display_, window_);
    XSync(display_, False);
}

HostWindow::~HostWindow() {
    XCloseDisplay(display_);
}

void HostWindow::resize(int width, int height) {
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
}

void HostWindow::leaveScreenshot(unsigned long colour) {
    XWindowAttributes attrs{};
    XGetWindowAttributes(display_, window_, &attrs);
    const auto width = static_cast<unsigned>(attrs.width);
    const auto height = static_cast<unsigned>(attrs.height);
    const Pixmap pixmap =
        XCreatePixmap(display_, window_, width, height, static_cast<unsigned>(attrs.depth));
    GC gc = XCreateGC(display_, pixmap, 0, nullptr);
    XSetForeground(display_, gc, colour);
    XFillRectangle(display_, pixmap, gc, 0, 0, width, height);
    XFreeGC(display_, gc);
    const Atom property = XInternAtom(display_, "_SCREENSAVER_SCREENSHOT", False);
    XChangeProperty(display_, window_, property, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSync(display_, False);
}

void HostWindow::destroy() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
}

} // namespace quillaro::test

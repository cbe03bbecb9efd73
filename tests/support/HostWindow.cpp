#include "HostWindow.h"

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

void HostWindow::destroy() {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
}

} // namespace quillaro::test

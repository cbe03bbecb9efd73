#include "HostEmbedding.h"

#include "common/WindowNumber.h"

#include <X11/Xlib.h>
#include <string_view>

namespace quillaro {

std::optional<RendererOptions> takeRendererOptions(int& argc, char** argv) {
    RendererOptions options;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool window = arg == "--window-id";
        if (!window && arg != "--picture") {
            argv[kept++] = argv[i];
            continue;
        }
        if (i + 1 >= argc)
            return std::nullopt;
        const char* value = argv[++i];
        if (!window) {
            options.picture = value;
        } else if (auto id = parseWindowNumber(value)) {
            options.hostWindow = *id;
        } else {
            return std::nullopt;
        }
    }
    argc = kept;
    argv[kept] = nullptr;
    return options;
}

HostFollower::~HostFollower() {
    if (display_)
        XCloseDisplay(display_);
}

bool HostFollower::watch(unsigned long host) {
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return false;
    host_ = host;
    XSelectInput(display_, host_, StructureNotifyMask);
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(display_, host_, &attrs))
        return false;
    width_ = attrs.width;
    height_ = attrs.height;
    const int screen = DefaultScreen(display_);
    offScreenX_ = DisplayWidth(display_, screen);
    offScreenY_ = DisplayHeight(display_, screen);
    return true;
}

void HostFollower::adopt(Display* display, unsigned long window) const {
    XReparentWindow(display, window, host_, 0, 0);
    XResizeWindow(display, window, static_cast<unsigned>(width_), static_cast<unsigned>(height_));
    XFlush(display);
}

void HostFollower::poll(const std::function<void(int, int)>& resized,
                        const std::function<void()>& gone) {
    while (display_ && XPending(display_) > 0) {
        XEvent event{};
        XNextEvent(display_, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == host_) {
            gone();
            return;
        }
        if (event.type == ConfigureNotify && event.xconfigure.window == host_ &&
            (event.xconfigure.width != width_ || event.xconfigure.height != height_)) {
            width_ = event.xconfigure.width;
            height_ = event.xconfigure.height;
            resized(width_, height_);
        }
    }
}

} // namespace quillaro

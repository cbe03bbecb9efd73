// One Xlib connection, closed when its owner goes. Opening installs an error handler that
// records X protocol errors instead of ending the program: windows of other programs may vanish
// between two requests, and one stray request must never kill the saver.
#pragma once

#include <X11/Xlib.h>
#include <memory>

namespace quillaro {

class XConnection {
    struct Opened { // only open() can make one, so only open() makes connections
        explicit Opened() = default;
    };

public:
    // Opens the display named by DISPLAY (or the name given); null when that fails.
    static std::unique_ptr<XConnection> open(const char* name = nullptr);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    Display* display() const { return display_; }
    Window root() const { return DefaultRootWindow(display_); }

    // Number of X protocol errors seen on any connection of this process so far; a caller that
    // needs to know whether its own requests failed compares it before and after an XSync.
    static unsigned long errorCount();

    XConnection(Opened, Display* display) : display_(display) {}

private:
    Display* display_;
};

} // namespace quillaro

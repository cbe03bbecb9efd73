// One Xlib connection, closed when its owner goes. Opening makes XErrorTrap's handler the
// process's own, so an X protocol error outside a trap is counted instead of ending the program.
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

    XConnection(Opened, Display* display) : display_(display) {}

private:
    Display* display_;
};

} // namespace quillaro

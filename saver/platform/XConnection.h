// One Xlib connection, closed when its owner goes. Opening makes XErrorTrap's handler the
// process's own, so an X protocol error outside a trap is counted instead of ending the program.
#pragma once

#include "common/Passkey.h"
#include "common/Result.h"

#include <X11/Xlib.h>

namespace quillaro {

class XConnection {
public:
    enum class Problem {
        NoDisplayNamed, // no name given and DISPLAY unset or empty
        Unreachable,    // the display named does not answer
    };

    // Opens the display named by DISPLAY (or the name given).
    static Result<XConnection, Problem> open(const char* name = nullptr);
    ~XConnection();
    XConnection(XConnection&& other) noexcept;
    XConnection& operator=(XConnection&& other) noexcept;
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    Display* display() const { return display_; }
    Window root() const { return DefaultRootWindow(display_); }

    XConnection(Passkey<XConnection>, Display* display) : display_(display) {}

private:
    Display* display_;
};

} // namespace quillaro

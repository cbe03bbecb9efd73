#include "XConnection.h"

#include "XErrorTrap.h"

#include <cstdlib>
#include <utility>

namespace quillaro {

Result<XConnection, XConnection::Problem> XConnection::open(const char* name) {
    if (!name) {
        const char* named = std::getenv("DISPLAY");
        if (!named || !*named)
            return failure(Problem::NoDisplayNamed);
    }
    Display* display = XOpenDisplay(name);
    if (!display)
        return failure(Problem::Unreachable);
    XErrorTrap::catchStrayErrors();
    return XConnection(Passkey<XConnection>{}, display);
}

XConnection::XConnection(XConnection&& other) noexcept
    : display_(std::exchange(other.display_, nullptr)) {}

XConnection& XConnection::operator=(XConnection&& other) noexcept {
    if (this != &other) {
        if (display_)
            XCloseDisplay(display_);
        display_ = std::exchange(other.display_, nullptr);
    }
    return *this;
}

XConnection::~XConnection() {
    if (display_)
        XCloseDisplay(display_);
}

} // namespace quillaro

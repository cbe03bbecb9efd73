#include "XConnection.h"

#include "XErrorTrap.h"

namespace quillaro {

std::unique_ptr<XConnection> XConnection::open(const char* name) {
    Display* display = XOpenDisplay(name);
    if (!display)
        return nullptr;
    XErrorTrap::catchStrayErrors();
    return std::make_unique<XConnection>(Opened{}, display);
}

XConnection::~XConnection() {
    XCloseDisplay(display_);
}

} // namespace quillaro

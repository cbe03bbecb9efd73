#include "XConnection.h"

#include <atomic>

namespace quillaro {
namespace {

std::atomic<unsigned long> errorsSeen{0};

int countError(Display*, XErrorEvent*) {
    ++errorsSeen;
    return 0;
}

} // namespace

std::unique_ptr<XConnection> XConnection::open(const char* name) {
    Display* display = XOpenDisplay(name);
    if (!display)
        return nullptr;
    XSetErrorHandler(countError);
    return std::make_unique<XConnection>(Opened{}, display);
}

XConnection::~XConnection() {
    XCloseDisplay(display_);
}

unsigned long XConnection::errorCount() {
    return errorsSeen.load();
}

} // namespace quillaro

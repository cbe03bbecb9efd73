#include "XCursorDisplay.h"

#include "XConnection.h"

#include <X11/extensions/Xfixes.h>

namespace quillaro {

XCursorDisplay::XCursorDisplay(const char* displayName)
    : displayName_(displayName ? displayName : "") {}

void XCursorDisplay::connect() {
    connectTried_ = true;
    auto opened = XConnection::open(displayName_.empty() ? nullptr : displayName_.c_str());
    if (!opened)
        return;
    connection_ = std::make_unique<XConnection>(std::move(*opened));
    int eventBase = 0, errorBase = 0, major = 4, minor = 0;
    // Hiding needs XFixes 4; the server only grants it after the version has been asked for.
    xfixes_ = XFixesQueryExtension(connection_->display(), &eventBase, &errorBase) &&
              XFixesQueryVersion(connection_->display(), &major, &minor) && major >= 4;
}

XCursorDisplay::~XCursorDisplay() {
    if (connection_ && hidden_) {
        XFixesShowCursor(connection_->display(), connection_->root());
        XSync(connection_->display(), False);
    }
}

int XCursorDisplay::showCursor(bool show) {
    if (!connectTried_)
        connect();
    counter_ += show ? 1 : -1;
    bool hide = counter_ < 0;
    if (xfixes_ && hide != hidden_) {
        Display* d = connection_->display();
        if (hide)
            XFixesHideCursor(d, connection_->root());
        else
            XFixesShowCursor(d, connection_->root());
        XSync(d, False);
        hidden_ = hide;
    }
    return counter_;
}

} // namespace quillaro

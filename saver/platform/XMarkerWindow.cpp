#include "XMarkerWindow.h"

#include "XConnection.h"

#include <X11/Xatom.h>
#include <string>

namespace quillaro {

XMarkerWindow::XMarkerWindow(std::string_view title) {
    auto opened = XConnection::open();
    if (!opened)
        return;
    connection_ = std::make_unique<XConnection>(std::move(*opened));
    Display* display = connection_->display();
    window_ = XCreateSimpleWindow(display, connection_->root(), 0, 0, 1, 1, 0, 0, 0);
    // Both title properties, as the toolkit sets them on its windows.
    const std::string text(title);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const int length = static_cast<int>(text.size());
    XChangeProperty(display, window_, XA_WM_NAME, XA_STRING, 8, PropModeReplace, bytes, length);
    XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace, bytes, length);
    // Another instance that looks after this returns finds the window.
    XSync(display, False);
}

XMarkerWindow::~XMarkerWindow() = default;

} // namespace quillaro

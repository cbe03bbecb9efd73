// A window that is never shown and only carries a title, so that other programs find it by that
// title while it lives: it stands for a form before the toolkit is up to make the form's own.
// It has an X connection of its own; closing that (at the latest when the program ends) takes
// the window away.
#pragma once

#include <memory>
#include <string_view>

namespace quillaro {

class XConnection;

class XMarkerWindow {
public:
    // Made on the display named by DISPLAY and known to the server when this returns; none
    // when the display does not answer.
    explicit XMarkerWindow(std::string_view title);
    ~XMarkerWindow();

    bool exists() const { return window_ != 0; }

private:
    std::unique_ptr<XConnection> connection_;
    unsigned long window_ = 0; // an X window id
};

} // namespace quillaro

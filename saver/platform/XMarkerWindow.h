// A window that is never shown and only carries a title, so that other programs find it by that
// title while it lives: it stands for a form before the toolkit is up to make the form's own.
// It is made only when no window of that title is there, the look and the making one step for
// the X server. It has an X connection of its own; closing that (at the latest when the program
// ends) takes the window away.
#pragma once

#include "XWindowLookup.h"

#include <string_view>

namespace quillaro {

class XMarkerWindow {
public:
    // Made on the display named by DISPLAY and known to the server when this returns; none
    // when a window of that title was there already, or the display does not answer.
    explicit XMarkerWindow(std::string_view title);

    // True when another window had that title (rather than the display not answering).
    bool titleTaken() const { return window_ == 0 && connection_.connected(); }

private:
    XWindowLookup connection_;
    WindowId window_ = 0;
};

} // namespace quillaro

// Finding a window of any program by its title: how the saver tells that another instance is
// configuring or running, and how the run follows the renderer.
#pragma once

#include <string_view>

namespace quillaro {

using WindowId = unsigned long; // an X window id; 0 is no window

class WindowLookup {
public:
    virtual ~WindowLookup() = default;
    // A window anywhere in the window tree, mapped or not, whose title is exactly title; 0 when
    // there is none.
    virtual WindowId findWindow(std::string_view title) = 0;
};

} // namespace quillaro

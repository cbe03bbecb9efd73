// A window of a pretend settings program for the saver's preview to live in: a plain X window of
// a connection of its own, mapped where the test puts it, with a border and a background colour
// that the preview has to cover.
#pragma once

#include <string>

typedef struct _XDisplay Display; // Xlib's, declared without its macros

namespace quillaro::test {

class HostWindow {
public:
    static constexpr unsigned long Background = 0x00c000; // green
    static constexpr int Border = 3;

    // inputOnly: a window that takes input but shows nothing, which can hold no picture.
    HostWindow(const std::string& display, int x, int y, int width, int height,
               bool inputOnly = false);
    ~HostWindow(); // the window goes with the connection
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    unsigned long id() const { return window_; }
    Display* display() const { return display_; }
    void resize(int width, int height);
    // Leaves a picture of one flat colour at the window's size on it, in a pixmap named by
    // _SCREENSAVER_SCREENSHOT, as xscreensaver leaves the desktop on its windows.
    void leaveScreenshot(unsigned long colour);
    void destroy();

private:
    Display* display_ = nullptr;
    unsigned long window_ = 0;
};

} // namespace quillaro::test

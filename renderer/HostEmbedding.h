// The renderer inside a screen-saver daemon's window: the saver names that window and the
// renderer's own hand-off file on the command line ("--window-id 0x... --picture FILE"), read
// before glutInit. freeglut cannot draw into a window it did not make, so its window is made off
// the screen at the host's size, moved into the host (XReparentWindow) and kept at the host's
// size; the host is watched on a connection of the renderer's own, and its destruction (the
// daemon unblanking) ends the renderer.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

typedef struct _XDisplay Display; // Xlib's, declared without its macros

namespace quillaro {

struct RendererOptions {
    unsigned long hostWindow = 0;  // 0: the ordinary full-screen run
    std::filesystem::path picture; // empty: the common hand-off file
};

// The options, taken out of argv (argc adjusted) so glutInit never sees them; nothing when an
// option lacks its value or the window id is not a number (decimal or 0x hex).
std::optional<RendererOptions> takeRendererOptions(int& argc, char** argv);

class HostFollower {
public:
    HostFollower() = default;
    ~HostFollower();
    HostFollower(const HostFollower&) = delete;
    HostFollower& operator=(const HostFollower&) = delete;

    // Connects and starts watching the host; false when there is no display or no such window.
    bool watch(unsigned long host);
    int width() const { return width_; }
    int height() const { return height_; }
    // A place off the screen where the window can be made without being seen.
    int offScreenX() const { return offScreenX_; }
    int offScreenY() const { return offScreenY_; }
    // Moves the window (of the renderer's GLUT connection) into the host at (0, 0).
    void adopt(Display* display, unsigned long window) const;
    // Reads what happened to the host since the last call: a new size, or its end.
    void poll(const std::function<void(int, int)>& resized, const std::function<void()>& gone);

private:
    Display* display_ = nullptr;
    unsigned long host_ = 0;
    int width_ = 0;
    int height_ = 0;
    int offScreenX_ = 0;
    int offScreenY_ = 0;
};

} // namespace quillaro

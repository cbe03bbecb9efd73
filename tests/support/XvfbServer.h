// A private virtual X server for one test: Xvfb picks a free display number itself and tells
// it through a pipe, so tests running side by side never fight over a display.
#pragma once

#include "ChildProcess.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace quillaro::test {

// A window's title the way the saver reads it: _NET_WM_NAME when it is UTF-8, else WM_NAME;
// empty when it has neither.
std::string windowTitle(Display* display, unsigned long window);

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first, 3 bytes per pixel

    const std::uint8_t* at(int x, int y) const {
        return rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    }
};

class XvfbServer {
public:
    // depth 24 is true colour 8-8-8, 16 is 5-6-5, 8 is a 256-entry PseudoColor palette.
    // extraArgs go to Xvfb as they are (for example "-extension", "MIT-SHM").
    explicit XvfbServer(int width = 1024, int height = 768, int depth = 24,
                        std::vector<std::string> extraArgs = {});
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& display() const { return display_; } // ":N"
    // Ends the server at once, as a crash of the X server would; its clients lose it.
    void kill();
    // Options for a program that should run on this server.
    ProcessOptions options(std::vector<std::string> args = {}) const;

    // Ids of every window, mapped or not, whose WM_NAME or _NET_WM_NAME is exactly title.
    std::vector<unsigned long> findWindows(const std::string& title) const;
    // Waits until such a window exists (true) or the time is up (false).
    bool waitForWindow(const std::string& title, std::chrono::milliseconds timeout) const;
    bool waitForNoWindow(const std::string& title, std::chrono::milliseconds timeout) const;
    // Waits until the window is viewable (it and its parents are mapped), which it must be
    // before it can take the keyboard focus.
    bool waitForViewable(unsigned long window, std::chrono::milliseconds timeout) const;

    // Adds a RandR monitor over that area of the screen (as `xrandr --setmonitor` does), the
    // primary one if asked, which then stands for the screen's output.
    void addMonitor(const std::string& name, bool primary, int x, int y, int width,
                    int height) const;
    // Where a window lies on the screen: x, y, width, height, from the root's corner.
    std::array<int, 4> windowArea(unsigned long window) const;

    // Asks a window to close as a window manager does when the user closes it: WM_DELETE_WINDOW
    // through WM_PROTOCOLS.
    void requestClose(unsigned long window) const;
    // Runs xdotool with the arguments on this display; returns its stdout.
    std::string xdotool(const std::vector<std::string>& args) const;

    // Splits the screen into two monitors side by side, L (primary) and R: what a two-monitor
    // desktop looks like to programs.
    void splitIntoTwoMonitors() const;

    // The whole root window as the server holds it. Off the 8-8-8 true-colour layout every
    // pixel value's colour comes from the server itself (XQueryColors).
    RgbImage grabRoot() const;
    // Makes the picture (of the screen's size, on a 24-bit server) the desktop background, the
    // way a desktop program sets its wallpaper: it stays after this call's connection closes.
    void setRootPicture(const RgbImage& picture) const;
    // Writes the image as a PNG (through ImageMagick) for a person to look at.
    static void savePng(const RgbImage& image, const std::filesystem::path& path);

private:
    std::unique_ptr<ChildProcess> server_;
    std::string display_;
};

} // namespace quillaro::test

// The renderer program on a real X server with Mesa: its window, its input handling, its
// cursor and how it ends.
#include "RendererRun.h"

#include <gtest/gtest.h>
#include <memory>
#include <thread>
// Xlib after GoogleTest: its None macro would clash with a GoogleTest name.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

using namespace quillaro::test;
using namespace std::chrono_literals;

namespace {

// True when the cursor the server shows at the moment has no visible pixel.
bool cursorIsBlank(const XvfbServer& server) {
    Display* display = XOpenDisplay(server.display().c_str());
    if (!display)
        throw std::runtime_error("cannot open the test display");
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    bool blank = true;
    if (image) {
        for (int i = 0; i < image->width * image->height; ++i)
            if ((image->pixels[i] >> 24) != 0)
                blank = false;
        XFree(image);
    }
    XCloseDisplay(display);
    return image && blank;
}

bool waitForCursor(const XvfbServer& server, bool blank, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (cursorIsBlank(server) != blank) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// Width and height of a window as the server has it.
std::pair<int, int> windowSize(const XvfbServer& server, unsigned long window) {
    Display* display = XOpenDisplay(server.display().c_str());
    if (!display)
        throw std::runtime_error("cannot open the test display");
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    XCloseDisplay(display);
    return {attributes.width, attributes.height};
}

// Another program's client on the test's display: a small window of its own that can take the
// focus and the keyboard, as a menu or a launcher would.
class OtherProgram {
public:
    explicit OtherProgram(const XvfbServer& server)
        : display_(XOpenDisplay(server.display().c_str())) {
        if (!display_)
            throw std::runtime_error("cannot open the test display");
        window_ =
            XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 100, 100, 0, 0, 0);
        XMapRaised(display_, window_);
        XSync(display_, False);
    }
    ~OtherProgram() { XCloseDisplay(display_); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    int grabKeyboard() {
        int result =
            XGrabKeyboard(display_, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        XSync(display_, False);
        return result;
    }
    void releaseKeyboard() {
        XUngrabKeyboard(display_, CurrentTime);
        XSync(display_, False);
    }
    void takeFocus() {
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        XSync(display_, False);
    }
    // True once someone else holds the keyboard: a grab of ours is refused.
    bool waitUntilKeyboardIsTaken(std::chrono::milliseconds timeout) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (grabKeyboard() == AlreadyGrabbed)
                return true;
            releaseKeyboard();
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

private:
    Display* display_;
    Window window_ = 0;
};

} // namespace

TEST(RendererProgram, OnlyEscapeEndsIt) {
    XvfbServer server;
    TempDir cache;
    RendererRun run(server, cache);
    ASSERT_TRUE(run.waitUntilAnimating(StartTimeout));
    EXPECT_EQ(server.findWindows(RendererTitle).size(), 1u);
    EXPECT_TRUE(server.findWindows("Lumivane_VC ").empty()) << "the title is matched exactly";
    // Full screen to the last pixel: no strip of desktop at the top or left.
    const ScreenPoint origin = windowOrigin(server, run.window());
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_EQ(windowSize(server, run.window()), std::make_pair(1024, 768));

    for (const char* key : {"q", "Q", "a", "space", "Return", "BackSpace", "ctrl+c", "alt+F4", "F1",
                            "Left", "Up", "Tab", "Delete"})
        run.focusAndPress(key);
    const std::string centre[] = {"mousemove", "512", "384"};
    server.xdotool({centre[0], centre[1], centre[2]});
    for (const char* button : {"1", "2", "3", "4", "5"})
        server.xdotool({"click", button});
    server.xdotool({"mousemove", "100", "700"});

    ASSERT_TRUE(run.waitForFreshFrames(30s)) << "the renderer stopped drawing";
    EXPECT_TRUE(run.process().running());
    EXPECT_EQ(server.findWindows(RendererTitle).size(), 1u);

    run.focusAndPress("Escape");
    auto status = run.process().waitFor(EndTimeout);
    ASSERT_TRUE(status) << "Escape did not end the renderer";
    EXPECT_TRUE(status->exited);
    EXPECT_EQ(status->code, 0);
    EXPECT_TRUE(server.waitForNoWindow(RendererTitle, 10s));
    EXPECT_EQ(run.standardOutput(), "") << "the renderer writes nothing";
    // Debug builds report GL errors here, so this also catches a wrong GL call.
    EXPECT_EQ(run.standardError(), "");
}

// The window starts at 1024 x 768: only on a screen of another size does full screen show.
TEST(RendererProgram, FillsAScreenLargerThanItsStartingSize) {
    XvfbServer server(1600, 900);
    TempDir cache;
    RendererRun run(server, cache);
    ASSERT_TRUE(run.waitUntilAnimating(StartTimeout));
    const ScreenPoint origin = windowOrigin(server, run.window());
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_EQ(windowSize(server, run.window()), std::make_pair(1600, 900));
    run.focusAndPress("Escape");
    ASSERT_TRUE(run.process().waitFor(EndTimeout));
}

TEST(RendererProgram, HidesTheCursorOverItsWindowWhileRunning) {
    XvfbServer server;
    TempDir cache;
    server.xdotool({"mousemove", "512", "384"});
    ASSERT_TRUE(waitForCursor(server, false, 10s)) << "the bare server shows a cursor";

    RendererRun run(server, cache);
    ASSERT_TRUE(run.waitUntilAnimating(StartTimeout));
    server.xdotool({"mousemove", "500", "400"});
    EXPECT_TRUE(waitForCursor(server, true, 20s));

    // Once the process has gone, so has its window and with it the hidden cursor: what the
    // server shows afterwards says nothing about the renderer, so it is not checked.
    run.focusAndPress("Escape");
    ASSERT_TRUE(run.process().waitFor(EndTimeout));
}

TEST(RendererProgram, WindowClosedFromOutsideEndsTheProcess) {
    XvfbServer server;
    TempDir cache;
    RendererRun run(server, cache);
    ASSERT_TRUE(run.waitUntilAnimating(StartTimeout));

    server.requestClose(run.window());
    auto status = run.process().waitFor(EndTimeout);
    ASSERT_TRUE(status) << "the renderer outlived its window";
    EXPECT_TRUE(status->exited) << "ended by signal " << status->signal;
    EXPECT_EQ(status->code, 0);
    EXPECT_TRUE(server.waitForNoWindow(RendererTitle, 10s));
}

// A window manager that was killed leaves the root naming its check window, which is gone.
TEST(RendererProgram, RunsWhenTheRootNamesAWindowManagerThatHasGone) {
    XvfbServer server;
    TempDir cache;
    // Kept open: the server resets the root's properties when its last client leaves.
    std::unique_ptr<Display, int (*)(Display*)> x(XOpenDisplay(server.display().c_str()),
                                                  XCloseDisplay);
    ASSERT_NE(x, nullptr);
    const Window root = DefaultRootWindow(x.get());
    const Window gone = XCreateSimpleWindow(x.get(), root, 0, 0, 1, 1, 0, 0, 0);
    XChangeProperty(x.get(), root, XInternAtom(x.get(), "_NET_SUPPORTING_WM_CHECK", False),
                    XA_WINDOW, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&gone),
                    1);
    XDestroyWindow(x.get(), gone);
    XSync(x.get(), False);

    RendererRun run(server, cache);
    ASSERT_TRUE(run.waitUntilAnimating(StartTimeout)) << run.standardError();
    run.focusAndPress("Escape");
    EXPECT_TRUE(run.process().waitFor(EndTimeout));
}

TEST(RendererProgram, TakesTheKeyboardSoEscapeArrivesWhicheverWindowHasTheFocus) {
    XvfbServer server;
    TempDir cache;
    OtherProgram other(server);
    ASSERT_EQ(other.grabKeyboard(), GrabSuccess); // held by someone else as the renderer starts
    RendererRun run(server, cache);
    ASSERT_TRUE(run.waitUntilAnimating(StartTimeout));
    other.releaseKeyboard(); // within the renderer's retries
    other.takeFocus();

    ASSERT_TRUE(other.waitUntilKeyboardIsTaken(10s)) << "the renderer never took the keyboard";
    // Sent to whatever has the focus, as a user's key press is: the grab brings it home.
    server.xdotool({"key", "Escape"});
    auto status = run.process().waitFor(EndTimeout);
    ASSERT_TRUE(status) << "Escape did not reach the renderer";
    EXPECT_TRUE(status->exited);
    EXPECT_EQ(status->code, 0);
    EXPECT_EQ(other.grabKeyboard(), GrabSuccess) << "the keyboard was not given back";
}

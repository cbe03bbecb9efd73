#include "KeyboardGrab.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace quillaro {

void KeyboardGrab::tryGrab(Clock::time_point now) {
    if (held_ || givenUp_)
        return;
    if (firstTry_ == Clock::time_point{})
        firstTry_ = now;
    // freeglut draws into its X window through GLX, so the current drawable is that window.
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    if (display && window &&
        XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
            GrabSuccess) {
        held_ = true;
        return;
    }
    // Not shown yet, or another program holds the keyboard: the next frame tries again.
    if (now - firstTry_ >= RetryLimit)
        givenUp_ = true;
}

void KeyboardGrab::release() {
    if (!held_)
        return;
    held_ = false;
    if (Display* display = glXGetCurrentDisplay()) {
        XUngrabKeyboard(display, CurrentTime);
        XFlush(display);
    }
}

} // namespace quillaro

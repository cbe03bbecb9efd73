#include "ForeignXErrors.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <atomic>
#include <cstdlib>

namespace quillaro {
namespace {

std::atomic<unsigned long> ownWindow{0};
XErrorHandler xlibDefault = nullptr;

int onXError(Display* display, XErrorEvent* error) {
    const unsigned long own = ownWindow.load();
    if (own == 0 || error->resourceid != own || !xlibDefault)
        return 0;
    return xlibDefault(display, error); // prints the error and ends the program
}

// The X server has gone (killed, or the session ended): there is nothing left to tidy, so the
// renderer ends at once. Xlib's own handler calls exit, whose teardown of Mesa's GLX state can
// wait for ever on a lock that the interrupted frame still holds, leaving a renderer that never
// ends and no screen to show it on.
int onConnectionLost(Display*) {
    std::_Exit(1);
}

// The one window a window property names; 0 when it names none.
Window namedWindow(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    Window named = 0;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        named = *reinterpret_cast<const unsigned long*>(data);
    if (data)
        XFree(data);
    return named;
}

} // namespace

void ignoreForeignXErrors() {
    xlibDefault = XSetErrorHandler(onXError);
    XSetIOErrorHandler(onConnectionLost);
}

void forgetDeadWindowManager(Display* display) {
    if (!display)
        return; // glutInit tells the user
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check != None) {
        const Window root = DefaultRootWindow(display);
        // Held so that a window manager starting at this moment cannot have its fresh check
        // removed between the look and the removal.
        XGrabServer(display);
        XWindowAttributes attributes;
        const Window named = namedWindow(display, root, check);
        if (named != 0 && XGetWindowAttributes(display, named, &attributes) == 0)
            XDeleteProperty(display, root, check);
        XUngrabServer(display);
        XSync(display, False);
    }
}

void setOwnXWindow(unsigned long window) {
    ownWindow.store(window);
}

} // namespace quillaro

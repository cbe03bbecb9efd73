// X errors that are not about the renderer's own window are not the renderer's to die of. A
// window manager that crashed or is being replaced leaves the root's _NET_SUPPORTING_WM_CHECK
// naming a window that no longer exists; Xlib's default handler ends the program on the error
// that reading it gives, and freeglut, which reads it at start, ends the program on the failed
// read itself. So the stale name is cleared before freeglut starts, and the handler lets other
// clients' errors pass, keeping Xlib's default only for the renderer's window.
#pragma once

typedef struct _XDisplay Display; // Xlib's, declared without its macros

namespace quillaro {

// Installs the handlers for every X connection of the process (Xlib has one per process): the
// error handler above, and one that ends the program at once when the X server goes. Call
// before the first connection is opened.
void ignoreForeignXErrors();
// Removes the root's window-manager check when the window it names has gone; nothing else.
// Call after ignoreForeignXErrors and before glutInit; nothing happens without a display.
void forgetDeadWindowManager(Display* display);
// Names the renderer's window once it exists: errors about it end the program as before.
void setOwnXWindow(unsigned long window);

} // namespace quillaro

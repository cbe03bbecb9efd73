// Xlib's display and window handles, declared without including Xlib: its macros (None, Bool,
// Status, ...) clash with Qt's and GoogleTest's names, so headers that Qt code includes must not
// bring them in. The types are Xlib's own, so the declarations agree wherever Xlib is included.
#pragma once

typedef struct _XDisplay Display;

namespace quillaro {

using XWindowId = unsigned long; // Xlib's Window on the client side

} // namespace quillaro

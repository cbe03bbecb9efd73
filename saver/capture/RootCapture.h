// Copies an area of the root window, as the screen shows it, into a 24-bit picture. Two ways: a
// shared-memory image (MIT-SHM), where the server writes the pixels straight into our memory, and
// the plain image request, where they come through the connection. Each is tried as asked, with
// no fallback, so a caller chooses what to do when one fails and tests can check both.
#pragma once

#include "graphics/Image24.h"
#include "graphics/Picture.h"
#include "platform/XHandles.h"

#include <optional>

namespace quillaro {

enum class CaptureMethod {
    SharedMemory, // MIT-SHM image
    PlainImage,   // XGetImage
};

struct RootPixels {
    Image24 image;
    // The colour table on a PseudoColor screen whose colormap has 256 entries, the X form of a
    // palette display; none on true-colour screens and on palette screens of other sizes.
    std::optional<Palette> palette;
};

// The rectangle, which must lie inside the root window, or nothing when the method is not
// available or the server refuses it. A shared-memory segment never outlives the call: it is
// marked for removal as soon as the server has attached it, so even a crash leaves none behind.
std::optional<RootPixels> captureRootArea(Display* display, int x, int y, int width, int height,
                                          CaptureMethod method);

// The same from another drawable of the root's depth and colours (a pixmap made for the screen),
// its pixels read as the root's would be.
std::optional<RootPixels> captureArea(Display* display, unsigned long drawable, int x, int y,
                                      int width, int height, CaptureMethod method);

} // namespace quillaro

// Screen capture: turns what the screen shows into a picture object the run form can hold and
// save. GrabDesktop takes the whole primary screen; GrabWindowArea takes a rectangle of any
// window as the screen shows it, carrying the colour table along on 256-colour palette screens;
// PictureFromBitmap wraps captured pixels and palette into a picture that owns them.
//
// On X the screen is the root window. The pixels are read through a small shared-memory segment
// (MIT-SHM), a band of rows at a time, and, when the server does not offer or refuses that, by
// a plain image request. A
// palette display is a PseudoColor visual whose colormap has 256 entries: its colormap is read
// as the palette, kept with the picture, and used to turn the captured indices into colours.
#pragma once

#include "RootCapture.h"
#include "graphics/Picture.h"
#include "platform/Twips.h"
#include "platform/XHandles.h"

#include <optional>

namespace quillaro {

struct TwipSize {
    long long width = 0;
    long long height = 0;
};

// Pixels from twips the way the screen size has always been taken: both values as integers, the
// quotient truncated (15374 twips at 15 per pixel are 1024 pixels). Zero when twipsPerPixel is not
// positive.
int PixelsFromTwips(long long twips, int twipsPerPixel);

// The primary monitor's size in twips, as the toolkit reports the screen.
TwipSize PrimaryScreenTwips(Display* display);

// The whole primary screen at its size in pixels, from its top-left corner, not mirrored. The
// first form opens its own connection to the display named by DISPLAY. An empty picture when
// there is no display or the capture fails. CaptureMethod::PlainImage skips shared memory.
Picture GrabDesktop();
Picture GrabDesktop(Display* display, CaptureMethod method = CaptureMethod::SharedMemory);

// width x height pixels from (left, top) of the window: of its frame (the top-level window the
// window manager put around it) when clientOnly is false, of the window itself when true. The
// pixels are what the screen shows there, other windows on top included; parts off the screen
// are black. Shared memory is tried first unless method says PlainImage. An empty picture when
// the window does not exist, a size is not positive, or no capture works.
Picture GrabWindowArea(Display* display, XWindowId window, bool clientOnly, int left, int top,
                       int width, int height, CaptureMethod method = CaptureMethod::SharedMemory);

// A picture that owns the pixels and, when given, the palette.
Picture PictureFromBitmap(Image24 bitmap, std::optional<Palette> palette);

} // namespace quillaro

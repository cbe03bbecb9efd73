// Turns a picture decoded by Qt into our own 24-bit picture: the one place where Qt's padded,
// format-tagged rows become the packed red-green-blue rows every raster function works on, and
// where our pictures are handed to Qt for drawing.
#pragma once

#include "Image24.h"

class QImage;

namespace quillaro {

// The picture's pixels as 24-bit colours, any alpha dropped; the empty picture when the image is
// null, larger than Image24 takes, or cannot be converted. Taken by value and released once
// converted, so a large picture given with std::move is never held three times over.
Image24 toImage24(QImage image);

// A Qt image over the picture's own pixels, for drawing it with Qt: nothing is copied, so the
// picture must outlive the view and stay unchanged meanwhile.
QImage imageView(const Image24& picture);

} // namespace quillaro

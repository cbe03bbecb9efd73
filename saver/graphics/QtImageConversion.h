// Turns a picture decoded by Qt into our own 24-bit picture: the one place where Qt's padded,
// format-tagged rows become the packed red-green-blue rows every raster function works on.
#pragma once

#include "Image24.h"

class QImage;

namespace quillaro {

// The picture's pixels as 24-bit colours, any alpha dropped; the empty picture when the image is
// null, larger than Image24 takes, or cannot be converted. Taken by value and released once
// converted, so a large picture given with std::move is never held three times over.
Image24 toImage24(QImage image);

} // namespace quillaro

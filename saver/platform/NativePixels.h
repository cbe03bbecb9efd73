// Qt's screen coordinates are device-independent: at a scale factor of 2 (QT_SCALE_FACTOR, or
// an Xft.dpi of 192) one of them covers two of the X server's pixels. Qt keeps each screen's
// top-left corner where the server has it and scales the rest from there. What is drawn or
// measured on the server itself (the zoom's outlines on the root window, a host window's
// inside) is in the server's pixels, and these convert between the two.
#pragma once

#include <QPoint>
#include <QRect>

class QScreen;

namespace quillaro {

// A point of Qt's in the server's pixels, on the screen that holds it (the primary one when
// none does).
QPoint nativePoint(QPoint logical);

// A rectangle of Qt's on the given screen (null: the primary one) in the server's pixels.
QRect nativeRect(const QRect& logical, const QScreen* screen);

// A length in the server's pixels as a widget's size in Qt's: the fewest that cover it.
int logicalLength(int nativeLength, double ratio);

} // namespace quillaro

// The window manager's zoom: an outline that flies from one screen rectangle to another, as a
// window opens out of the pointer's position or closes back into it. It plays synchronously:
// nothing else runs meanwhile, so no input of the program is handled while it plays.
#pragma once

#include <QRect>

namespace quillaro {

class ZoomEffect {
public:
    virtual ~ZoomEffect() = default;
    // Plays the zoom from one rectangle to the other (screen pixels; an empty rectangle is a
    // point) and returns once it has been played. A zoom that cannot be shown is skipped.
    virtual void zoom(const QRect& from, const QRect& to) = 0;
};

} // namespace quillaro

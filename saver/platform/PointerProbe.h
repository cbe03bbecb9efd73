// Where the mouse pointer is and which widget lies under it: what the push button polls to learn
// that the pointer has left it. The real probe asks Qt; unit tests move a fake pointer instead of
// the real one.
#pragma once

#include <QPoint>

class QWidget;

namespace quillaro {

class PointerProbe {
public:
    virtual ~PointerProbe() = default;
    // The pointer's position on the screen, in pixels.
    virtual QPoint position() = 0;
    // The innermost widget of this program at that screen position; null when the window on top
    // there is not one of the program's (another program's window, or none).
    virtual QWidget* widgetAt(QPoint screenPosition) = 0;
};

} // namespace quillaro

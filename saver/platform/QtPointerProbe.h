// The pointer probe over Qt: the pointer's position from QCursor, the widget under it from
// QApplication. On X, Qt finds the window under a point by walking the X server's window tree
// down from the root, so another program's window over ours hides our widget there (null).
// Stateless, so one instance serves every button of the program.
#pragma once

#include "PointerProbe.h"

namespace quillaro {

class QtPointerProbe : public PointerProbe {
public:
    QPoint position() override;
    QWidget* widgetAt(QPoint screenPosition) override;

    // The one probe the program's buttons share.
    static QtPointerProbe& instance();
};

} // namespace quillaro

#include "QtPointerProbe.h"

#include <QApplication>
#include <QCursor>

namespace quillaro {

QPoint QtPointerProbe::position() {
    return QCursor::pos();
}

QWidget* QtPointerProbe::widgetAt(QPoint screenPosition) {
    return QApplication::widgetAt(screenPosition);
}

QtPointerProbe& QtPointerProbe::instance() {
    static QtPointerProbe probe;
    return probe;
}

} // namespace quillaro

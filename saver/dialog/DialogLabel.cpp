#include "DialogLabel.h"

#include <QMouseEvent>

namespace quillaro {

DialogLabel::DialogLabel(QWidget* parent, const QString& name) : QLabel(parent) {
    setObjectName(name);
    setAutoFillBackground(false); // transparent: the panel shows through
}

void DialogLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    emit MouseDown(event->button());
}

void DialogLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = leftPressed_ && rect().contains(event->position().toPoint());
    leftPressed_ = false;
    if (click) // last: the handler may close the dialog
        emit Click();
}

} // namespace quillaro

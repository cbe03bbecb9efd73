#include "PictureBox.h"

#include "graphics/QtImageConversion.h"

#include <QImage>
#include <QPainter>

namespace quillaro {

PictureBox::PictureBox(QWidget* parent, const QString& name, QColor background)
    : QWidget(parent), background_(background) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(Image24 picture) {
    picture_ = std::move(picture);
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    if (!picture_.empty())
        painter.drawImage(0, 0, imageView(picture_));
}

} // namespace quillaro

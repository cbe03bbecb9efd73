// A picture box of the settings dialog: an area that keeps the picture drawn into it (a 24-bit
// picture, one pixel per pixel of the box) and shows it from its top-left corner over its
// background colour, however often it is covered and uncovered. The two group panels keep their
// texture this way, the preview box its thumbnail.
#pragma once

#include "graphics/Image24.h"

#include <QColor>
#include <QWidget>

namespace quillaro {

class PictureBox : public QWidget {
public:
    PictureBox(QWidget* parent, const QString& name, QColor background);

    const Image24& picture() const { return picture_; }
    // Draws into the kept picture; call update() afterwards to show it.
    Image24& picture() { return picture_; }
    void setPicture(Image24 picture);
    QColor background() const { return background_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor background_;
    Image24 picture_;
};

} // namespace quillaro

#include "PathLabel.h"

#include <QPainter>
#include <QTextLayout>

namespace quillaro {
namespace {

constexpr int BorderWidth = 1;
constexpr int TextIndent = 2;     // between the border and the text, across
constexpr double EmAscent = 0.88; // of the em above the baseline in a Japanese Gothic face

} // namespace

PathLabel::PathLabel(QWidget* parent, const QString& name, QColor border)
    : DialogLabel(parent, name), border_(border) {
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(border_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect inside = rect().adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth);
    QTextLayout layout(text(), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    // Lines as close as the font's size, each with its em box in its own row.
    const int pitch = font().pixelSize() > 0 ? font().pixelSize() : fontMetrics().height();
    const qreal baseline = pitch * EmAscent;
    layout.beginLayout();
    for (int row = 0;; ++row) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(inside.width() - 2 * TextIndent);
        line.setPosition(QPointF(inside.left() + TextIndent,
                                 inside.top() + row * pitch + baseline - line.ascent()));
    }
    layout.endLayout();
    painter.setClipRect(inside);
    painter.setPen(palette().color(QPalette::WindowText));
    layout.draw(&painter, QPointF(0, 0));
}

} // namespace quillaro

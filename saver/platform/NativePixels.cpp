#include "NativePixels.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace quillaro {
namespace {

int scaled(int length, double ratio) {
    return static_cast<int>(std::lround(length * ratio));
}

const QScreen* orPrimary(const QScreen* screen) {
    return screen ? screen : QGuiApplication::primaryScreen();
}

// Qt keeps the screen's top-left corner where the server has it and scales from there.
QPoint nativePoint(QPoint logical, QPoint screenOrigin, double ratio) {
    const QPoint offset = logical - screenOrigin;
    return screenOrigin + QPoint(scaled(offset.x(), ratio), scaled(offset.y(), ratio));
}

} // namespace

QPoint nativePoint(QPoint logical) {
    const QScreen* screen = orPrimary(QGuiApplication::screenAt(logical));
    if (!screen)
        return logical;
    return nativePoint(logical, screen->geometry().topLeft(), screen->devicePixelRatio());
}

QRect nativeRect(const QRect& logical, const QScreen* screen) {
    screen = orPrimary(screen);
    if (!screen)
        return logical;
    const double ratio = screen->devicePixelRatio();
    return QRect(nativePoint(logical.topLeft(), screen->geometry().topLeft(), ratio),
                 QSize(scaled(logical.width(), ratio), scaled(logical.height(), ratio)));
}

int logicalLength(int nativeLength, double ratio) {
    if (ratio <= 0)
        return nativeLength;
    return static_cast<int>(std::ceil(nativeLength / ratio - 1e-9));
}

} // namespace quillaro

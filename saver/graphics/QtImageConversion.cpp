#include "QtImageConversion.h"

#include <QImage>
#include <algorithm>

namespace quillaro {

Image24 toImage24(QImage image) {
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    image = QImage(); // release the decode before the copy is made
    if (rgb.isNull())
        return {};
    Image24 out(rgb.width(), rgb.height());
    if (out.empty())
        return {};
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* in = rgb.constScanLine(y); // Qt rows are padded; ours are not
        std::copy(in, in + out.rowBytes(), out.row(y));
    }
    return out;
}

QImage imageView(const Image24& picture) {
    if (picture.empty())
        return {};
    return QImage(picture.bytes().data(), picture.width(), picture.height(),
                  static_cast<qsizetype>(picture.rowBytes()), QImage::Format_RGB888);
}

} // namespace quillaro

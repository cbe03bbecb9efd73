#include "EmbeddedPicture.h"

#include "QtImageConversion.h"

#include <QImage>
#include <QString>

namespace quillaro {

std::optional<Image24> loadEmbeddedPicture(std::string_view resourcePath) {
    Image24 image = toImage24(QImage(
        QString::fromUtf8(resourcePath.data(), static_cast<qsizetype>(resourcePath.size()))));
    if (image.empty())
        return std::nullopt;
    return image;
}

} // namespace quillaro

#include "PictureFile.h"

#include "QtImageConversion.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <utility>

namespace quillaro {
namespace {

// Qt's reader refuses to allocate more than this for one decoded image; a 32-bit decode of the
// largest picture allowed above fits with room to spare.
constexpr int ReaderAllocationLimitMb = 160;

bool isAcceptedFormat(const QByteArray& format) {
    return format == "bmp" || format == "jpeg";
}

} // namespace

std::optional<Image24> loadPictureFile(const std::filesystem::path& path) {
    if (path.empty())
        return std::nullopt;
    QImageReader::setAllocationLimit(ReaderAllocationLimitMb);
    QImageReader reader(QFile::decodeName(path.c_str()));
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead() || !isAcceptedFormat(reader.format()))
        return std::nullopt;

    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxPictureFileSide ||
        size.height() > MaxPictureFileSide ||
        static_cast<long long>(size.width()) * size.height() > MaxPicturePixels)
        return std::nullopt;

    QImage decoded;
    if (!reader.read(&decoded) || decoded.isNull())
        return std::nullopt;
    // The decoded size is checked again: a reader may deliver other than its header announced.
    if (decoded.width() > MaxPictureFileSide || decoded.height() > MaxPictureFileSide ||
        static_cast<long long>(decoded.width()) * decoded.height() > MaxPicturePixels)
        return std::nullopt;
    Image24 image = toImage24(std::move(decoded));
    if (image.empty())
        return std::nullopt;
    return image;
}

} // namespace quillaro

#include "PictureFile.h"

#include "QtImageConversion.h"
#include "common/RegularFile.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace quillaro {
namespace {

// Qt's reader refuses to allocate more than this for one decoded image: enough for a 64-megapixel
// photograph decoded at 32 bits before it is scaled down, far short of what a file announcing
// an absurd size would ask for.
constexpr int ReaderAllocationLimitMb = 256;

// The file opened by its bytes, for Qt's readers: a name Qt would decode into other text (one
// that is not UTF-8) opens all the same. Null when it cannot be opened or is no regular file.
std::unique_ptr<QFile> openByBytes(const std::filesystem::path& path) {
    auto opened = RegularFile::open(path);
    if (!opened)
        return nullptr;
    FileDescriptor fd = std::move(opened.value()).release();
    auto file = std::make_unique<QFile>();
    if (!file->open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return nullptr;
    fd.release(); // the QFile closes it now
    return file;
}

bool withinLimits(int width, int height) {
    return width <= MaxPictureFileSide && height <= MaxPictureFileSide &&
           static_cast<long long>(width) * height <= MaxPicturePixels;
}

} // namespace

PictureSize fittedPictureSize(int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    if (withinLimits(width, height))
        return {width, height};
    const double scale = std::min(
        {static_cast<double>(MaxPictureFileSide) / width,
         static_cast<double>(MaxPictureFileSide) / height,
         std::sqrt(static_cast<double>(MaxPicturePixels) / (static_cast<double>(width) * height))});
    PictureSize fitted{std::max(1, static_cast<int>(width * scale)),
                       std::max(1, static_cast<int>(height * scale))};
    // Rounding can leave the product a hair over the pixel limit; one row less settles it.
    while (!withinLimits(fitted.width, fitted.height) && fitted.height > 1)
        --fitted.height;
    return fitted;
}

Result<Image24, std::string> loadPictureFile(const std::filesystem::path& path) {
    std::error_code error;
    if (path.empty())
        return failure(std::string("no picture is named"));
    if (!std::filesystem::exists(path, error))
        return failure(std::string("it does not exist"));
    if (!std::filesystem::is_regular_file(path, error))
        return failure(std::string("it is not a file"));
    QImageReader::setAllocationLimit(ReaderAllocationLimitMb);
    const std::unique_ptr<QFile> file = openByBytes(path);
    if (!file)
        return failure(std::string("it cannot be read"));
    QImageReader reader(file.get());
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return failure("Qt reads no picture in it (formats: " +
                       QImageReader::supportedImageFormats().join(' ').toStdString() + ")");

    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return failure(std::string("it tells no size"));
    const PictureSize fitted = fittedPictureSize(stored.width(), stored.height());
    const bool scaled = fitted != PictureSize{stored.width(), stored.height()};
    // A JPEG decodes straight at a fraction of its size; other readers decode whole first.
    if (scaled && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(QSize(fitted.width, fitted.height));

    // The one decode: the reader's own complaint (the allocation limit among them) is the reason.
    QImage decoded;
    if (!reader.read(&decoded) || decoded.isNull())
        return failure("it does not decode: " + reader.errorString().toStdString());
    // The orientation tag may have turned the picture; the limits are the same both ways round.
    const PictureSize upright = fittedPictureSize(decoded.width(), decoded.height());
    if (upright != PictureSize{decoded.width(), decoded.height()})
        decoded = decoded.scaled(upright.width, upright.height, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    if (decoded.hasAlphaChannel()) {
        // Composed over black: transparent parts take no colour of their own.
        QImage opaque(decoded.size(), QImage::Format_RGB888);
        if (opaque.isNull())
            return failure(std::string("there is no memory to compose it"));
        opaque.fill(Qt::black);
        QPainter(&opaque).drawImage(0, 0, decoded);
        decoded = std::move(opaque);
    }
    if (!withinLimits(decoded.width(), decoded.height()))
        return failure(std::string("it is too large to keep"));
    Image24 image = toImage24(std::move(decoded));
    if (image.empty())
        return failure(std::string("there is no memory to convert it"));
    return image;
}

} // namespace quillaro

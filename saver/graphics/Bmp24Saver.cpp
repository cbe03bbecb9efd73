#include "Bmp24Saver.h"

#include "common/Bmp24.h"
#include "common/Bmp24Writer.h"

#include <limits>

namespace quillaro {

Result<void, SystemError> saveBmp24(const Image24& image, const std::filesystem::path& path) {
    if (image.empty())
        return systemFailure("there is no picture to save as", path, EINVAL);
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    if (bmp24::PixelOffset + bmp24::stride(width) * height >
        std::numeric_limits<std::uint32_t>::max())
        return systemFailure("the picture is too large for a bitmap file at", path, EFBIG);
    return bmp24::writePicture(path, width, height, image.bytes());
}

} // namespace quillaro

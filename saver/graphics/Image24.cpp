#include "Image24.h"

#include <algorithm>

namespace quillaro {

bool Image24::resize(int width, int height) {
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        return false;
    width_ = width;
    height_ = height;
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                   BytesPerPixel);
    return true;
}

Image24 Image24::forOverwrite(int width, int height) {
    Image24 image;
    image.resize(width, height);
    return image;
}

Image24::Image24(int width, int height, Rgb fill) {
    if (!resize(width, height))
        return;
    if (fill == Rgb{}) {
        std::fill(pixels_.begin(), pixels_.end(), std::uint8_t{0});
        return;
    }
    for (std::size_t i = 0; i < pixels_.size(); i += BytesPerPixel) {
        pixels_[i] = fill.red;
        pixels_[i + 1] = fill.green;
        pixels_[i + 2] = fill.blue;
    }
}

} // namespace quillaro

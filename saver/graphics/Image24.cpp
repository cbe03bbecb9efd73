#include "Image24.h"

namespace quillaro {

Image24::Image24(int width, int height, Rgb fill) {
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        return;
    width_ = width;
    height_ = height;
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                   BytesPerPixel);
    for (std::size_t i = 0; i < pixels_.size(); i += BytesPerPixel) {
        pixels_[i] = fill.red;
        pixels_[i + 1] = fill.green;
        pixels_[i + 2] = fill.blue;
    }
}

} // namespace quillaro

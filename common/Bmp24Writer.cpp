#include "Bmp24Writer.h"

#include "AtomicFile.h"
#include "Bmp24.h"

#include <stdexcept>

namespace quillaro::bmp24 {
namespace {

constexpr std::uint32_t PixelsPerMetre = 2835; // 72 dpi, what most writers store
} // namespace

std::vector<std::uint8_t> encode(std::uint32_t width, std::uint32_t height,
                                 std::span<const std::uint8_t> rgbTopDown) {
    if (rgbTopDown.size() != std::uint64_t{width} * height * 3)
        throw std::invalid_argument("pixel data does not match the picture size");
    const std::uint64_t rowBytes = stride(width);
    const std::uint64_t imageBytes = rowBytes * height;
    std::vector<std::uint8_t> file(PixelOffset + imageBytes, 0);
    unsigned char* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    writeLe32(p + OffFileSize, static_cast<std::uint32_t>(file.size()));
    writeLe32(p + OffPixelOffset, static_cast<std::uint32_t>(PixelOffset));
    writeLe32(p + OffInfoSize, static_cast<std::uint32_t>(InfoHeaderSize));
    writeLe32(p + OffWidth, width);
    writeLe32(p + OffHeight, height);
    writeLe16(p + OffPlanes, 1);
    writeLe16(p + OffBitsPerPixel, BitsPerPixel);
    writeLe32(p + OffImageSize, static_cast<std::uint32_t>(imageBytes));
    writeLe32(p + OffImageSize + 4, PixelsPerMetre);
    writeLe32(p + OffImageSize + 8, PixelsPerMetre);
    for (std::uint32_t r = 0; r < height; ++r) {
        // File row r is picture row height - 1 - r: the bottom row comes first.
        const std::uint8_t* src = rgbTopDown.data() + std::uint64_t{height - 1 - r} * width * 3;
        unsigned char* dst = p + PixelOffset + r * rowBytes;
        for (std::uint32_t c = 0; c < width; ++c) {
            dst[3 * c] = src[3 * c + 2];
            dst[3 * c + 1] = src[3 * c + 1];
            dst[3 * c + 2] = src[3 * c];
        }
    }
    return file;
}

bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    constexpr mode_t OwnerOnly = 0600; // what the desktop looked like is nobody else's business
    return replaceFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                                 OwnerOnly);
}

} // namespace quillaro::bmp24

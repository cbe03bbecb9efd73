#include "Bitmap24Loader.h"

#include "common/Bmp24.h"
#include "common/RegularFile.h"

#include <new>

namespace quillaro {
namespace {

struct Header {
    std::uint32_t width;
    std::uint32_t height;
    std::uint64_t stride;
    std::uint64_t fileBytesNeeded; // header plus every row
};

// Checks the fields the loader relies on; the rest of the header is not read at all (the
// signature, the sizes and the pixel offset are ignored: rows always start at byte 54).
std::optional<Header> readHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < bmp24::PixelOffset)
        return std::nullopt;
    if (bmp24::readLe16(bytes.data() + bmp24::OffBitsPerPixel) != bmp24::BitsPerPixel)
        return std::nullopt;
    if (bmp24::readLe32(bytes.data() + bmp24::OffCompression) != 0)
        return std::nullopt;
    std::uint32_t width = bmp24::readLe32(bytes.data() + bmp24::OffWidth);
    // A negative height marks a top-down file, which the floor would show upside down.
    auto height = static_cast<std::int32_t>(bmp24::readLe32(bytes.data() + bmp24::OffHeight));
    if (width == 0 || width > bmp24::MaxSide || height <= 0 ||
        static_cast<std::uint32_t>(height) > bmp24::MaxSide ||
        std::uint64_t{width} * static_cast<std::uint32_t>(height) > bmp24::MaxPixels)
        return std::nullopt;
    Header h{width, static_cast<std::uint32_t>(height), bmp24::stride(width), 0};
    h.fileBytesNeeded = bmp24::PixelOffset + h.stride * h.height;
    return h;
}

} // namespace

std::optional<LoadedPicture> decodeBitmap24(std::span<const std::uint8_t> file) {
    auto header = readHeader(file);
    if (!header || file.size() < header->fileBytesNeeded)
        return std::nullopt;

    LoadedPicture picture;
    picture.width = header->width;
    picture.height = header->height;
    try {
        picture.pixels.resize(std::size_t{header->width} * header->height);
    } catch (const std::bad_alloc&) {
        return std::nullopt; // no memory for it: no picture, like any other refusal
    }
    const std::uint8_t* row = file.data() + bmp24::PixelOffset;
    RgbPixel* out = picture.pixels.data();
    for (std::uint32_t r = 0; r < header->height; ++r, row += header->stride) {
        // The file stores blue, green, red; the padding at the end of each row is skipped.
        for (std::uint32_t c = 0; c < header->width; ++c, ++out)
            *out = RgbPixel{row[3 * c + 2], row[3 * c + 1], row[3 * c]};
    }
    return picture;
}

std::optional<LoadedPicture> loadBitmap24(const std::filesystem::path& path) {
    auto file = RegularFile::open(path);
    if (!file)
        return std::nullopt;

    // The header first: it says how much of the file is needed, so nothing beyond the rows
    // is read and a file shorter than its rows is refused before any large reservation.
    std::vector<std::uint8_t> bytes(bmp24::PixelOffset);
    if (!file->readExactly(bytes.data(), bytes.size()))
        return std::nullopt;
    auto header = readHeader(bytes);
    if (!header || static_cast<std::uint64_t>(file->info().st_size) < header->fileBytesNeeded)
        return std::nullopt;
    try {
        bytes.resize(header->fileBytesNeeded);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!file->readExactly(bytes.data() + bmp24::PixelOffset, bytes.size() - bmp24::PixelOffset))
        return std::nullopt;
    return decodeBitmap24(bytes);
}

} // namespace quillaro

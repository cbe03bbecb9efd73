#include "Bmp24Writer.h"

#include "AtomicFile.h"
#include "Bmp24.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillaro::bmp24 {
namespace {

constexpr std::uint32_t PixelsPerMetre = 2835; // 72 dpi, what most writers store
constexpr mode_t OwnerOnly = 0600; // what the desktop looked like is nobody else's business
// Rows are converted into a buffer of about this size and written from there.
constexpr std::uint64_t WriteChunkBytes = 256 * 1024;

bool sizeMatches(std::uint32_t width, std::uint32_t height, std::span<const std::uint8_t> rgb) {
    return rgb.size() == std::uint64_t{width} * height * 3;
}

std::array<std::uint8_t, PixelOffset> header(std::uint32_t width, std::uint32_t height) {
    const std::uint64_t imageBytes = stride(width) * height;
    std::array<std::uint8_t, PixelOffset> h{};
    unsigned char* p = h.data();
    p[0] = 'B';
    p[1] = 'M';
    writeLe32(p + OffFileSize, static_cast<std::uint32_t>(PixelOffset + imageBytes));
    writeLe32(p + OffPixelOffset, static_cast<std::uint32_t>(PixelOffset));
    writeLe32(p + OffInfoSize, static_cast<std::uint32_t>(InfoHeaderSize));
    writeLe32(p + OffWidth, width);
    writeLe32(p + OffHeight, height);
    writeLe16(p + OffPlanes, 1);
    writeLe16(p + OffBitsPerPixel, BitsPerPixel);
    writeLe32(p + OffImageSize, static_cast<std::uint32_t>(imageBytes));
    writeLe32(p + OffImageSize + 4, PixelsPerMetre);
    writeLe32(p + OffImageSize + 8, PixelsPerMetre);
    return h;
}

// Stored row r (counted from the bottom) of the picture, blue first, padding zeroed.
void storeRow(std::span<const std::uint8_t> rgbTopDown, std::uint32_t width, std::uint32_t height,
              std::uint32_t r, std::uint8_t* dst) {
    const std::uint8_t* src = rgbTopDown.data() + std::uint64_t{height - 1 - r} * width * 3;
    std::uint32_t c = 0;
#if defined(__SSE2__)
    // Five pixels a step in one 16-byte register: red and blue trade places by shifting the
    // whole register two bytes either way. The sixteenth byte is written again by the next step,
    // so a step needs one pixel more of the row ahead of it.
    const __m128i green = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
    const __m128i first = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i last = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
    for (; c + 6 <= width; c += 5, src += 15, dst += 15) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i bgr = _mm_or_si128(_mm_and_si128(v, green),
                                         _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), first),
                                                      _mm_and_si128(_mm_slli_si128(v, 2), last)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), bgr);
    }
#endif
    for (; c < width; ++c, src += 3, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
    std::fill(dst, dst + (stride(width) - std::uint64_t{width} * 3), std::uint8_t{0});
}

} // namespace

std::vector<std::uint8_t> encode(std::uint32_t width, std::uint32_t height,
                                 std::span<const std::uint8_t> rgbTopDown) {
    if (!sizeMatches(width, height, rgbTopDown))
        throw std::invalid_argument("pixel data does not match the picture size");
    const std::uint64_t rowBytes = stride(width);
    std::vector<std::uint8_t> file(PixelOffset + rowBytes * height);
    const auto h = header(width, height);
    std::copy(h.begin(), h.end(), file.begin());
    for (std::uint32_t r = 0; r < height; ++r)
        storeRow(rgbTopDown, width, height, r, file.data() + PixelOffset + r * rowBytes);
    return file;
}

Result<void, SystemError> writeFile(const std::filesystem::path& path,
                                    std::span<const std::uint8_t> bytes) {
    return replaceFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                                 OwnerOnly, nullptr, Durability::RenameOnly);
}

Result<void, SystemError> writePicture(const std::filesystem::path& path, std::uint32_t width,
                                       std::uint32_t height,
                                       std::span<const std::uint8_t> rgbTopDown) {
    if (!sizeMatches(width, height, rgbTopDown))
        return systemFailure("the pixels do not match the picture's size for", path, EINVAL);
    const std::uint64_t rowBytes = stride(width);
    const std::uint32_t rowsPerChunk =
        static_cast<std::uint32_t>(std::max<std::uint64_t>(1, WriteChunkBytes / rowBytes));
    std::vector<std::uint8_t> chunk(std::min<std::uint64_t>(rowsPerChunk, height) * rowBytes);
    const auto h = header(width, height);
    bool headerGiven = false;
    std::uint32_t nextRow = 0;
    auto next = [&]() -> std::string_view {
        if (!headerGiven) {
            headerGiven = true;
            return {reinterpret_cast<const char*>(h.data()), h.size()};
        }
        const std::uint32_t rows = std::min(rowsPerChunk, height - nextRow);
        for (std::uint32_t i = 0; i < rows; ++i)
            storeRow(rgbTopDown, width, height, nextRow + i, chunk.data() + i * rowBytes);
        nextRow += rows;
        return {reinterpret_cast<const char*>(chunk.data()), rows * rowBytes};
    };
    return replaceFileAtomically(path, next, OwnerOnly, nullptr, Durability::RenameOnly);
}

} // namespace quillaro::bmp24

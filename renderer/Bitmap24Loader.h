// Reads the hand-off picture: a 24-bit uncompressed bitmap whose rows start at byte 54, turned
// into tightly packed RGB records, bottom row first (OpenGL's texture origin). Anything else,
// and anything that does not hold the rows its header announces, gives no picture at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace quillaro {

struct RgbPixel {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};
static_assert(sizeof(RgbPixel) == 3, "the texture build reads the records as packed bytes");

struct LoadedPicture {
    std::vector<RgbPixel> pixels; // exactly width * height, row r starts at r * width
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The picture in the file at path, or nothing when the file is missing, not a regular file,
// not a 24-bit uncompressed bottom-up bitmap, larger than bmp24::MaxSide or bmp24::MaxPixels,
// shorter than its rows, or when memory for it cannot be had.
std::optional<LoadedPicture> loadBitmap24(const std::filesystem::path& path);

// The same rules applied to a whole file already in memory.
std::optional<LoadedPicture> decodeBitmap24(std::span<const std::uint8_t> file);

} // namespace quillaro

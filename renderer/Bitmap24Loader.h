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

// Larger sides are refused; it keeps every size computation far from overflow and still
// exceeds the largest texture any GL driver makes.
inline constexpr std::uint32_t MaxPictureSide = 32768;

// The picture in the file at path, or nothing when the file is missing, not a regular file,
// not a 24-bit uncompressed bottom-up bitmap, or shorter than its rows.
std::optional<LoadedPicture> loadBitmap24(const std::filesystem::path& path);

// The same rules applied to a whole file already in memory.
std::optional<LoadedPicture> decodeBitmap24(std::span<const std::uint8_t> file);

} // namespace quillaro

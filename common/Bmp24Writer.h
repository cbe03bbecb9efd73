// Builds a complete 24-bit uncompressed bitmap file in memory in the hand-off layout: rows
// bottom-up from byte 54, blue-green-red, each padded to a multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace quillaro::bmp24 {

// rgbTopDown holds width * height pixels of 3 bytes (red, green, blue), top row first.
// Throws std::invalid_argument when its size does not match.
std::vector<std::uint8_t> encode(std::uint32_t width, std::uint32_t height,
                                 std::span<const std::uint8_t> rgbTopDown);

// Replaces path with the bytes in one step, readable by this user only; false when that
// cannot be done (the old file then stays as it was).
bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace quillaro::bmp24

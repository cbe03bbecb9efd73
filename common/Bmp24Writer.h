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

// Replaces path with bytes atomically: they go to a temporary file beside it, reach the disk,
// and only then take the name, so a reader finds the old file or the new one, never half of
// one. False, with the old file untouched and no temporary left, when that cannot be done.
bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace quillaro::bmp24

// Builds 24-bit uncompressed bitmap files in the hand-off layout: rows bottom-up from byte 54,
// blue-green-red, each padded to a multiple of 4 bytes; in memory, or straight into the file.
#pragma once

#include "SystemError.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace quillaro::bmp24 {

// rgbTopDown holds width * height pixels of 3 bytes (red, green, blue), top row first.
// Throws std::invalid_argument when its size does not match.
std::vector<std::uint8_t> encode(std::uint32_t width, std::uint32_t height,
                                 std::span<const std::uint8_t> rgbTopDown);

// Replaces path with the bytes in one step, readable by this user only; when that cannot be
// done, the old file stays as it was and the reason says why. A hand-off file is made again on
// every run: it is not waited for to reach the disk, only renamed into place whole.
[[nodiscard]] Result<void, SystemError> writeFile(const std::filesystem::path& path,
                                                  std::span<const std::uint8_t> bytes);

// encode() and writeFile() in one, a few rows at a time: the file is never held in memory whole.
// Fails also when rgbTopDown does not match the size.
[[nodiscard]] Result<void, SystemError> writePicture(const std::filesystem::path& path,
                                                     std::uint32_t width, std::uint32_t height,
                                                     std::span<const std::uint8_t> rgbTopDown);

} // namespace quillaro::bmp24

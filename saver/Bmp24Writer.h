// Writes a picture as the hand-off file the renderer reads: a 24-bit uncompressed bitmap with the
// 54-byte header, bottom row first, blue-green-red, each row padded with zeros to 4 bytes. The
// file is replaced atomically, so the renderer finds either the old picture or the new one whole,
// never half a file.
#pragma once

#include "Image24.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quillaro {

// The 54 header bytes for a picture of that size; the file must be stride(width) * height + 54
// bytes long, which has to fit the 32-bit file size field.
std::vector<std::uint8_t> bmp24Header(std::uint32_t width, std::uint32_t height);

// Writes image to path through a temporary file in the same folder that is flushed to disk and
// then renamed over path. Returns false, leaving any earlier file at path untouched and no
// temporary behind, when the picture is empty or too large for the format, or when the folder
// cannot be written (missing, no permission, disk full).
bool saveBmp24(const Image24& image, const std::filesystem::path& path);

} // namespace quillaro

// Saves a picture as the hand-off file the renderer reads: a 24-bit uncompressed bitmap with the
// 54-byte header, bottom row first, blue-green-red, each row padded with zeros to 4 bytes. The
// file is replaced atomically, so the renderer finds either the old picture or the new one whole,
// never half a file.
#pragma once

#include "Image24.h"
#include "common/SystemError.h"

#include <filesystem>

namespace quillaro {

// Fails, leaving any earlier file at path untouched and no temporary behind, when the picture is
// empty or too large for the format's 32-bit sizes, or when the folder cannot be written
// (missing, no permission, disk full); the reason says which.
[[nodiscard]] Result<void, SystemError> saveBmp24(const Image24& image,
                                                  const std::filesystem::path& path);

} // namespace quillaro

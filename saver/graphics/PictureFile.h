// Loads the user's picture file (BMP or JPEG) into a 24-bit picture through Qt's image readers.
// The file is chosen by the user and may be anything, so the size is checked from the header
// before anything is decoded, and the reader's own allocation limit backs that up.
#pragma once

#include "Bmp24.h"
#include "Image24.h"

#include <filesystem>
#include <optional>

namespace quillaro {

// Larger pictures are refused before decoding: 32 Mi pixels already hold a 6000 x 4000
// photograph, and it is the most the renderer takes from the hand-off file.
inline constexpr long long MaxPicturePixels = static_cast<long long>(bmp24::MaxPixels);
inline constexpr int MaxPictureFileSide = 16384;

// The picture in the file, or nothing when the file is missing, unreadable, not a BMP or JPEG
// (decided by its content, not its name), corrupt beyond decoding, or larger than the limits
// above. The picture is taken as stored: no orientation tag is applied, and any alpha channel
// is dropped.
std::optional<Image24> loadPictureFile(const std::filesystem::path& path);

} // namespace quillaro

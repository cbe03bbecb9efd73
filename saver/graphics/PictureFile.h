// Loads the user's picture file into a 24-bit picture through Qt's image readers: any format
// they read (BMP, JPEG, PNG, GIF, and WebP or TIFF where their plugins are installed), decided
// by the content, not the name. A camera's orientation tag is applied, so a phone photo lies the
// right way up. The file is chosen by the user and may be anything: a picture larger than the
// limits below is scaled down to fit them (JPEG decodes straight at the smaller size), and the
// reader's allocation limit refuses a file that would need more memory than a real photograph.
#pragma once

#include "Image24.h"
#include "common/Bmp24.h"
#include "common/Result.h"

#include <filesystem>
#include <string>

namespace quillaro {

// The largest picture kept at its own size. The floor stretches the picture over the same square
// whatever its size and never shows more than about a screen's width of it, so a longer side
// than 4096 pixels only costs time and hand-off space (a 48-megapixel photograph wrote a 100 MB
// file). The pixel limit is the most the renderer takes from the hand-off file.
inline constexpr long long MaxPicturePixels = static_cast<long long>(bmp24::MaxPixels);
inline constexpr int MaxPictureFileSide = 4096;

// The size a width x height picture is kept at: its own when it is within the limits above,
// else scaled down with its aspect kept (each side at least 1).
struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};
PictureSize fittedPictureSize(int width, int height);

// The picture in the file, upright and within the limits, decoded once; or, when the file is
// missing, unreadable, not a picture Qt reads, corrupt beyond decoding, or too large to decode
// at all, why not, in a few words for a person ("it does not exist", "Qt reads no picture in
// it", the decoder's own complaint). Transparent parts come out black, as composed over the
// dark floor.
Result<Image24, std::string> loadPictureFile(const std::filesystem::path& path);

} // namespace quillaro

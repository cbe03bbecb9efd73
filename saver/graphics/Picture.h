// The picture object a capture produces and the run form holds until the run ends: it owns its
// pixels and, when the screen it came from works through a 256-colour palette, that palette too.
// Releasing the picture releases both; nothing else refers to them.
#pragma once

#include "Image24.h"

#include <array>
#include <optional>
#include <utility>

namespace quillaro {

inline constexpr int PaletteSize = 256;
using Palette = std::array<Rgb, PaletteSize>;

class Picture {
public:
    Picture() = default; // no picture: what a failed capture gives
    Picture(Image24 bitmap, std::optional<Palette> palette)
        : bitmap_(std::move(bitmap)), palette_(palette) {}

    bool empty() const { return bitmap_.empty(); }
    // The pixels as colours; on a palette screen already looked up in the palette.
    const Image24& bitmap() const { return bitmap_; }
    // The screen's colour table at the moment of capture; none on true-colour screens.
    const std::optional<Palette>& palette() const { return palette_; }

private:
    Image24 bitmap_;
    std::optional<Palette> palette_;
};

} // namespace quillaro

// The settings dialog's two drawing procedures on 24-bit pictures: the thumbnail of the chosen
// picture, made with one COLORONCOLOR stretch, and the panels' texture, laid in columns from
// the top-left corner with plain block transfers.
#pragma once

#include "graphics/Image24.h"

namespace quillaro {

// The side of the preview square, and the longer side of every thumbnail.
inline constexpr int PreviewSide = 68;

struct Thumbnail {
    int width = 0; // the preview box's new size; a side may be 0 for a very thin picture
    int height = 0;
    Image24 pixels; // width x height, or empty when a side is 0
};

// The picture scaled so that its longer side is PreviewSide, its aspect kept: 640 x 480 gives
// 68 x 51, 34 x 17 gives 68 x 34. Sides are rounded to the nearest pixel, halves to the even
// one (8 x 1 gives 68 x 8). Rows and columns are dropped or repeated, never averaged. An empty
// picture gives an empty thumbnail.
Thumbnail drawThumbnail(const Image24& picture);

// Covers the panel with copies of the texture, column by column from the top-left corner: down
// a column until a copy has started below the panel's lower edge, then one texture width to the
// right, until a column has started beyond the right edge. Returns the number of copies made: 14
// for a 353 x 113 panel and a 556 x 20 texture, 18 for 353 x 149. A texture or panel with no
// area gets nothing (0).
int TileTexture(Image24& panel, const Image24& texture);

} // namespace quillaro

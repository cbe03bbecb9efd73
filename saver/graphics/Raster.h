// Block transfers between 24-bit pictures, with the semantics of the window system's BitBlt and
// of StretchBlt in its COLORONCOLOR mode, and its vertical GradientFill, done by our own exact
// code so that every pixel is known: the run form mirrors the user's picture with StretchBlt, the
// settings dialog draws its thumbnail with StretchBlt and tiles its panel texture with BitBlt, and
// the push button paints its face with GradientFill and StretchBlt.
#pragma once

#include "Image24.h"

#include <cstdint>

namespace quillaro {

// Copies a width x height block from (xSrc, ySrc) of src to (xDest, yDest) of dst, unscaled.
// Pixels whose source or destination lies outside its picture are skipped (clipping to both);
// the others land where they would without clipping. src and dst may be the same picture, with
// overlapping blocks. Returns false, drawing nothing, when width or height is not positive.
bool BitBlt(Image24& dst, int xDest, int yDest, int width, int height, const Image24& src, int xSrc,
            int ySrc);

// Scales the source rectangle onto the destination rectangle the COLORONCOLOR way: each
// destination pixel takes exactly one source pixel, so shrinking drops whole rows and columns and
// enlarging repeats them; nothing is averaged.
//
// Along x (y is the same): the destination rectangle covers the columns xDest .. xDest+wDest-1
// when wDest > 0, and xDest+wDest .. xDest-1, numbered from the right, when wDest < 0 (a negative
// width mirrors left to right; a negative height mirrors top to bottom). The i-th destination
// column, counted from the rectangle's start (i = 0 .. |wDest|-1), takes the source column that
// holds the centre of that destination column scaled into the source:
//     j = floor((i + 1/2) * |wSrc| / |wDest|),
// counted from xSrc rightwards when wSrc > 0, from xSrc-1 leftwards when wSrc < 0. So equal sizes
// copy column for column, and xDest = W, wDest = -W, xSrc = 0, wSrc = W mirrors a picture W wide
// at its own place and size.
//
// The mapping is fixed by the full rectangles; clipping only skips pixels, as for BitBlt. src and
// dst may be the same picture. Returns false, drawing nothing, when any size is zero.
bool StretchBlt(Image24& dst, int xDest, int yDest, int wDest, int hDest, const Image24& src,
                int xSrc, int ySrc, int wSrc, int hSrc);

// One corner of a gradient rectangle: a pixel position and its colour as 16-bit intensities, the
// 8-bit value in the high byte (0xFF00 is full, 0xC600 is 198).
struct GradientVertex {
    int x = 0;
    int y = 0;
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
};

// Fills the rectangle between two vertices with a vertical gradient, as the window system's
// GradientFill does in its vertical rectangle mode: the rectangle runs from the smaller to the
// larger x and y of the two vertices, without the larger ones, so the lower-right vertex's row
// and column stay as they were. Row y of the rectangle (top <= y < bottom) takes, per channel,
//     I(y) = Itop + (Ibottom - Itop) * (y - top) / (bottom - top)    (division towards zero)
// from the intensities of the vertex at the top and the one at the bottom, the same along the
// row, and keeps the high byte of I(y): the top row is the top vertex's colour exactly, and the
// bottom vertex's colour is reached only on the row that is left out. The colours are fixed by
// the whole rectangle; pixels outside the picture are skipped. Returns false, drawing nothing,
// when the rectangle has no area.
bool GradientFill(Image24& dst, const GradientVertex& a, const GradientVertex& b);

} // namespace quillaro

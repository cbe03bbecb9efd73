// StretchBlt (COLORONCOLOR) and BitBlt on 24-bit pictures: which source pixel every destination
// pixel takes, mirroring by negative sizes, clipping, and pictures drawn onto themselves. The
// vertical GradientFill: the colour of every row, the row and column it leaves out, clipping.
#include "graphics/Raster.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

using quillaro::BitBlt;
using quillaro::GradientFill;
using quillaro::GradientVertex;
using quillaro::Image24;
using quillaro::Rgb;
using quillaro::StretchBlt;

namespace {

// Every pixel of a picture up to 4096 x 4096 a different, scrambled colour (an odd multiplier
// is a bijection modulo 2^24), so that a copied pixel names its source and an averaged one
// matches no expected pixel.
Rgb colourAt(int x, int y) {
    const std::uint32_t v =
        ((static_cast<std::uint32_t>(y) << 12 | static_cast<std::uint32_t>(x)) * 0x9E3B1u ^
         0x5A5A5Au) &
        0xFFFFFFu;
    return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
}

Image24 pattern(int width, int height) {
    Image24 image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colourAt(x, y));
    return image;
}

constexpr Rgb Untouched{1, 2, 3};

// Checks that dst(x, y) is src(columns[x], rows[y]) for the whole destination.
void expectTaken(const Image24& dst, const Image24& src, const std::vector<int>& columns,
                 const std::vector<int>& rows) {
    ASSERT_EQ(dst.width(), static_cast<int>(columns.size()));
    ASSERT_EQ(dst.height(), static_cast<int>(rows.size()));
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x)
            ASSERT_EQ(dst.pixel(x, y), src.pixel(columns[x], rows[y]))
                << "destination pixel " << x << "," << y;
}

std::vector<int> identity(int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i)
        v.push_back(i);
    return v;
}

std::vector<int> reversed(int n) {
    std::vector<int> v;
    for (int i = n - 1; i >= 0; --i)
        v.push_back(i);
    return v;
}

} // namespace

TEST(StretchBlt, NegativeWidthMirrorsLeftToRightAtTheSameSizeAndPlace) {
    for (int width : {1, 2, 5, 640}) { // odd and even widths alike
        const Image24 src = pattern(width, 3);
        Image24 dst(width, 3, Untouched);
        EXPECT_TRUE(StretchBlt(dst, width, 0, -width, 3, src, 0, 0, width, 3));
        expectTaken(dst, src, reversed(width), identity(3));
    }
}

TEST(StretchBlt, NegativeHeightMirrorsTopToBottomAndBothTurnHalfway) {
    const Image24 src = pattern(4, 5);
    Image24 flipped(4, 5, Untouched);
    StretchBlt(flipped, 0, 5, 4, -5, src, 0, 0, 4, 5);
    expectTaken(flipped, src, identity(4), reversed(5));

    Image24 turned(4, 5, Untouched);
    StretchBlt(turned, 4, 5, -4, -5, src, 0, 0, 4, 5);
    expectTaken(turned, src, reversed(4), reversed(5));
}

TEST(StretchBlt, NegativeSourceSizeMirrorsTooAndTwoMirrorsCancel) {
    const Image24 src = pattern(6, 4);
    Image24 mirrored(6, 4, Untouched);
    StretchBlt(mirrored, 0, 0, 6, 4, src, 6, 0, -6, 4);
    expectTaken(mirrored, src, reversed(6), identity(4));

    Image24 straight(6, 4, Untouched);
    StretchBlt(straight, 6, 4, -6, -4, src, 6, 4, -6, -4);
    EXPECT_EQ(straight, src);
}

TEST(StretchBlt, ShrinkingTakesTheColumnAndRowUnderEachDestinationCentre) {
    const Image24 src = pattern(6, 7);
    Image24 half(3, 3, Untouched);
    StretchBlt(half, 0, 0, 3, 3, src, 0, 0, 6, 7);
    // Columns: centres 0.5, 1.5, 2.5 scaled by 2 fall in 1, 3, 5. Rows: by 7/3 in 1, 3, 5.
    expectTaken(half, src, {1, 3, 5}, {1, 3, 5});

    const Image24 five = pattern(5, 1);
    Image24 two(2, 1, Untouched);
    StretchBlt(two, 0, 0, 2, 1, five, 0, 0, 5, 1);
    expectTaken(two, five, {1, 3}, {0}); // 1.25 and 3.75: whole columns 0, 2 and 4 dropped
}

TEST(StretchBlt, EnlargingRepeatsWholeColumnsAndRowsInOrder) {
    const Image24 src = pattern(3, 2);
    Image24 big(7, 5, Untouched);
    StretchBlt(big, 0, 0, 7, 5, src, 0, 0, 3, 2);
    expectTaken(big, src, {0, 0, 1, 1, 1, 2, 2}, {0, 0, 1, 1, 1});

    Image24 triple(9, 6, Untouched);
    StretchBlt(triple, 0, 0, 9, 6, src, 0, 0, 3, 2);
    expectTaken(triple, src, {0, 0, 0, 1, 1, 1, 2, 2, 2}, {0, 0, 0, 1, 1, 1});
}

TEST(StretchBlt, ThumbnailOfALandscapePictureKeepsEdgesAndNeverTakesAColumnTwice) {
    const Image24 src = pattern(640, 480);
    Image24 thumb(68, 51, Untouched);
    StretchBlt(thumb, 0, 0, 68, 51, src, 0, 0, 640, 480);
    // Find which source pixel each pixel of the thumbnail's top row took.
    std::vector<int> taken;
    int takenRow = -1;
    for (int x = 0; x < 68; ++x) {
        for (int sy = 0; sy < 480 && static_cast<int>(taken.size()) == x; ++sy) {
            for (int sx = 0; sx < 640; ++sx) {
                if (src.pixel(sx, sy) == thumb.pixel(x, 0)) {
                    taken.push_back(sx);
                    EXPECT_TRUE(takenRow == -1 || takenRow == sy) << "column " << x;
                    takenRow = sy;
                    break;
                }
            }
        }
    }
    ASSERT_EQ(taken.size(), 68u);
    for (std::size_t i = 1; i < taken.size(); ++i)
        EXPECT_GT(taken[i], taken[i - 1]);
    const double step = 640.0 / 68;
    EXPECT_LT(taken.front(), step);
    EXPECT_GE(taken.back(), 640 - step);
}

TEST(StretchBlt, ClippingSkipsPixelsWithoutChangingWhichSourcePixelTheOthersTake) {
    const Image24 src = pattern(5, 4);
    // Reference: the same stretch drawn whole into a canvas big enough to hold it.
    Image24 whole(40, 40, Untouched);
    StretchBlt(whole, 10 + 9, 10, -9, 7, src, 0, 0, 5, 4);
    // The same stretch hanging over every edge of a small picture.
    const int ox = -3, oy = -2;
    Image24 small(4, 3, Untouched);
    StretchBlt(small, ox + 9, oy, -9, 7, src, 0, 0, 5, 4);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            EXPECT_EQ(small.pixel(x, y), whole.pixel(x - ox + 10, y - oy + 10));
}

TEST(StretchBlt, SourceRectangleOutsideTheSourceLeavesThoseDestinationPixelsAlone) {
    const Image24 src = pattern(4, 4);
    Image24 dst(4, 4, Untouched);
    StretchBlt(dst, 0, 0, 4, 4, src, 2, -1, 4, 4); // columns 2..5 and rows -1..2 of the source
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int sx = x + 2, sy = y - 1;
            const Rgb expected = (sx < 4 && sy >= 0) ? src.pixel(sx, sy) : Untouched;
            EXPECT_EQ(dst.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(StretchBlt, ZeroSizesDrawNothingAndSayNo) {
    const Image24 src = pattern(3, 3);
    Image24 dst(3, 3, Untouched);
    const Image24 before = dst;
    EXPECT_FALSE(StretchBlt(dst, 0, 0, 0, 3, src, 0, 0, 3, 3));
    EXPECT_FALSE(StretchBlt(dst, 0, 0, 3, 0, src, 0, 0, 3, 3));
    EXPECT_FALSE(StretchBlt(dst, 0, 0, 3, 3, src, 0, 0, 0, 3));
    EXPECT_FALSE(StretchBlt(dst, 0, 0, 3, 3, src, 0, 0, 3, 0));
    EXPECT_EQ(dst, before);
}

TEST(StretchBlt, ExtremeCoordinatesNeitherOverflowNorTouchMemoryOutside) {
    const Image24 src = pattern(3, 3);
    Image24 dst(3, 3, Untouched);
    EXPECT_TRUE(StretchBlt(dst, INT_MAX, INT_MAX, INT_MIN, INT_MIN, src, INT_MIN, INT_MIN, INT_MAX,
                           INT_MAX));
    EXPECT_TRUE(StretchBlt(dst, INT_MIN, INT_MIN, INT_MAX, INT_MAX, src, 0, 0, INT_MIN, INT_MIN));
    // The first covers columns -1 .. INT_MAX-1 mirrored from a source far outside, so the
    // picture stays as it was; the second maps far outside it.
    EXPECT_EQ(dst, Image24(3, 3, Untouched));
}

TEST(StretchBlt, MirroringAPictureOntoItselfReadsTheOriginalPixels) {
    Image24 image = pattern(7, 3);
    const Image24 original = image;
    StretchBlt(image, 7, 0, -7, 3, image, 0, 0, 7, 3);
    expectTaken(image, original, reversed(7), identity(3));
}

TEST(BitBlt, CopiesUnscaledAndClipsToBothPictures) {
    const Image24 src = pattern(5, 5);
    Image24 dst(6, 4, Untouched);
    // A 4 x 4 block from (2, -1) of the source to (-1, 1) of the destination: it hangs over the
    // source's top and right edges and the destination's left and bottom edges.
    EXPECT_TRUE(BitBlt(dst, -1, 1, 4, 4, src, 2, -1));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const int bx = x + 1, by = y - 1; // position inside the block
            const int sx = 2 + bx, sy = -1 + by;
            const bool inBlock = bx >= 0 && bx < 4 && by >= 0 && by < 4;
            const bool inSource = sx >= 0 && sx < 5 && sy >= 0 && sy < 5;
            const Rgb expected = inBlock && inSource ? src.pixel(sx, sy) : Untouched;
            EXPECT_EQ(dst.pixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_FALSE(BitBlt(dst, 0, 0, -2, 2, src, 0, 0));
    EXPECT_FALSE(BitBlt(dst, 0, 0, 2, 0, src, 0, 0));
}

TEST(BitBlt, TilesFillAPanelColumnByColumnLikeThePanelTexture) {
    const Image24 tile = pattern(4, 2);
    Image24 panel(7, 5, Untouched);
    int transfers = 0;
    for (int x = 0; x <= panel.width(); x += tile.width())
        for (int y = 0; y <= panel.height(); y += tile.height(), ++transfers)
            BitBlt(panel, x, y, tile.width(), tile.height(), tile, 0, 0);
    EXPECT_EQ(transfers, 2 * 3);
    for (int y = 0; y < panel.height(); ++y)
        for (int x = 0; x < panel.width(); ++x)
            EXPECT_EQ(panel.pixel(x, y), tile.pixel(x % 4, y % 2));
}

TEST(BitBlt, OverlappingMovesWithinOnePictureCopyTheOriginalPixels) {
    const Image24 original = pattern(6, 6);
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
            Image24 moved = original;
            BitBlt(moved, 1 + dx, 1 + dy, 4, 4, moved, 1, 1);
            Image24 expected = original;
            BitBlt(expected, 1 + dx, 1 + dy, 4, 4, original, 1, 1);
            EXPECT_EQ(moved, expected) << "move by " << dx << "," << dy;
        }
    }
}

TEST(GradientFill, EachRowTakesTheHighByteOfTheInterpolatedIntensityAndTheLastRowAndColumnStay) {
    // From black to (0xFF00, 0x8000, 0x00FF) over 4 rows and 3 columns of a 5 x 6 picture.
    Image24 image(5, 6, Untouched);
    const GradientVertex upperLeft{1, 1, 0x0000, 0x0000, 0x0000};
    const GradientVertex lowerRight{4, 5, 0xFF00, 0x8000, 0x00FF};
    EXPECT_TRUE(GradientFill(image, upperLeft, lowerRight));
    // Red 0x3FC0, 0x7F80, 0xBF40 on rows 2..4; green 0x2000 steps; blue never reaches 0x0100.
    const Rgb rows[] = {{0, 0, 0}, {63, 32, 0}, {127, 64, 0}, {191, 96, 0}};
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 5;
            EXPECT_EQ(image.pixel(x, y), inside ? rows[y - 1] : Untouched) << x << "," << y;
        }
    }

    // The vertices in the other order, or named by their other corners, fill the same rectangle
    // from the same top colour; a falling gradient truncates towards the top colour.
    Image24 swapped(5, 6, Untouched);
    GradientFill(swapped, lowerRight, upperLeft);
    EXPECT_EQ(swapped, image);
    Image24 corners(5, 6, Untouched);
    GradientFill(corners, {4, 1, 0x0000, 0x0000, 0x0000}, {1, 5, 0xFF00, 0x8000, 0x00FF});
    EXPECT_EQ(corners, image);
    Image24 falling(1, 4);
    GradientFill(falling, {0, 0, 0xFF00, 0xFF00, 0xFF00}, {1, 3, 0xC600, 0xC5FF, 0x0000});
    EXPECT_EQ(falling.pixel(0, 0), (Rgb{255, 255, 255}));
    // Red falls by 0x3900 / 3 = 0x1300 exactly; green by 0x3901 / 3, cut to 0x1300 towards zero,
    // so it stays 236 where rounding down would give 235.
    EXPECT_EQ(falling.pixel(0, 1), (Rgb{236, 236, 170}));
    EXPECT_EQ(falling.pixel(0, 2), (Rgb{217, 217, 85}));
    EXPECT_EQ(falling.pixel(0, 3), (Rgb{0, 0, 0})); // the bottom vertex's row is left out
}

TEST(GradientFill, ClippingKeepsTheColoursOfTheWholeRectangleAndEmptyRectanglesDrawNothing) {
    const GradientVertex top{-3, -20, 0x1000, 0x2000, 0x3000};
    const GradientVertex bottom{40, 30, 0xF000, 0xE000, 0xD000};
    Image24 whole(60, 60, Untouched);
    GradientFill(whole, {top.x + 10, top.y + 25, top.red, top.green, top.blue},
                 {bottom.x + 10, bottom.y + 25, bottom.red, bottom.green, bottom.blue});
    Image24 clipped(4, 7, Untouched);
    EXPECT_TRUE(GradientFill(clipped, top, bottom));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(clipped.pixel(x, y), whole.pixel(x + 10, y + 25)) << x << "," << y;

    Image24 untouched(4, 4, Untouched);
    const Image24 before = untouched;
    EXPECT_FALSE(GradientFill(untouched, {0, 0}, {0, 4, 0xFF00, 0xFF00, 0xFF00}));
    EXPECT_FALSE(GradientFill(untouched, {0, 2}, {4, 2, 0xFF00, 0xFF00, 0xFF00}));
    EXPECT_TRUE(GradientFill(untouched, {INT_MIN, INT_MIN}, {INT_MAX, -1}));
    EXPECT_TRUE(GradientFill(untouched, {4, 4}, {INT_MAX, INT_MAX}));
    EXPECT_EQ(untouched, before);
}

// The dialog's thumbnail and panel texture on 24-bit pictures: the thumbnail's size with its
// rounding and which source pixel each of its pixels takes; where the texture's copies land,
// how many there are, and that a texture or panel with no area ends the tiling at once.
#include "dialog/DialogDrawing.h"

#include <gtest/gtest.h>

using namespace quillaro;

namespace {

// A different colour for every pixel, so a copied pixel names its source.
Image24 pattern(int width, int height) {
    Image24 image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                            static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF)});
    return image;
}

} // namespace

TEST(Thumbnail, LongerSideIsPreviewSideWithTheAspectKeptAndHalvesGoToEven) {
    const struct {
        int w, h, expectedW, expectedH;
    } cases[] = {
        {640, 480, 68, 51}, {480, 640, 51, 68}, {100, 100, 68, 68},
        {34, 17, 68, 34},   {8, 1, 68, 8}, // 8.5 goes down to the even 8
        {1, 24, 3, 68},                    // 2.833 to the nearest
        {136, 3, 68, 2},                   // 1.5 goes up to the even 2
        {5000, 30, 68, 0},                 // too thin to keep a row: nothing to draw
    };
    for (const auto& c : cases) {
        const Thumbnail t = drawThumbnail(pattern(c.w, c.h));
        EXPECT_EQ(t.width, c.expectedW) << c.w << " x " << c.h;
        EXPECT_EQ(t.height, c.expectedH) << c.w << " x " << c.h;
        EXPECT_EQ(t.pixels.empty(), c.expectedH == 0) << c.w << " x " << c.h;
    }
    EXPECT_EQ(drawThumbnail(Image24{}).width, 0);
}

TEST(Thumbnail, DropsAndRepeatsWholeRowsAndColumnsWithoutAveraging) {
    const Image24 source = pattern(200, 150);
    const Thumbnail shrunk = drawThumbnail(source); // 68 x 51
    ASSERT_EQ(shrunk.pixels.width(), 68);
    for (int y = 0; y < 51; ++y)
        for (int x = 0; x < 68; ++x)
            ASSERT_EQ(shrunk.pixels.pixel(x, y),
                      source.pixel((2 * x + 1) * 200 / 136, (2 * y + 1) * 150 / 102))
                << x << "," << y;

    const Image24 small = pattern(34, 17);
    const Thumbnail grown = drawThumbnail(small); // each pixel doubled
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 68; ++x)
            ASSERT_EQ(grown.pixels.pixel(x, y), small.pixel(x / 2, y / 2)) << x << "," << y;
}

TEST(TileTexture, LaysColumnsFromTheTopLeftOneRowAndColumnPastTheEdges) {
    const Image24 texture = pattern(556, 20);
    Image24 b(353, 113, {224, 224, 224});
    Image24 c(353, 149, {224, 224, 224});
    EXPECT_EQ(TileTexture(b, texture), 14);
    EXPECT_EQ(TileTexture(c, texture), 18);
    // Every pixel of the panel is the texture's, row for row from the top-left corner.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            ASSERT_EQ(c.pixel(x, y), texture.pixel(x, y % 20)) << x << "," << y;

    // A small texture: 3 columns of 3 (x 0, 10, 20; y 0, 8, 16) for a 15 x 15 panel.
    Image24 panel(15, 15);
    EXPECT_EQ(TileTexture(panel, pattern(10, 8)), 9);
    EXPECT_EQ(panel.pixel(14, 14), pattern(10, 8).pixel(4, 6));
}

TEST(TileTexture, NothingToTileEndsAtOnceAndDrawsNothing) {
    const Image24 panelBefore(353, 113, {224, 224, 224});
    Image24 panel = panelBefore;
    EXPECT_EQ(TileTexture(panel, Image24{}), 0);
    EXPECT_EQ(TileTexture(panel, Image24(0, 20)), 0);
    EXPECT_EQ(TileTexture(panel, Image24(556, -1)), 0);
    EXPECT_EQ(panel, panelBefore);
    Image24 empty;
    EXPECT_EQ(TileTexture(empty, pattern(556, 20)), 0);
}

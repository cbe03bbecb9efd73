#include "DialogDrawing.h"

#include "graphics/Raster.h"
#include "settings/Conversions.h"

namespace quillaro {
namespace {

constexpr Rgb White{255, 255, 255};

// A size in pixels from its exact value: nearest, halves to the even neighbour.
int pixels(double value) {
    return roundToInt32(value).value_or(0);
}

} // namespace

Thumbnail drawThumbnail(const Image24& picture) {
    if (picture.empty())
        return {};
    // The picture's sides as single-precision values, the quotients in double precision.
    const float w = static_cast<float>(picture.width());
    const float h = static_cast<float>(picture.height());
    double dw = PreviewSide;
    double dh = PreviewSide;
    if (w > h)
        dh = static_cast<double>(h) * PreviewSide / static_cast<double>(w);
    else
        dw = static_cast<double>(w) * PreviewSide / static_cast<double>(h);

    Thumbnail thumbnail;
    thumbnail.width = pixels(dw);
    thumbnail.height = pixels(dh);
    thumbnail.pixels = Image24(thumbnail.width, thumbnail.height, White);
    StretchBlt(thumbnail.pixels, 0, 0, thumbnail.width, thumbnail.height, picture, 0, 0, pixels(w),
               pixels(h));
    return thumbnail;
}

int TileTexture(Image24& panel, const Image24& texture) {
    const int textureWidth = texture.width(), textureHeight = texture.height();
    const int panelWidth = panel.width(), panelHeight = panel.height();
    // A side of nothing would never move the columns on.
    if (textureWidth <= 0 || textureHeight <= 0 || panelWidth <= 0 || panelHeight <= 0)
        return 0;
    int transfers = 0;
    int x = 0;
    int y = 0;
    for (;;) {
        BitBlt(panel, x, y, textureWidth, textureHeight, texture, 0, 0);
        ++transfers;
        if (y > panelHeight) {
            if (x > panelWidth)
                break;
            x += textureWidth;
            y = 0;
        } else {
            y += textureHeight;
        }
    }
    return transfers;
}

} // namespace quillaro

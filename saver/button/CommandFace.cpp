#include "CommandFace.h"

#include "graphics/EmbeddedPicture.h"
#include "graphics/Raster.h"

#include <QString>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>

namespace quillaro {
namespace {

// The face in twips: the picture's ring is 4 pixels wide.
constexpr int Border = 60;
constexpr int PictureWidth = FacePictureSize.width() * TwipsPerPixel;
constexpr int PictureHeight = FacePictureSize.height() * TwipsPerPixel;
constexpr int CaptionHeightTwips = CaptionHeight * TwipsPerPixel;
constexpr int CaptionGap = 20; // the caption sits this much above the face's middle

// The gradient's two colours as the program holds them: "&H", then red, green, blue in hex.
constexpr const char* GradientLight = "&HFFFFFF"; // white
constexpr const char* GradientShade = "&HC6C5D7"; // lavender grey
// Where nothing else is drawn (only ever under the frame): the face's own background.
constexpr Rgb BackColour{212, 208, 200};

constexpr const char* PictureResources[] = {
    ":/button/faces/Normal.bmp",   ":/button/faces/HighLight.bmp",
    ":/button/faces/Pressed.bmp",  ":/button/faces/Disable.bmp",
    ":/button/faces/Selected.bmp", ":/button/faces/HighLight.bmp", // HighLightSelect
};

// One channel of a "&HRRGGBB" colour as a 16-bit intensity: the 8-bit value in the high byte.
std::uint16_t intensity(const char* text, int channel) {
    const QString digits = QString::fromLatin1(text + 2 + 2 * channel, 2);
    return static_cast<std::uint16_t>(digits.toUInt(nullptr, 16) << 8);
}

GradientVertex vertex(int x, int y, const char* colour) {
    return {x, y, intensity(colour, 0), intensity(colour, 1), intensity(colour, 2)};
}

// A layout number kept as 16-bit twips: a value outside the range leaves the old one.
void assignTwips(std::int16_t& number, long value) {
    if (value >= std::numeric_limits<std::int16_t>::min() &&
        value <= std::numeric_limits<std::int16_t>::max())
        number = static_cast<std::int16_t>(value);
}

} // namespace

FaceLayout FaceLayout::fitted(QSize size, FaceLayout before) {
    const long w = long{size.width()} * TwipsPerPixel;
    const long h = long{size.height()} * TwipsPerPixel;
    assignTwips(before.edgeWidth, w - 2 * Border);
    assignTwips(before.edgeHeight, h - 2 * Border);
    assignTwips(before.right, w - Border);
    assignTwips(before.bottom, h - Border);
    return before;
}

CommandFace DrawCommandFace(QSize size, const Image24& picture, bool gradientReversed,
                            const FaceLayout& layout) {
    CommandFace face{Image24(size.width(), size.height(), BackColour), {}};

    // The two vertices are the face's corners in pixels; the rectangle between them leaves the
    // last row and column to the frame.
    GradientFill(face.image, vertex(0, 0, gradientReversed ? GradientShade : GradientLight),
                 vertex(size.width() - 1, size.height() - 1,
                        gradientReversed ? GradientLight : GradientShade));

    struct Piece {
        int sx, sy, sw, sh; // in the picture
        int dx, dy, dw, dh; // on the face
    };
    const int b = Border, pw = PictureWidth, ph = PictureHeight;
    const int right = layout.right, bottom = layout.bottom;
    const int edgeW = layout.edgeWidth, edgeH = layout.edgeHeight;
    const Piece pieces[] = {
        {0, 0, b, b, 0, 0, b, b},                        // top-left corner
        {b, 0, pw - 2 * b, b, b, 0, edgeW, b},           // top edge
        {pw - b, 0, b, b, right, 0, b, b},               // top-right corner
        {pw - b, b, b, ph - 2 * b, right, b, b, edgeH},  // right edge
        {pw - b, ph - b, b, b, right, bottom, b, b},     // bottom-right corner
        {b, ph - b, pw - 2 * b, b, b, bottom, edgeW, b}, // bottom edge
        {0, ph - b, b, b, 0, bottom, b, b},              // bottom-left corner
        {0, b, b, ph - 2 * b, 0, b, b, edgeH},           // left edge
    };
    const int px = TwipsPerPixel;
    for (const Piece& p : pieces) {
        if (p.dw <= 0 || p.dh <= 0)
            continue;
        StretchBlt(face.image, p.dx / px, p.dy / px, p.dw / px, p.dh / px, picture, p.sx / px,
                   p.sy / px, p.sw / px, p.sh / px);
    }

    // The caption keeps its one-line height and spans the face, a little above its middle.
    const double h = double{TwipsPerPixel} * size.height();
    const double top = (h - CaptionHeightTwips - CaptionGap) / 2.0;
    face.caption =
        QRect(0, static_cast<int>(std::lround(top / TwipsPerPixel)), size.width(), CaptionHeight);
    return face;
}

const Image24& LoadFacePicture(FacePicture picture) {
    static const std::array<Image24, std::size(PictureResources)> pictures = [] {
        std::array<Image24, std::size(PictureResources)> loaded;
        for (std::size_t i = 0; i < loaded.size(); ++i)
            loaded[i] = loadEmbeddedPicture(PictureResources[i]).value_or(Image24{});
        return loaded;
    }();
    return pictures[static_cast<std::size_t>(picture)];
}

} // namespace quillaro

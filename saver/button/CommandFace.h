// The push button's face, drawn without a window: a two-colour vertical gradient with a frame cut
// from one of the six face pictures over it (corners at their own size, edges stretched along
// their length), and the place of the caption. The face pictures are built into the program.
#pragma once

#include "CommandBehaviour.h"
#include "graphics/Image24.h"
#include "platform/Twips.h"

#include <QRect>
#include <QSize>
#include <cstdint>

namespace quillaro {

// The frame's numbers in twips (15 to a pixel), kept as 16-bit values: a number that would
// leave that range keeps the value it had, so a button too wide for it keeps its old frame.
struct FaceLayout {
    std::int16_t edgeWidth = 0;  // top and bottom edges: W - 2 * border
    std::int16_t edgeHeight = 0; // left and right edges: H - 2 * border
    std::int16_t right = 0;      // left side of the right-hand pieces: W - border
    std::int16_t bottom = 0;     // top side of the bottom pieces: H - border

    // The layout for a button of this size in pixels, starting from the one it had.
    static FaceLayout fitted(QSize size, FaceLayout before);
};

struct CommandFace {
    Image24 image; // one pixel per pixel of the button
    QRect caption; // where the caption label goes
};

inline constexpr int CaptionHeight = 13; // px, whatever the button's height
// The face pictures' size in pixels; a fresh button has that size too.
inline constexpr QSize FacePictureSize{64, 25};

// The face of a button of this size from one face picture (FacePictureSize), the gradient white
// at the top unless reversed. Edges that would be empty (a button under 8 pixels a side) are
// left out.
CommandFace DrawCommandFace(QSize size, const Image24& picture, bool gradientReversed,
                            const FaceLayout& layout);
inline CommandFace DrawCommandFace(QSize size, const Image24& picture, bool gradientReversed) {
    return DrawCommandFace(size, picture, gradientReversed, FaceLayout::fitted(size, FaceLayout{}));
}

// The picture built into the program for a look (empty if it cannot be read); the pictures are
// read once, on the first call, and every button of the program shares them.
const Image24& LoadFacePicture(FacePicture picture);

} // namespace quillaro

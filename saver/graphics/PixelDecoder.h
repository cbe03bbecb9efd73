// Turns the pixel values of a captured screen area into colours. A true-colour screen packs the
// three channels into each value under bit masks of any width (5-6-5 at depth 16, 8-8-8 at 24,
// 10-10-10 at 30); a palette screen stores an index into its colour table. Kept apart from the
// window system so each layout can be checked with hand-made bytes.
#pragma once

#include "Image24.h"

#include <cstdint>
#include <vector>

namespace quillaro {

// Raw pixel rows as the window system hands them over, top row first.
struct RawPixels {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    int bitsPerPixel = 0;  // 8, 16, 24 or 32
    bool msbFirst = false; // byte order of multi-byte pixel values
};

struct ChannelMasks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
};

class PixelDecoder {
public:
    // Each channel is the value under its mask (contiguous bits) brought to 0..255 so that its
    // largest value becomes 255: channels of up to 8 bits by repeating their bits, as the X
    // server reports such colours; wider ones by rounding to the nearest level.
    static PixelDecoder trueColor(ChannelMasks masks);
    // Each value indexes the table; values past its end come out black.
    static PixelDecoder indexed(std::vector<Rgb> table);

    // The pixels as a 24-bit picture, or the empty picture when the layout is not one of those
    // above or the rows do not fit bytesPerLine.
    Image24 decode(const RawPixels& raw) const;
    // The same into the rows of out from top on, for pixels that come a band of rows at a time;
    // false, with out unchanged, when they do not decode or do not fit there.
    bool decodeInto(const RawPixels& raw, Image24& out, int top) const;

private:
    struct Channel {
        int shift = 0;
        int bits = 0;
        std::uint32_t max = 0; // largest value under the mask once shifted down
    };
    PixelDecoder() = default;
    static Channel channelOf(std::uint32_t mask);
    static std::uint8_t scale(std::uint32_t value, const Channel& channel);
    Rgb colourOf(std::uint32_t value) const;
    bool isPlain888() const;   // 8-8-8, red highest
    bool isSwapped888() const; // 8-8-8, red lowest

    bool indexed_ = false;
    std::vector<Rgb> table_;
    Channel red_, green_, blue_;
    // The colour of every value of 8 or 16 bits, worked out by the first decode of that size.
    mutable std::vector<Rgb> lookup_;
    mutable int lookupBits_ = 0;
};

} // namespace quillaro

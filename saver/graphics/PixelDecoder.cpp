#include "PixelDecoder.h"

#include <bit>

namespace quillaro {
namespace {

std::uint32_t readValue(const std::uint8_t* p, int bytes, bool msbFirst) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        const int shift = msbFirst ? 8 * (bytes - 1 - i) : 8 * i;
        v |= std::uint32_t{p[i]} << shift;
    }
    return v;
}

} // namespace

PixelDecoder PixelDecoder::trueColor(ChannelMasks masks) {
    PixelDecoder d;
    d.red_ = channelOf(masks.red);
    d.green_ = channelOf(masks.green);
    d.blue_ = channelOf(masks.blue);
    return d;
}

PixelDecoder PixelDecoder::indexed(std::vector<Rgb> table) {
    PixelDecoder d;
    d.indexed_ = true;
    d.table_ = std::move(table);
    return d;
}

PixelDecoder::Channel PixelDecoder::channelOf(std::uint32_t mask) {
    if (mask == 0)
        return {};
    const int shift = std::countr_zero(mask);
    return {shift, std::popcount(mask >> shift), mask >> shift};
}

std::uint8_t PixelDecoder::scale(std::uint32_t value, const Channel& channel) {
    if (channel.max == 0)
        return 0;
    const std::uint64_t v = (value >> channel.shift) & channel.max;
    if (channel.bits <= 8) {
        // Repeat the bit pattern to fill eight bits, as the X server itself expands narrow
        // channels when it reports a colour: 5-bit 3 is 0x18, 5-bit 24 is 0xc6, 31 is 0xff.
        std::uint64_t wide = 0;
        int filled = 0;
        for (; filled < 8; filled += channel.bits)
            wide = wide << channel.bits | v;
        return static_cast<std::uint8_t>(wide >> (filled - 8));
    }
    return static_cast<std::uint8_t>((v * 255 + channel.max / 2) / channel.max);
}

Rgb PixelDecoder::colourOf(std::uint32_t value) const {
    if (indexed_)
        return value < table_.size() ? table_[value] : Rgb{};
    return {scale(value, red_), scale(value, green_), scale(value, blue_)};
}

bool PixelDecoder::isPlain888() const {
    return !indexed_ && red_.shift == 16 && red_.max == 0xff && green_.shift == 8 &&
           green_.max == 0xff && blue_.shift == 0 && blue_.max == 0xff;
}

Image24 PixelDecoder::decode(const RawPixels& raw) const {
    if (raw.width <= 0 || raw.height <= 0)
        return {};
    Image24 out(raw.width, raw.height);
    if (out.empty() || !decodeInto(raw, out, 0))
        return {};
    return out;
}

bool PixelDecoder::decodeInto(const RawPixels& raw, Image24& out, int top) const {
    const int bpp = raw.bitsPerPixel;
    if (!raw.data || (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
        return false;
    const int bytes = bpp / 8;
    if (raw.width <= 0 || raw.height <= 0 ||
        static_cast<long long>(raw.bytesPerLine) < static_cast<long long>(raw.width) * bytes)
        return false;
    if (raw.width != out.width() || top < 0 || raw.height > out.height() - top)
        return false;

    if (isPlain888() && bytes >= 3) {
        // The usual screen, 8-8-8 in 24 or 32 bits: the bytes are taken as they lie.
        const int redByte = raw.msbFirst ? bytes - 3 : 2;
        const int greenByte = raw.msbFirst ? bytes - 2 : 1;
        const int blueByte = raw.msbFirst ? bytes - 1 : 0;
        for (int y = 0; y < raw.height; ++y) {
            const std::uint8_t* in = raw.data + static_cast<std::size_t>(y) * raw.bytesPerLine;
            std::uint8_t* o = out.row(top + y);
            for (int x = 0; x < raw.width; ++x, in += bytes, o += Image24::BytesPerPixel) {
                o[0] = in[redByte];
                o[1] = in[greenByte];
                o[2] = in[blueByte];
            }
        }
        return true;
    }

    // Pixels of 8 or 16 bits have few enough values to work out each colour once, and once only
    // for all the bands of a capture.
    if (bytes <= 2 && lookupBits_ != bpp) {
        lookup_.resize(std::size_t{1} << bpp);
        for (std::size_t v = 0; v < lookup_.size(); ++v)
            lookup_[v] = colourOf(static_cast<std::uint32_t>(v));
        lookupBits_ = bpp;
    }
    const std::vector<Rgb>& lookup = lookup_;
    for (int y = 0; y < raw.height; ++y) {
        const std::uint8_t* in = raw.data + static_cast<std::size_t>(y) * raw.bytesPerLine;
        std::uint8_t* o = out.row(top + y);
        for (int x = 0; x < raw.width; ++x, in += bytes, o += Image24::BytesPerPixel) {
            const std::uint32_t value = readValue(in, bytes, raw.msbFirst);
            const Rgb c = bytes <= 2 ? lookup[value] : colourOf(value);
            o[0] = c.red;
            o[1] = c.green;
            o[2] = c.blue;
        }
    }
    return true;
}

} // namespace quillaro

#include "PixelDecoder.h"

#include <bit>
#include <cstring>

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

// A 32-bit pixel as the value it stands for, whatever the host's own byte order.
template <bool MsbFirst> std::uint32_t wordValue(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (MsbFirst != (std::endian::native == std::endian::big))
        v = __builtin_bswap32(v);
    return v;
}

// Bytes in the host's order, so that they land in memory first byte lowest.
void storeLittleEndian(std::uint8_t* p, auto v) {
    if constexpr (std::endian::native == std::endian::big) {
        if constexpr (sizeof v == 8)
            v = __builtin_bswap64(v);
        else
            v = __builtin_bswap32(v);
    }
    std::memcpy(p, &v, sizeof v);
}

// The 8-8-8 screen in 32-bit pixels, red in the high byte of the value or (RedLow) in the low
// one: four pixels a step turn into three whole words, rather than twelve single bytes.
template <bool MsbFirst, bool RedLow>
void decodeWords(const RawPixels& raw, std::uint8_t* out, std::size_t outRowBytes) {
    // The picture's bytes red, green, blue as a number whose lowest byte comes first.
    auto packed = [](const std::uint8_t* p) -> std::uint32_t {
        const std::uint32_t v = wordValue<MsbFirst>(p);
        return RedLow ? v & 0xFFFFFF : __builtin_bswap32(v) >> 8;
    };
    for (int y = 0; y < raw.height; ++y, out += outRowBytes) {
        const std::uint8_t* in = raw.data + static_cast<std::size_t>(y) * raw.bytesPerLine;
        std::uint8_t* o = out;
        int x = 0;
        for (; x + 4 <= raw.width; x += 4, in += 16, o += 12) {
            const std::uint64_t a = packed(in), b = packed(in + 4), c = packed(in + 8);
            const std::uint32_t d = packed(in + 12);
            storeLittleEndian(o, a | b << 24 | c << 48);
            storeLittleEndian(o + 8, static_cast<std::uint32_t>(c >> 16) | d << 8);
        }
        for (; x < raw.width; ++x, in += 4, o += 3) {
            const std::uint32_t v = packed(in);
            o[0] = static_cast<std::uint8_t>(v);
            o[1] = static_cast<std::uint8_t>(v >> 8);
            o[2] = static_cast<std::uint8_t>(v >> 16);
        }
    }
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

bool PixelDecoder::isSwapped888() const {
    return !indexed_ && red_.shift == 0 && red_.max == 0xff && green_.shift == 8 &&
           green_.max == 0xff && blue_.shift == 16 && blue_.max == 0xff;
}

Image24 PixelDecoder::decode(const RawPixels& raw) const {
    if (raw.width <= 0 || raw.height <= 0)
        return {};
    // Every row is decoded into, or the picture is dropped.
    Image24 out = Image24::forOverwrite(raw.width, raw.height);
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

    if (bytes == 4 && (isPlain888() || isSwapped888())) {
        std::uint8_t* o = out.row(top);
        const std::size_t rowBytes = out.rowBytes();
        const bool redLow = isSwapped888();
        if (raw.msbFirst)
            (redLow ? decodeWords<true, true> : decodeWords<true, false>)(raw, o, rowBytes);
        else
            (redLow ? decodeWords<false, true> : decodeWords<false, false>)(raw, o, rowBytes);
        return true;
    }
    if (isPlain888() && bytes == 3) {
        // 8-8-8 packed in 24 bits: the bytes are taken as they lie.
        const int redByte = raw.msbFirst ? 0 : 2;
        const int greenByte = 1;
        const int blueByte = raw.msbFirst ? 2 : 0;
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

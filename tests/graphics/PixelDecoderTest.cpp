// Turning captured pixel values into colours: true-colour masks of several widths and orders,
// both byte orders, padded rows, and colour-table lookups.
#include "graphics/PixelDecoder.h"

#include <gtest/gtest.h>

using quillaro::ChannelMasks;
using quillaro::Image24;
using quillaro::PixelDecoder;
using quillaro::RawPixels;
using quillaro::Rgb;

namespace {

// One row of pixel values stored with the given size and byte order.
std::vector<std::uint8_t> row(const std::vector<std::uint32_t>& values, int bytes, bool msbFirst) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t v : values)
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * (msbFirst ? bytes - 1 - i : i))));
    return out;
}

std::vector<Rgb> decodeRow(const PixelDecoder& decoder, const std::vector<std::uint32_t>& values,
                           int bitsPerPixel, bool msbFirst) {
    const std::vector<std::uint8_t> bytes = row(values, bitsPerPixel / 8, msbFirst);
    const Image24 image = decoder.decode({bytes.data(), static_cast<int>(values.size()), 1,
                                          static_cast<int>(bytes.size()), bitsPerPixel, msbFirst});
    std::vector<Rgb> out;
    for (int x = 0; x < image.width(); ++x)
        out.push_back(image.pixel(x, 0));
    return out;
}

constexpr ChannelMasks Rgb565{0xF800, 0x07E0, 0x001F};
constexpr ChannelMasks Rgb888{0xFF0000, 0x00FF00, 0x0000FF};

} // namespace

TEST(PixelDecoder, Depth16FiveSixFiveScalesEachChannelToFullRangeInBothByteOrders) {
    const auto decoder = PixelDecoder::trueColor(Rgb565);
    // Pure channels, white, black, and the middle values 16/31, 32/63, 16/31.
    const std::vector<std::uint32_t> values = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410};
    const std::vector<Rgb> expected = {{255, 0, 0},     {0, 255, 0}, {0, 0, 255},
                                       {255, 255, 255}, {0, 0, 0},   {132, 130, 132}};
    EXPECT_EQ(decodeRow(decoder, values, 16, false), expected);
    EXPECT_EQ(decodeRow(decoder, values, 16, true), expected);
}

TEST(PixelDecoder, NarrowChannelsRepeatTheirBitsAndWideOnesRoundToTheNearestLevel) {
    const auto d555 = PixelDecoder::trueColor({0x7C00, 0x03E0, 0x001F});
    EXPECT_EQ(decodeRow(d555, {0x4210, 0x7FFF, 0x0421}, 16, false),
              (std::vector<Rgb>{{132, 132, 132}, {255, 255, 255}, {8, 8, 8}}));
    // 3 and 24 of 31 are 24.7 and 197.4 of 255; the X server shows them as 0x18 and 0xc6.
    EXPECT_EQ(decodeRow(d555, {(3u << 10) | (24u << 5) | 31u}, 16, false),
              (std::vector<Rgb>{{0x18, 0xC6, 0xFF}}));

    const auto d30 = PixelDecoder::trueColor({0x3FF00000, 0x000FFC00, 0x000003FF});
    // 1023 -> 255, 512 -> 127.6 -> 128, 3 -> 0.75 -> 1 (rounded, not cut).
    EXPECT_EQ(decodeRow(d30, {(1023u << 20) | (512u << 10) | 3u}, 32, false),
              (std::vector<Rgb>{{255, 128, 1}}));
}

TEST(PixelDecoder, EightBitChannelsIn24And32BitsInBothByteOrders) {
    const auto decoder = PixelDecoder::trueColor(Rgb888);
    const std::vector<std::uint32_t> values = {0x00102030, 0xFFA0B0C0, 0x00FF0001};
    const std::vector<Rgb> expected = {{0x10, 0x20, 0x30}, {0xA0, 0xB0, 0xC0}, {0xFF, 0, 1}};
    for (int bpp : {24, 32}) {
        for (bool msb : {false, true}) {
            SCOPED_TRACE(::testing::Message() << bpp << " bits, msbFirst " << msb);
            EXPECT_EQ(decodeRow(decoder, values, bpp, msb), expected);
        }
    }
}

// The 8-8-8 layouts in 32 bits go four pixels a step: rows of odd lengths with padding after
// them, and a fourth byte that is not black, must still give each pixel the bytes under its masks.
TEST(PixelDecoder, EightBitChannelsIn32BitsOfEveryRowLengthAndPadding) {
    for (const bool redHigh : {true, false})
        for (const bool msb : {false, true})
            for (const int width : {1, 3, 4, 5, 7, 8, 9, 15}) {
                SCOPED_TRACE(::testing::Message() << redHigh << msb << " width " << width);
                const int height = 3, bytesPerLine = width * 4 + 12;
                std::vector<std::uint8_t> bytes(static_cast<std::size_t>(bytesPerLine) * height,
                                                0xEE);
                std::vector<Rgb> expected, seen;
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x) {
                        const std::uint32_t v =
                            0x9E3779B9u * static_cast<std::uint32_t>(y * 64 + x + 1);
                        const std::vector<std::uint8_t> r = row({v}, 4, msb);
                        std::copy(r.begin(), r.end(), bytes.begin() + y * bytesPerLine + x * 4);
                        const auto at = [&](int shift) { return std::uint8_t(v >> shift); };
                        expected.push_back(redHigh ? Rgb{at(16), at(8), at(0)}
                                                   : Rgb{at(0), at(8), at(16)});
                    }
                const auto decoder = PixelDecoder::trueColor(
                    redHigh ? Rgb888 : ChannelMasks{0x0000FF, 0x00FF00, 0xFF0000});
                const Image24 image =
                    decoder.decode({bytes.data(), width, height, bytesPerLine, 32, msb});
                ASSERT_EQ(image.height(), height);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        seen.push_back(image.pixel(x, y));
                EXPECT_EQ(seen, expected);
            }
}

TEST(PixelDecoder, BlueInTheHighBitsIsReadAsBlue) {
    const auto decoder = PixelDecoder::trueColor({0x0000FF, 0x00FF00, 0xFF0000});
    EXPECT_EQ(decodeRow(decoder, {0x00302010}, 32, false), (std::vector<Rgb>{{0x10, 0x20, 0x30}}));
}

TEST(PixelDecoder, ColourTableLooksUpIndicesAndGivesBlackPastItsEnd) {
    const auto decoder = PixelDecoder::indexed({{1, 2, 3}, {250, 0, 7}, {9, 9, 9}});
    EXPECT_EQ(decodeRow(decoder, {1, 0, 2, 3, 255}, 8, false),
              (std::vector<Rgb>{{250, 0, 7}, {1, 2, 3}, {9, 9, 9}, {0, 0, 0}, {0, 0, 0}}));
}

TEST(PixelDecoder, RowPaddingIsSkipped) {
    // Two rows of three 16-bit pixels, each row padded to 8 bytes with bytes that would read
    // as white.
    const std::vector<std::uint8_t> bytes = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF,
                                             0x00, 0x00, 0x1F, 0x00, 0x00, 0xF8, 0xFF, 0xFF};
    const Image24 image =
        PixelDecoder::trueColor(Rgb565).decode({bytes.data(), 3, 2, 8, 16, false});
    ASSERT_EQ(image.width(), 3);
    ASSERT_EQ(image.height(), 2);
    EXPECT_EQ(image.pixel(0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(image.pixel(2, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(image.pixel(0, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(image.pixel(1, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(image.pixel(2, 1), (Rgb{255, 0, 0}));
}

TEST(PixelDecoder, LayoutsItCannotReadGiveTheEmptyPicture) {
    const std::vector<std::uint8_t> bytes(64, 0);
    const auto decoder = PixelDecoder::trueColor(Rgb888);
    EXPECT_TRUE(decoder.decode({bytes.data(), 4, 2, 8, 4, false}).empty());   // 4 bits a pixel
    EXPECT_TRUE(decoder.decode({bytes.data(), 4, 2, 11, 24, false}).empty()); // rows too short
    EXPECT_TRUE(decoder.decode({nullptr, 4, 2, 16, 32, false}).empty());
    EXPECT_TRUE(decoder.decode({bytes.data(), 0, 2, 16, 32, false}).empty());
}

// Bands of rows decode into their place in a larger picture; one that would not fit there is
// refused and the picture stays as it was.
TEST(PixelDecoder, BandsOfRowsGoToTheirPlaceAndNeverPastThePicture) {
    const auto decoder = PixelDecoder::trueColor(Rgb565);
    Image24 picture(2, 3, {9, 9, 9});
    const std::vector<std::uint8_t> band = row({0xF800, 0x001F, 0x07E0, 0xFFFF}, 2, false);
    ASSERT_TRUE(decoder.decodeInto({band.data(), 2, 2, 4, 16, false}, picture, 1));
    EXPECT_EQ(picture.pixel(0, 0), (Rgb{9, 9, 9}));
    EXPECT_EQ(picture.pixel(0, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(picture.pixel(1, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(picture.pixel(0, 2), (Rgb{0, 255, 0}));
    EXPECT_EQ(picture.pixel(1, 2), (Rgb{255, 255, 255}));

    const Image24 before = picture;
    EXPECT_FALSE(decoder.decodeInto({band.data(), 2, 2, 4, 16, false}, picture, 2)); // past it
    EXPECT_FALSE(decoder.decodeInto({band.data(), 2, 2, 4, 16, false}, picture, -1));
    EXPECT_FALSE(decoder.decodeInto({band.data(), 1, 2, 4, 16, false}, picture, 0)); // narrower
    EXPECT_EQ(picture, before);
}

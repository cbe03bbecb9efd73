#include "Bitmap24Loader.h"

#include "TempDir.h"
#include "common/Bmp24.h"
#include "common/Bmp24Writer.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using quillaro::decodeBitmap24;
using quillaro::loadBitmap24;
using quillaro::LoadedPicture;
using quillaro::test::TempDir;
namespace bmp24 = quillaro::bmp24;

namespace {

// A picture whose every pixel has its own colour, top row first.
std::vector<std::uint8_t> patternRgb(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> rgb;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            rgb.push_back(static_cast<std::uint8_t>(x * 7 + y));
            rgb.push_back(static_cast<std::uint8_t>(y * 13 + 1));
            rgb.push_back(static_cast<std::uint8_t>(x + y * 3 + 200));
        }
    return rgb;
}

std::vector<std::uint8_t> patternFile(std::uint32_t width, std::uint32_t height) {
    return bmp24::encode(width, height, patternRgb(width, height));
}

// Every output record must be the file's pixel with its channels in red-green-blue order,
// rows bottom-up and packed without padding.
void expectPattern(const LoadedPicture& picture, std::uint32_t width, std::uint32_t height) {
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    ASSERT_EQ(picture.pixels.size(), std::size_t{width} * height);
    auto rgb = patternRgb(width, height);
    for (std::uint32_t r = 0; r < height; ++r)
        for (std::uint32_t c = 0; c < width; ++c) {
            const auto& got = picture.pixels[std::size_t{r} * width + c];
            const std::uint8_t* want = rgb.data() + (std::size_t{height - 1 - r} * width + c) * 3;
            ASSERT_EQ(got.red, want[0]) << "row " << r << " column " << c;
            ASSERT_EQ(got.green, want[1]) << "row " << r << " column " << c;
            ASSERT_EQ(got.blue, want[2]) << "row " << r << " column " << c;
        }
}

class LoadBitmap24 : public ::testing::Test {
protected:
    std::filesystem::path write(const std::vector<std::uint8_t>& bytes) {
        auto path = dir_ / ("picture" + std::to_string(count_++) + ".bmp");
        EXPECT_TRUE(bmp24::writeFile(path, bytes));
        return path;
    }
    std::optional<LoadedPicture> load(const std::vector<std::uint8_t>& bytes) {
        auto fromFile = loadBitmap24(write(bytes));
        auto fromMemory = decodeBitmap24(bytes);
        EXPECT_EQ(fromFile.has_value(), fromMemory.has_value()) << "file and memory disagree";
        return fromFile;
    }
    TempDir dir_;
    int count_ = 0;
};

} // namespace

TEST_F(LoadBitmap24, NarrowWidthsSkipRowPaddingAndPackOutputRows) {
    // Width 1: 3 pixel bytes and 1 padding byte a row; width 3: 9 and 3.
    EXPECT_EQ(bmp24::stride(1), 4u);
    EXPECT_EQ(bmp24::stride(3), 12u);
    for (std::uint32_t width : {1u, 2u, 3u, 5u, 7u}) {
        auto picture = load(patternFile(width, 4));
        ASSERT_TRUE(picture) << "width " << width;
        expectPattern(*picture, width, 4);
    }
}

TEST_F(LoadBitmap24, ScreenSizedCaptureLoads) {
    auto file = patternFile(1024, 768);
    EXPECT_EQ(file.size(), 2359350u);
    auto picture = load(file);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixels.size(), 786432u);
    expectPattern(*picture, 1024, 768);
}

TEST_F(LoadBitmap24, FirstOutputPixelIsBottomLeftInRgbOrder) {
    // 2 x 2: top row red, green; bottom row blue, white-ish.
    std::vector<std::uint8_t> rgb = {255, 0, 0, 0, 255, 0, 10, 20, 30, 40, 50, 60};
    auto picture = load(bmp24::encode(2, 2, rgb));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixels[0].red, 10);
    EXPECT_EQ(picture->pixels[0].green, 20);
    EXPECT_EQ(picture->pixels[0].blue, 30);
    EXPECT_EQ(picture->pixels[3].red, 0);
    EXPECT_EQ(picture->pixels[3].green, 255);
}

TEST_F(LoadBitmap24, IgnoresSignatureSizesAndPixelOffset) {
    auto file = patternFile(5, 3);
    file[0] = 'X';
    file[1] = 'Y';
    bmp24::writeLe32(file.data() + bmp24::OffFileSize, 7);
    bmp24::writeLe32(file.data() + bmp24::OffImageSize, 123456);
    auto picture = load(file);
    ASSERT_TRUE(picture);
    expectPattern(*picture, 5, 3);
}

TEST_F(LoadBitmap24, RowsAlwaysStartAtByte54) {
    // A writer that put a colour table first: the header says the rows start later, but the
    // loader reads from 54, so the table's bytes show up as the first pixels.
    auto file = patternFile(4, 2);
    bmp24::writeLe32(file.data() + bmp24::OffPixelOffset, 54 + 6);
    bmp24::writeLe32(file.data() + bmp24::OffInfoSize, 46);
    std::vector<std::uint8_t> table = {1, 2, 3, 4, 5, 6};
    file.insert(file.begin() + 54, table.begin(), table.end());
    auto picture = load(file);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixels[0].red, 3);
    EXPECT_EQ(picture->pixels[0].green, 2);
    EXPECT_EQ(picture->pixels[0].blue, 1);
    EXPECT_EQ(picture->pixels[1].red, 6);
}

TEST_F(LoadBitmap24, RefusesOtherDepthsAndAnyCompression) {
    for (std::uint16_t bits : {1, 4, 8, 16, 32, 0}) {
        auto file = patternFile(4, 4);
        bmp24::writeLe16(file.data() + bmp24::OffBitsPerPixel, bits);
        EXPECT_FALSE(load(file)) << bits << " bits";
    }
    for (std::uint32_t compression : {1u, 2u, 3u, 4u, 5u, 0x80000000u}) {
        auto file = patternFile(4, 4);
        bmp24::writeLe32(file.data() + bmp24::OffCompression, compression);
        EXPECT_FALSE(load(file)) << "compression " << compression;
    }
}

TEST_F(LoadBitmap24, RefusesFilesShorterThanTheirRows) {
    auto file = patternFile(3, 5); // stride 12: 54 + 60 bytes
    ASSERT_EQ(file.size(), 114u);
    auto exact = file;
    EXPECT_TRUE(load(exact));
    // The padding of the last row counts too: a file cut there would be read past its end.
    file.pop_back();
    EXPECT_FALSE(load(file));
    file.resize(60);
    EXPECT_FALSE(load(file));
    file.resize(53); // not even a whole header
    EXPECT_FALSE(load(file));
    EXPECT_FALSE(load({}));
    // Extra bytes after the rows do no harm.
    exact.insert(exact.end(), 100, 0xEE);
    auto picture = load(exact);
    ASSERT_TRUE(picture);
    expectPattern(*picture, 3, 5);
}

TEST_F(LoadBitmap24, RefusesTopDownAndEmptyPictures) {
    for (std::int32_t height : {-1, -5, 0, INT32_MIN}) {
        auto file = patternFile(4, 5);
        bmp24::writeLe32(file.data() + bmp24::OffHeight, static_cast<std::uint32_t>(height));
        EXPECT_FALSE(load(file)) << "height " << height;
    }
    auto file = patternFile(4, 5);
    bmp24::writeLe32(file.data() + bmp24::OffWidth, 0);
    EXPECT_FALSE(load(file));
}

TEST_F(LoadBitmap24, RefusesSizesWhoseBuffersWouldOverflow) {
    // Each of these would wrap a 32-bit size computation, or ask for an absurd reservation,
    // if taken at face value; the file holds only a few rows.
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
        {0xFFFFFFFFu, 0x7FFFFFFFu},
        {0x80000000u, 2},
        {0x55555556u, 3},
        {65536, 65536},
        {1, 0x7FFFFFFFu},
        {bmp24::MaxSide + 1, 1},
        {1, bmp24::MaxSide + 1},
        {bmp24::MaxSide, bmp24::MaxSide},
        {8192, 4097}}; // more pixels than any hand-off picture may have
    for (auto [width, height] : sizes) {
        auto file = patternFile(8, 8);
        bmp24::writeLe32(file.data() + bmp24::OffWidth, width);
        bmp24::writeLe32(file.data() + bmp24::OffHeight, height);
        EXPECT_FALSE(load(file)) << width << " x " << height;
    }
}

TEST_F(LoadBitmap24, SparseFileOfAHugePictureIsRefusedWithoutReservingItsSize) {
    // A few kilobytes on disk that claim gigabytes: the header's size and the file's length
    // agree, so only the size limit stands between the loader and a failed reservation.
    auto file = patternFile(8, 8);
    bmp24::writeLe32(file.data() + bmp24::OffWidth, bmp24::MaxSide);
    bmp24::writeLe32(file.data() + bmp24::OffHeight, bmp24::MaxSide);
    auto path = dir_ / "sparse.bmp";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), bmp24::PixelOffset);
    }
    std::filesystem::resize_file(path, bmp24::PixelOffset +
                                           bmp24::stride(bmp24::MaxSide) * bmp24::MaxSide);
    EXPECT_FALSE(loadBitmap24(path));
}

TEST_F(LoadBitmap24, LargestAllowedPictureLoads) {
    const std::uint32_t width = 8192, height = 4096; // exactly the pixel limit
    std::vector<std::uint8_t> rgb(std::size_t{width} * height * 3, 0x5A);
    auto path = dir_ / "largest.bmp";
    ASSERT_TRUE(bmp24::writeFile(path, bmp24::encode(width, height, rgb)));
    auto picture = loadBitmap24(path);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixels.size(), std::size_t{width} * height);
    EXPECT_EQ(picture->pixels.back().green, 0x5A);
}

TEST_F(LoadBitmap24, RefusesWhatIsNotARegularFile) {
    EXPECT_FALSE(loadBitmap24(dir_ / "missing.bmp"));
    EXPECT_FALSE(loadBitmap24(dir_.path()));
    // A FIFO nobody writes to must not stall the loader.
    auto fifo = dir_ / "fifo.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(loadBitmap24(fifo));
    // A link to a device with endless bytes is not read either.
    auto link = dir_ / "zero.bmp";
    std::filesystem::create_symlink("/dev/zero", link);
    EXPECT_FALSE(loadBitmap24(link));
}

TEST_F(LoadBitmap24, FollowsALinkToAPicture) {
    auto target = write(patternFile(6, 2));
    auto link = dir_ / "link.bmp";
    std::filesystem::create_symlink(target, link);
    auto picture = loadBitmap24(link);
    ASSERT_TRUE(picture);
    expectPattern(*picture, 6, 2);
}

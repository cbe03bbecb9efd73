// Loading the user's picture file: BMP, JPEG, PNG and GIF made here with Qt, a phone photo's
// orientation tag, pictures beyond the size limits, and files that are missing, corrupt, or
// announce a size meant to exhaust memory.
#include "graphics/PictureFile.h"

#include "FileText.h"
#include "JpegOrientation.h"
#include "TempDir.h"

#include <QImage>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using quillaro::Image24;
using quillaro::loadPictureFile;
using quillaro::Rgb;
using quillaro::test::TempDir;
namespace fs = std::filesystem;

using quillaro::test::readFile;
using quillaro::test::withOrientation;
using quillaro::test::writeFile;

namespace {

// Four flat quarters, so that even a JPEG keeps each quarter's colour near its middle.
constexpr Rgb TopLeft{200, 30, 40}, TopRight{20, 180, 60}, BottomLeft{30, 40, 210},
    BottomRight{240, 230, 20};

QImage quarters(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = y < height / 2 ? (x < width / 2 ? TopLeft : TopRight)
                                         : (x < width / 2 ? BottomLeft : BottomRight);
            image.setPixel(x, y, qRgb(c.red, c.green, c.blue));
        }
    }
    return image;
}

// A 24-bit BMP header announcing width x height, followed by only a few pixel bytes.
std::string bmpHeaderOnly(std::uint32_t width, std::uint32_t height) {
    std::string b(54 + 16, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = 24;
    return b;
}

int distance(Rgb a, Rgb b) {
    return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
}

} // namespace

TEST(PictureFile, BmpLoadsPixelForPixelTopRowFirst) {
    TempDir dir;
    const QImage made = quarters(37, 21); // odd width: rows are padded in the file
    ASSERT_TRUE(made.save(QString::fromStdString((dir / "p.bmp").string()), "BMP"));
    const auto loaded = loadPictureFile(dir / "p.bmp");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->width(), 37);
    ASSERT_EQ(loaded->height(), 21);
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 37; ++x) {
            const QRgb c = made.pixel(x, y);
            ASSERT_EQ(loaded->pixel(x, y),
                      (Rgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                           static_cast<std::uint8_t>(qBlue(c))}))
                << x << "," << y;
        }
    }
}

TEST(PictureFile, JpegLoadsAtItsSizeWithItsColoursWhateverItsName) {
    TempDir dir;
    ASSERT_TRUE(
        quarters(640, 480).save(QString::fromStdString((dir / "p.jpg").string()), "JPEG", 95));
    // The content decides, as with a picture saved under the wrong extension.
    fs::copy_file(dir / "p.jpg", dir / "named-like-a.bmp");
    for (const char* name : {"p.jpg", "named-like-a.bmp"}) {
        SCOPED_TRACE(name);
        const auto loaded = loadPictureFile(dir / name);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->width(), 640);
        EXPECT_EQ(loaded->height(), 480);
        EXPECT_LE(distance(loaded->pixel(160, 120), TopLeft), 12);
        EXPECT_LE(distance(loaded->pixel(480, 120), TopRight), 12);
        EXPECT_LE(distance(loaded->pixel(160, 360), BottomLeft), 12);
        EXPECT_LE(distance(loaded->pixel(480, 360), BottomRight), 12);
    }
}

TEST(PictureFile, MissingEmptyCorruptAndFolderPathsGiveNothing) {
    TempDir dir;
    EXPECT_FALSE(loadPictureFile(dir / "vanished.jpg"));
    EXPECT_FALSE(loadPictureFile(""));
    EXPECT_FALSE(loadPictureFile(dir.path()));
    writeFile(dir / "empty.bmp", "");
    EXPECT_FALSE(loadPictureFile(dir / "empty.bmp"));
    writeFile(dir / "noise.jpg", std::string(4096, '\x5a'));
    EXPECT_FALSE(loadPictureFile(dir / "noise.jpg"));
    // A real JPEG cut after its header: the decoder has nothing to decode.
    ASSERT_TRUE(
        quarters(64, 64).save(QString::fromStdString((dir / "whole.jpg").string()), "JPEG"));
    writeFile(dir / "cut.jpg", readFile(dir / "whole.jpg").substr(0, 20));
    EXPECT_FALSE(loadPictureFile(dir / "cut.jpg"));
}

TEST(PictureFile, APngLoadsWithItsTransparentPartsBlack) {
    TempDir dir;
    QImage made = quarters(8, 8).convertToFormat(QImage::Format_ARGB32);
    made.setPixel(1, 1, qRgba(250, 250, 250, 0)); // fully transparent, whatever its colour
    made.setPixel(6, 1, qRgba(200, 100, 0, 128)); // half transparent
    ASSERT_TRUE(made.save(QString::fromStdString((dir / "p.png").string()), "PNG"));
    const auto loaded = loadPictureFile(dir / "p.png");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->width(), 8);
    EXPECT_EQ(loaded->pixel(1, 1), (Rgb{0, 0, 0}));
    EXPECT_LE(distance(loaded->pixel(6, 1), Rgb{100, 50, 0}), 3);
    EXPECT_EQ(loaded->pixel(2, 2), TopLeft);
    EXPECT_EQ(loaded->pixel(6, 6), BottomRight);
}

TEST(PictureFile, AJpegLiesAsItsOrientationTagSays) {
    TempDir dir;
    ASSERT_TRUE(
        quarters(64, 48).save(QString::fromStdString((dir / "flat.jpg").string()), "JPEG", 95));
    // The camera was turned a quarter clockwise: the stored picture must be turned that way.
    writeFile(dir / "phone.jpg", withOrientation(readFile(dir / "flat.jpg"), 6));
    const auto loaded = loadPictureFile(dir / "phone.jpg");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->width(), 48);
    ASSERT_EQ(loaded->height(), 64);
    // The stored top-left quarter is now top-right, the bottom-left now top-left.
    EXPECT_LE(distance(loaded->pixel(36, 16), TopLeft), 12);
    EXPECT_LE(distance(loaded->pixel(12, 16), BottomLeft), 12);
    EXPECT_LE(distance(loaded->pixel(36, 48), TopRight), 12);
}

TEST(PictureFile, PicturesBeyondTheLimitsAreScaledDownWithTheirAspect) {
    using quillaro::fittedPictureSize;
    using quillaro::PictureSize;
    EXPECT_EQ(fittedPictureSize(4096, 4096), (PictureSize{4096, 4096}));
    EXPECT_EQ(fittedPictureSize(4096, 2), (PictureSize{4096, 2}));
    EXPECT_EQ(fittedPictureSize(8000, 6000), (PictureSize{4096, 3072})); // 48 megapixels
    EXPECT_EQ(fittedPictureSize(5504, 8256), (PictureSize{2730, 4096})); // upright
    EXPECT_EQ(fittedPictureSize(20000, 100), (PictureSize{4096, 20}));
    EXPECT_EQ(fittedPictureSize(1, 100000), (PictureSize{1, 4096}));
    EXPECT_EQ(fittedPictureSize(0, 5), PictureSize{});

    // Both ways of getting there: a JPEG decoded small straight away, a BMP decoded and scaled.
    TempDir dir;
    const QImage wide = quarters(20000, 100);
    for (const char* format : {"JPEG", "BMP"}) {
        SCOPED_TRACE(format);
        const fs::path file = dir / (std::string("wide.") + format);
        ASSERT_TRUE(wide.save(QString::fromStdString(file.string()), format));
        const auto loaded = loadPictureFile(file);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->width(), 4096);
        EXPECT_EQ(loaded->height(), 20);
        EXPECT_LE(distance(loaded->pixel(1000, 3), TopLeft), 16);
        EXPECT_LE(distance(loaded->pixel(3000, 16), BottomRight), 16);
    }
}

TEST(PictureFile, HeadersAnnouncingHugePicturesGiveNothing) {
    TempDir dir;
    // Each would need gigabytes once decoded, beyond any real photograph; the files themselves
    // are 70 bytes, and the reader must refuse them instead of trying to allocate.
    writeFile(dir / "square.bmp", bmpHeaderOnly(20000, 20000));
    writeFile(dir / "vast.bmp", bmpHeaderOnly(100000, 100000));
    writeFile(dir / "negative.bmp", bmpHeaderOnly(0xFFFFFFFFu, 0x80000000u));
    for (const char* name : {"square.bmp", "vast.bmp", "negative.bmp"})
        EXPECT_FALSE(loadPictureFile(dir / name)) << name;
}

TEST(PictureFile, APictureAtTheSideLimitStillLoads) {
    TempDir dir;
    const QImage made = quarters(quillaro::MaxPictureFileSide, 2);
    ASSERT_TRUE(made.save(QString::fromStdString((dir / "long.bmp").string()), "BMP"));
    const auto loaded = loadPictureFile(dir / "long.bmp");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->width(), quillaro::MaxPictureFileSide);
    EXPECT_EQ(loaded->height(), 2);
}

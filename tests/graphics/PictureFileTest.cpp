// Loading the user's picture file: BMP and JPEG made here with Qt, and files that are missing,
// corrupt, of another kind, or announce a size meant to exhaust memory.
#include "graphics/PictureFile.h"

#include "FileText.h"
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
    const std::optional<Image24> loaded = loadPictureFile(dir / "p.bmp");
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
        const std::optional<Image24> loaded = loadPictureFile(dir / name);
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

TEST(PictureFile, OtherKindsOfPictureAreNotTaken) {
    TempDir dir;
    ASSERT_TRUE(quarters(8, 8).save(QString::fromStdString((dir / "p.png").string()), "PNG"));
    EXPECT_FALSE(loadPictureFile(dir / "p.png"));
}

TEST(PictureFile, HeadersAnnouncingHugePicturesAreRefusedBeforeDecoding) {
    TempDir dir;
    // Each would need gigabytes once decoded; the files themselves are 70 bytes.
    writeFile(dir / "wide.bmp", bmpHeaderOnly(16385, 1));
    writeFile(dir / "many.bmp", bmpHeaderOnly(8000, 5000));
    writeFile(dir / "vast.bmp", bmpHeaderOnly(100000, 100000));
    writeFile(dir / "negative.bmp", bmpHeaderOnly(0xFFFFFFFFu, 0x80000000u));
    for (const char* name : {"wide.bmp", "many.bmp", "vast.bmp", "negative.bmp"})
        EXPECT_FALSE(loadPictureFile(dir / name)) << name;
}

TEST(PictureFile, APictureAtTheSideLimitStillLoads) {
    TempDir dir;
    const QImage made = quarters(quillaro::MaxPictureFileSide, 2);
    ASSERT_TRUE(made.save(QString::fromStdString((dir / "long.bmp").string()), "BMP"));
    const std::optional<Image24> loaded = loadPictureFile(dir / "long.bmp");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->width(), quillaro::MaxPictureFileSide);
    EXPECT_EQ(loaded->height(), 2);
}

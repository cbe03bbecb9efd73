// The hand-off writer: exact header and padding bytes, bottom-up BGR rows, atomic replacement,
// and clean failures that keep the earlier file.
#include "graphics/Bmp24Saver.h"

#include "Bitmap24Loader.h"
#include "FileText.h"
#include "TempDir.h"

#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using quillaro::Image24;
using quillaro::Rgb;
using quillaro::saveBmp24;
using quillaro::test::TempDir;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> readBytes(const fs::path& path) {
    const std::string bytes = quillaro::test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

// Reads a file back through the renderer's own loader and turns its bottom-up records into a
// top-down picture; nothing when the renderer would refuse the file.
std::optional<Image24> readHandoff(const std::vector<std::uint8_t>& b) {
    const auto loaded = quillaro::decodeBitmap24(b);
    if (!loaded)
        return std::nullopt;
    const int width = static_cast<int>(loaded->width);
    const int height = static_cast<int>(loaded->height);
    Image24 image(width, height);
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; ++x) {
            const quillaro::RgbPixel& p = loaded->pixels[static_cast<std::size_t>(r) * width + x];
            image.setPixel(x, height - 1 - r, {p.red, p.green, p.blue});
        }
    return image;
}

Image24 gradient(int width, int height, std::uint8_t seed = 0) {
    Image24 image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           {static_cast<std::uint8_t>(x * 37 + seed),
                            static_cast<std::uint8_t>(y * 91 + seed),
                            static_cast<std::uint8_t>((x ^ y) + 5 + seed)});
    return image;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Runs body in a child process and returns its exit code; when the test runs as root the child
// first becomes an ordinary user, for whom folder permissions count.
int inChild(const std::function<bool()>& body, bool asOrdinaryUser) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (asOrdinaryUser && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

// Rows are converted several pixels a step: every short length around a step's edge must keep
// each pixel where it was, with nothing but zeros in the padding.
TEST(Bmp24Saver, HeaderAndPaddingBytesAreExactForEveryRowLength) {
    struct Case {
        int width, height;
        std::uint32_t stride;
        std::uint8_t seed;
    };
    std::vector<Case> cases = {
        {1, 2, 4, 0}, {2, 3, 8, 0}, {3, 1, 12, 0}, {4, 2, 12, 0}, {1024, 768, 3072, 0}};
    for (int width = 1; width <= 23; ++width)
        cases.push_back({width, 3, (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4,
                         static_cast<std::uint8_t>(width)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        TempDir dir;
        const Image24 image = gradient(c.width, c.height, c.seed);
        ASSERT_TRUE(saveBmp24(image, dir / "Lumivane.bmp"));
        const std::vector<std::uint8_t> b = readBytes(dir / "Lumivane.bmp");
        const std::uint32_t imageSize = c.stride * static_cast<std::uint32_t>(c.height);
        ASSERT_EQ(b.size(), 54 + imageSize);

        std::vector<std::uint8_t> expected = {'B', 'M'};
        auto put32 = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                expected.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        put32(54 + imageSize); // file size
        put32(0);              // reserved
        put32(54);             // pixel offset
        put32(40);             // information header size
        put32(static_cast<std::uint32_t>(c.width));
        put32(static_cast<std::uint32_t>(c.height));    // positive: bottom-up
        expected.insert(expected.end(), {1, 0, 24, 0}); // planes, bits per pixel
        put32(0);                                       // no compression
        put32(imageSize);
        put32(2835);            // 72 dpi across
        put32(2835);            // and down
        expected.resize(54, 0); // colour counts
        EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 54), expected);

        for (int r = 0; r < c.height; ++r)
            for (std::uint32_t p = static_cast<std::uint32_t>(c.width) * 3; p < c.stride; ++p)
                ASSERT_EQ(b[54 + r * c.stride + p], 0) << "padding of row " << r;
        const std::optional<Image24> back = readHandoff(b);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, image);
    }
}

TEST(Bmp24Saver, FirstStoredRowIsTheBottomRowInBlueGreenRedOrder) {
    Image24 image(2, 2, {0, 0, 0});
    image.setPixel(0, 0, {0x11, 0x12, 0x13}); // top left
    image.setPixel(0, 1, {0xA1, 0xA2, 0xA3}); // bottom left
    image.setPixel(1, 1, {0xB1, 0xB2, 0xB3}); // bottom right
    TempDir dir;
    ASSERT_TRUE(saveBmp24(image, dir / "p.bmp"));
    const std::vector<std::uint8_t> b = readBytes(dir / "p.bmp");
    ASSERT_EQ(b.size(), 54u + 2 * 8);
    const std::vector<std::uint8_t> bottomRow(b.begin() + 54, b.begin() + 62);
    EXPECT_EQ(bottomRow, (std::vector<std::uint8_t>{0xA3, 0xA2, 0xA1, 0xB3, 0xB2, 0xB1, 0, 0}));
    const std::vector<std::uint8_t> topRow(b.begin() + 62, b.end());
    EXPECT_EQ(topRow, (std::vector<std::uint8_t>{0x13, 0x12, 0x11, 0, 0, 0, 0, 0}));
}

TEST(Bmp24Saver, AReaderAlwaysSeesTheOldOrTheNewPictureWholeAndNoTemporaryStays) {
    TempDir dir;
    const fs::path target = dir / "Lumivane.bmp";
    const Image24 first = gradient(1024, 768, 0);
    const Image24 second = gradient(1024, 768, 100);
    ASSERT_TRUE(saveBmp24(first, target));

    std::atomic<bool> done{false};
    std::atomic<int> reads{0}, torn{0};
    std::thread reader([&] {
        while (!done) {
            const std::optional<Image24> seen = readHandoff(readBytes(target));
            if (!seen || (*seen != first && *seen != second))
                ++torn;
            ++reads;
        }
    });
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(saveBmp24(i % 2 ? second : first, target));
    // Let the reader look at the final file at least once as well.
    const int before = reads.load();
    while (reads.load() < before + 2)
        std::this_thread::yield();
    done = true;
    reader.join();

    EXPECT_EQ(torn.load(), 0) << "of " << reads.load() << " reads";
    EXPECT_EQ(readHandoff(readBytes(target)), second);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Lumivane.bmp"});
}

TEST(Bmp24Saver, UnwritableFolderFailsAndKeepsTheOldFile) {
    TempDir dir;
    const fs::path folder = dir / "locked";
    fs::create_directory(folder);
    const fs::path target = folder / "Lumivane.bmp";
    ASSERT_TRUE(saveBmp24(gradient(3, 3), target));
    const std::vector<std::uint8_t> old = readBytes(target);
    chmod(dir.path().c_str(), 0755);
    chmod(folder.c_str(), 0555);

    const int code = inChild([&] { return saveBmp24(gradient(5, 5, 9), target).ok(); }, true);
    chmod(folder.c_str(), 0755);
    if (code == 3)
        GTEST_SKIP() << "cannot become an ordinary user to be refused by the folder";
    EXPECT_EQ(code, 1) << "the write was reported as done";
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"Lumivane.bmp"});
}

TEST(Bmp24Saver, FailingHalfwayKeepsTheOldFileAndRemovesTheTemporary) {
    TempDir dir;
    const fs::path target = dir / "Lumivane.bmp";
    ASSERT_TRUE(saveBmp24(gradient(3, 3), target));
    const std::vector<std::uint8_t> old = readBytes(target);

    // A file size limit makes the writes fail part of the way through, as a full disk would.
    const int code = inChild(
        [&] {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{100000, 100000};
            setrlimit(RLIMIT_FSIZE, &limit);
            return saveBmp24(gradient(400, 300), target).ok();
        },
        false);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Lumivane.bmp"});
}

TEST(Bmp24Saver, MissingFolderAndEmptyPictureFailCleanly) {
    TempDir dir;
    EXPECT_FALSE(saveBmp24(gradient(2, 2), dir / "no-such-folder" / "Lumivane.bmp"));
    EXPECT_FALSE(saveBmp24(Image24(), dir / "Lumivane.bmp"));
    EXPECT_FALSE(saveBmp24(gradient(2, 2), dir.path() / ""));
    EXPECT_TRUE(namesIn(dir.path()).empty());

    // Something other than a file in the picture's place stays where it is.
    fs::create_directory(dir / "Lumivane.bmp");
    EXPECT_FALSE(saveBmp24(gradient(2, 2), dir / "Lumivane.bmp"));
    EXPECT_TRUE(fs::is_directory(dir / "Lumivane.bmp"));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Lumivane.bmp"});
}

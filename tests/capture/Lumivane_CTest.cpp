// Screen capture on private Xvfb servers: known content drawn on the root window must come back
// pixel for pixel as an independent capture sees it, through shared memory and through the plain
// image request, on true-colour screens of depth 24 and 16 and on a 256-colour palette screen.
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>
// Xlib after GoogleTest: Xlib's macro None would break GoogleTest's own headers.
#include "XvfbServer.h"
#include "capture/Lumivane_C.h"
#include "common/PrimaryMonitor.h"
#include "platform/XConnection.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

// quillaro::Picture is always named in full: Xrandr's headers bring X's own Picture.
using quillaro::CaptureMethod;
using quillaro::captureRootArea;
using quillaro::GrabDesktop;
using quillaro::GrabWindowArea;
using quillaro::Image24;
using quillaro::PixelsFromTwips;
using quillaro::primaryMonitorArea;
using quillaro::PrimaryScreenTwips;
using quillaro::Rgb;
using quillaro::ScreenArea;
using quillaro::TwipsPerPixel;
using quillaro::XConnection;
using quillaro::test::RgbImage;
using quillaro::test::XvfbServer;

namespace {

std::uint8_t eightBits(unsigned short channel) {
    return static_cast<std::uint8_t>((channel * 255u + 32767u) / 65535u);
}

struct Colour {
    unsigned short red, green, blue; // 16 bits a channel, as X takes them
};

// Allocates the colour in the screen's colormap; what the server actually gives (rounded to the
// screen's channel widths) comes back in shown, as the nearest 8-bit levels.
unsigned long allocate(Display* d, Colour c, Rgb* shown = nullptr) {
    XColor x{};
    x.red = c.red;
    x.green = c.green;
    x.blue = c.blue;
    if (!XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &x))
        throw std::runtime_error("XAllocColor failed");
    if (shown)
        *shown = {eightBits(x.red), eightBits(x.green), eightBits(x.blue)};
    return x.pixel;
}

void fill(Display* d, unsigned long pixel, int x, int y, int w, int h) {
    const Window root = DefaultRootWindow(d);
    GC gc = XCreateGC(d, root, 0, nullptr);
    XSetForeground(d, gc, pixel);
    XFillRectangle(d, root, gc, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFreeGC(d, gc);
}

// Paints the whole root with something that no mirroring, shift or channel swap leaves alone:
// a grey ground, uneven stripes of many colours, and single marked pixels at the four corners.
void paintDesktop(Display* d) {
    const int w = DisplayWidth(d, DefaultScreen(d));
    const int h = DisplayHeight(d, DefaultScreen(d));
    fill(d, allocate(d, {0x6000, 0x6400, 0x6800}), 0, 0, w, h);
    int x = 3;
    for (int i = 0; x < w; ++i) {
        const Colour c{static_cast<unsigned short>((i * 0x2300) & 0xffff),
                       static_cast<unsigned short>((0xffff - i * 0x1700) & 0xffff),
                       static_cast<unsigned short>((i * 0x5100 + 0x4000) & 0xffff)};
        const int width = 5 + (i * 7) % 23;
        fill(d, allocate(d, c), x, (i * 13) % (h / 3), width, h / 2 + (i * 29) % (h / 3));
        x += width + 2;
    }
    fill(d, allocate(d, {0xffff, 0, 0}), 0, 0, 1, 1);
    fill(d, allocate(d, {0, 0xffff, 0}), w - 1, 0, 1, 1);
    fill(d, allocate(d, {0, 0, 0xffff}), 0, h - 1, 1, 1);
    fill(d, allocate(d, {0xffff, 0xffff, 0xffff}), w - 1, h - 1, 1, 1);
    XSync(d, False);
}

RgbImage crop(const RgbImage& image, int x, int y, int w, int h) {
    RgbImage out;
    out.width = w;
    out.height = h;
    for (int row = y; row < y + h; ++row) {
        const std::uint8_t* p = image.at(x, row);
        out.rgb.insert(out.rgb.end(), p, p + static_cast<std::size_t>(w) * 3);
    }
    return out;
}

// Pixel for pixel; on a mismatch names the first pixel that differs.
::testing::AssertionResult samePixels(const Image24& got, const RgbImage& want) {
    if (got.width() != want.width || got.height() != want.height)
        return ::testing::AssertionFailure() << "size " << got.width() << "x" << got.height()
                                             << ", expected " << want.width << "x" << want.height;
    for (int y = 0; y < want.height; ++y) {
        for (int x = 0; x < want.width; ++x) {
            const std::uint8_t* w = want.at(x, y);
            const Rgb g = got.pixel(x, y);
            if (g != Rgb{w[0], w[1], w[2]})
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << int(g.red) << "/" << int(g.green)
                       << "/" << int(g.blue) << ", expected " << int(w[0]) << "/" << int(w[1])
                       << "/" << int(w[2]);
        }
    }
    return ::testing::AssertionSuccess();
}

XConnection connect(const XvfbServer& server) {
    auto connection = XConnection::open(server.display().c_str());
    if (!connection)
        throw std::runtime_error("cannot connect to " + server.display());
    return std::move(*connection);
}

// Shared-memory segments this process created that still exist.
int segmentsOfThisProcess() {
    std::ifstream in("/proc/sysvipc/shm");
    std::string line;
    std::getline(in, line); // column names
    int count = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        long key = 0, shmid = 0, perms = 0, size = 0, cpid = 0;
        fields >> key >> shmid >> perms >> size >> cpid;
        if (cpid == getpid())
            ++count;
    }
    return count;
}

} // namespace

namespace quillaro {
void PrintTo(const ScreenArea& area, std::ostream* out) {
    *out << area.width << "x" << area.height << "+" << area.x << "+" << area.y;
}
} // namespace quillaro

namespace {

// Adds a monitor of the area to the server's RandR list, marked primary or not.
// The screen Qt takes as its primary one on the server.
ScreenArea toolkitPrimaryScreen(const XvfbServer& server) {
    const char* before = std::getenv("DISPLAY");
    const std::string display = before ? before : "";
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    ScreenArea area;
    {
        int argc = 1;
        char name[] = "Lumivane_CTest";
        char* argv[] = {name, nullptr};
        QGuiApplication app(argc, argv);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        area = {screen.x(), screen.y(), screen.width(), screen.height()};
    }
    if (before)
        setenv("DISPLAY", display.c_str(), 1);
    else
        unsetenv("DISPLAY");
    return area;
}

} // namespace

TEST(PixelsFromTwips, TruncatesLikeTheToolkitsIntegerDivision) {
    EXPECT_EQ(PixelsFromTwips(15360, TwipsPerPixel), 1024);
    EXPECT_EQ(PixelsFromTwips(15374, TwipsPerPixel), 1024);
    EXPECT_EQ(PixelsFromTwips(15375, TwipsPerPixel), 1025);
    EXPECT_EQ(PixelsFromTwips(11520, 16), 720);
    EXPECT_EQ(PixelsFromTwips(14, TwipsPerPixel), 0);
    EXPECT_EQ(PixelsFromTwips(15360, 0), 0);
}

TEST(GrabDesktop, IsTheScreenPixelForPixelAtItsSizeThroughBothCapturePaths) {
    XvfbServer server(1024, 768);
    auto x = connect(server);
    paintDesktop(x.display());
    const RgbImage root = server.grabRoot();

    // Shared memory really works on this server, so the default path is not a quiet fallback.
    const auto shared = captureRootArea(x.display(), 0, 0, 1024, 768, CaptureMethod::SharedMemory);
    ASSERT_TRUE(shared);
    EXPECT_TRUE(samePixels(shared->image, root));

    const quillaro::Picture picture = GrabDesktop(x.display());
    ASSERT_FALSE(picture.empty());
    EXPECT_TRUE(samePixels(picture.bitmap(), root));
    EXPECT_FALSE(picture.palette()) << "a true-colour screen takes no palette";
    EXPECT_EQ(picture.bitmap().pixel(0, 0), (Rgb{255, 0, 0})) << "not mirrored";
    EXPECT_EQ(picture.bitmap().pixel(1023, 0), (Rgb{0, 255, 0}));

    const quillaro::Picture plain = GrabDesktop(x.display(), CaptureMethod::PlainImage);
    EXPECT_TRUE(samePixels(plain.bitmap(), root));
    EXPECT_EQ(PrimaryScreenTwips(x.display()).width, 1024 * 15);
    EXPECT_EQ(PrimaryScreenTwips(x.display()).height, 768 * 15);
}

TEST(GrabDesktop, OpensItsOwnConnectionToTheDisplayInTheEnvironment) {
    XvfbServer server(320, 200);
    auto x = connect(server);
    paintDesktop(x.display());
    const char* before = std::getenv("DISPLAY");
    const std::string saved = before ? before : "";
    setenv("DISPLAY", server.display().c_str(), 1);
    const quillaro::Picture picture = GrabDesktop();
    setenv("DISPLAY", ":9999", 1); // no such server
    const quillaro::Picture none = GrabDesktop();
    if (before)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
    EXPECT_TRUE(samePixels(picture.bitmap(), server.grabRoot()));
    EXPECT_TRUE(none.empty());
}

TEST(GrabDesktop, FallsBackToThePlainImageRequestWithoutSharedMemory) {
    XvfbServer server(640, 480, 24, {"-extension", "MIT-SHM"});
    auto x = connect(server);
    paintDesktop(x.display());
    EXPECT_FALSE(captureRootArea(x.display(), 0, 0, 640, 480, CaptureMethod::SharedMemory));
    const quillaro::Picture picture = GrabDesktop(x.display());
    EXPECT_TRUE(samePixels(picture.bitmap(), server.grabRoot()));
}

// Shared memory reads a large area a band of rows at a time through one small segment: the rows
// must come back in place, the last and shorter band included, from anywhere on the screen.
TEST(CaptureRootArea, AnAreaOfManyBandsComesBackWithoutASeam) {
    for (int depth : {24, 16}) {
        SCOPED_TRACE(depth);
        XvfbServer server(1280, 1024, depth);
        auto x = connect(server);
        paintDesktop(x.display());
        const auto shared =
            captureRootArea(x.display(), 100, 50, 1000, 700, CaptureMethod::SharedMemory);
        ASSERT_TRUE(shared);
        EXPECT_TRUE(samePixels(shared->image, crop(server.grabRoot(), 100, 50, 1000, 700)));
    }
}

TEST(GrabDesktop, SixteenBitScreenGivesTheColoursTheServerShows) {
    XvfbServer server(400, 300, 16);
    auto x = connect(server);
    Display* d = x.display();
    paintDesktop(d);
    Rgb odd{}, red{};
    fill(d, allocate(d, {0x1234, 0xabcd, 0x8000}, &odd), 50, 50, 20, 20);
    fill(d, allocate(d, {0xffff, 0, 0}, &red), 80, 50, 20, 20);
    XSync(d, False);
    EXPECT_EQ(red, (Rgb{255, 0, 0})); // the server's own idea of full red at 5 bits

    for (CaptureMethod method : {CaptureMethod::SharedMemory, CaptureMethod::PlainImage}) {
        const quillaro::Picture picture = GrabDesktop(d, method);
        ASSERT_FALSE(picture.empty());
        EXPECT_FALSE(picture.palette());
        EXPECT_EQ(picture.bitmap().pixel(60, 60), odd);
        EXPECT_EQ(picture.bitmap().pixel(90, 60), red);
        EXPECT_TRUE(samePixels(picture.bitmap(), server.grabRoot()));
    }
}

TEST(GrabDesktop, PaletteScreenKeepsItsColourTableAndTurnsIndicesIntoColours) {
    XvfbServer server(400, 300, 8);
    auto x = connect(server);
    Display* d = x.display();
    ASSERT_EQ(DefaultVisual(d, DefaultScreen(d))->c_class, PseudoColor);
    paintDesktop(d);
    Rgb shown{};
    const unsigned long index = allocate(d, {0x1234, 0xabcd, 0x8000}, &shown);
    fill(d, index, 10, 10, 30, 30);
    XSync(d, False);

    for (CaptureMethod method : {CaptureMethod::SharedMemory, CaptureMethod::PlainImage}) {
        const quillaro::Picture picture = GrabDesktop(d, method);
        ASSERT_FALSE(picture.empty());
        ASSERT_TRUE(picture.palette()) << "a 256-entry palette screen keeps its palette";
        EXPECT_EQ((*picture.palette())[index], shown);
        EXPECT_EQ(picture.bitmap().pixel(20, 20), shown);
        EXPECT_TRUE(samePixels(picture.bitmap(), server.grabRoot()));
    }
}

TEST(GrabDesktop, TakesThePrimaryMonitorFromItsCorner) {
    XvfbServer server(640, 480);
    auto x = connect(server);
    Display* d = x.display();
    paintDesktop(d);
    server.addMonitor("QUILLARO-TEST", true, 100, 50, 320, 240);

    EXPECT_EQ(primaryMonitorArea(d), (ScreenArea{100, 50, 320, 240}));
    const quillaro::Picture picture = GrabDesktop(d);
    EXPECT_TRUE(samePixels(picture.bitmap(), crop(server.grabRoot(), 100, 50, 320, 240)));
}

// With no monitor marked primary the toolkit takes the first one as its screen, and the run form
// is that screen's size: the capture must be that screen too, not the whole root.
TEST(GrabDesktop, WithoutAPrimaryMonitorTakesTheToolkitsScreen) {
    XvfbServer server(640, 480);
    auto x = connect(server);
    Display* d = x.display();
    paintDesktop(d);
    server.addMonitor("QUILLARO-LEFT", false, 0, 0, 320, 240);
    server.addMonitor("QUILLARO-RIGHT", false, 320, 0, 320, 480);

    const ScreenArea toolkit = toolkitPrimaryScreen(server);
    EXPECT_EQ(toolkit, (ScreenArea{0, 0, 320, 240}));
    EXPECT_EQ(primaryMonitorArea(d), toolkit);
    const quillaro::Picture picture = GrabDesktop(d);
    EXPECT_TRUE(samePixels(picture.bitmap(), crop(server.grabRoot(), 0, 0, 320, 240)));
}

TEST(GrabWindowArea, MeasuresFromTheFrameOrFromTheWindowItself) {
    XvfbServer server(640, 480);
    auto x = connect(server);
    Display* d = x.display();
    paintDesktop(d);
    const Window root = DefaultRootWindow(d);
    // A frame at (50, 60) holding a window at (5, 7) inside it, as a window manager would.
    const Window frame =
        XCreateSimpleWindow(d, root, 50, 60, 200, 150, 0, 0, allocate(d, {0x8000, 0x2000, 0xc000}));
    const Window client =
        XCreateSimpleWindow(d, frame, 5, 7, 180, 130, 0, 0, allocate(d, {0x1000, 0xe000, 0x3000}));
    XMapWindow(d, client);
    XMapWindow(d, frame);
    XSync(d, False);
    const RgbImage root0 = server.grabRoot();

    const quillaro::Picture whole = GrabWindowArea(d, client, false, 0, 0, 40, 30);
    EXPECT_TRUE(samePixels(whole.bitmap(), crop(root0, 50, 60, 40, 30)));
    const quillaro::Picture inside = GrabWindowArea(d, client, true, 10, 20, 40, 30);
    EXPECT_TRUE(samePixels(inside.bitmap(), crop(root0, 65, 87, 40, 30)));
}

TEST(GrabWindowArea, PartsOffTheScreenAreBlack) {
    XvfbServer server(320, 240);
    auto x = connect(server);
    Display* d = x.display();
    paintDesktop(d);
    const RgbImage root = server.grabRoot();
    const quillaro::Picture picture =
        GrabWindowArea(d, DefaultRootWindow(d), false, -10, -5, 30, 20);
    ASSERT_EQ(picture.bitmap().width(), 30);
    ASSERT_EQ(picture.bitmap().height(), 20);
    for (int y = 0; y < 20; ++y) {
        for (int px = 0; px < 30; ++px) {
            const bool onScreen = px >= 10 && y >= 5;
            const std::uint8_t* r = onScreen ? root.at(px - 10, y - 5) : nullptr;
            const Rgb expected = onScreen ? Rgb{r[0], r[1], r[2]} : Rgb{};
            ASSERT_EQ(picture.bitmap().pixel(px, y), expected) << px << "," << y;
        }
    }
    EXPECT_EQ(GrabWindowArea(d, DefaultRootWindow(d), false, 400, 0, 10, 10).bitmap(),
              Image24(10, 10));
}

TEST(GrabWindowArea, MissingWindowsAndEmptySizesGiveNoPicture) {
    XvfbServer server(320, 240);
    auto x = connect(server);
    Display* d = x.display();
    const Window gone = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(d, gone);
    XSync(d, False);
    EXPECT_TRUE(GrabWindowArea(d, gone, false, 0, 0, 10, 10).empty());
    EXPECT_TRUE(GrabWindowArea(d, gone, true, 0, 0, 10, 10).empty());
    EXPECT_TRUE(GrabWindowArea(d, DefaultRootWindow(d), false, 0, 0, 0, 10).empty());
    EXPECT_TRUE(GrabWindowArea(d, DefaultRootWindow(d), false, 0, 0, 10, -1).empty());
    EXPECT_TRUE(GrabWindowArea(nullptr, 0, false, 0, 0, 10, 10).empty());
    // The connection is still good after the refused requests.
    EXPECT_FALSE(GrabDesktop(d).empty());
}

TEST(GrabDesktop, LeavesNoSharedMemorySegmentBehind) {
    XvfbServer server(320, 240);
    auto x = connect(server);
    ASSERT_EQ(segmentsOfThisProcess(), 0);
    for (int i = 0; i < 5; ++i)
        ASSERT_FALSE(GrabDesktop(x.display()).empty());
    EXPECT_EQ(segmentsOfThisProcess(), 0);
}

// Runs the real Quillaro.scr /c on a private 1024 x 768 X server, copied into a folder of its
// own beside a stand-in renderer file: where the dialog stands, that it keeps other starts away,
// what it shows of a chosen picture, and how the real pointer and the window manager's close end
// it. Keeps a screenshot of the dialog for a person to look at.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "ChildProcess.h"
#include "FileText.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <QImage>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/stat.h>
#include <thread>
#include <utime.h>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr auto Timeout = 30s;
constexpr const char* Title = "<Quillaro>";
// Where the dialog and its parts stand on a 1024 x 768 screen.
constexpr int Left = 315;
constexpr int Top = 123;
constexpr int DisplayLeft = Left + 20 + 272; // the thumbnail's top-left corner
constexpr int DisplayTop = Top + 48 + 32;
constexpr int SetX = Left + 208 + 40; // the middle of "設定"
constexpr int SetY = Top + 328 + 12;

class DialogProgram : public ::testing::Test {
protected:
    XvfbServer xvfb;
    TempDir dir;
    fs::path programFolder = dir / "installed";
    fs::path ini = programFolder / "Quillaro.ini";
    Display* d = nullptr;

    void SetUp() override {
        fs::create_directories(programFolder);
        fs::create_directories(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
        fs::copy_file(fs::path(QUILLARO_BIN_DIR) / "Quillaro.scr", programFolder / "Quillaro.scr");
        writeFile(programFolder / "Quillaro.dll", "the renderer");
        d = XOpenDisplay(xvfb.display().c_str());
        ASSERT_NE(d, nullptr);
    }
    void TearDown() override {
        if (d)
            XCloseDisplay(d);
    }

    ChildProcess start(const std::string& mode, const std::string& name) {
        ProcessOptions opts = xvfb.options({mode});
        opts.setEnv["XDG_CACHE_HOME"] = (dir / "cache").string();
        opts.setEnv["XDG_RUNTIME_DIR"] = (dir / "runtime").string();
        opts.stderrFile = dir / ("stderr-" + name);
        return ChildProcess(programFolder / "Quillaro.scr", opts);
    }
    std::string errors(const std::string& name) { return readFile(dir / ("stderr-" + name)); }

    // The dialog's window once it is shown; 0 when the time is up.
    Window shownDialog() {
        for (auto end = std::chrono::steady_clock::now() + Timeout;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms)) {
            for (unsigned long w : xvfb.findWindows(Title)) {
                XWindowAttributes a{};
                if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable)
                    return w;
            }
        }
        return 0;
    }
    QRect onScreen(Window w) {
        XWindowAttributes a{};
        XGetWindowAttributes(d, w, &a);
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
        return {x, y, a.width, a.height};
    }
    bool pixelIs(const RgbImage& screen, int x, int y, QColor colour) {
        const std::uint8_t* p = screen.at(x, y);
        return std::abs(p[0] - colour.red()) < 24 && std::abs(p[1] - colour.green()) < 24 &&
               std::abs(p[2] - colour.blue()) < 24;
    }
};

} // namespace

TEST_F(DialogProgram, OpensAtItsPlaceKeepsOthersAwayShowsThePictureAndSavesOnSet) {
    // A picture chosen earlier: red on its left half, blue on its right, 320 x 240.
    QImage photo(320, 240, QImage::Format_RGB888);
    photo.fill(QColor(220, 40, 40));
    for (int y = 0; y < 240; ++y)
        for (int x = 160; x < 320; ++x)
            photo.setPixelColor(x, y, QColor(40, 60, 220));
    const fs::path photoFile = dir / "photo.jpg";
    ASSERT_TRUE(photo.save(QString::fromStdString(photoFile.string()), "JPEG", 95));
    writeFile(ini,
              "[Section]\nｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ=" + photoFile.string() + "\nBGM区分=1\nBGMﾘﾋﾟｰﾄ=3\n");

    ChildProcess dialog = start("/c", "dialog");
    const Window window = shownDialog();
    ASSERT_NE(window, 0u) << "no shown window titled " << Title;
    EXPECT_EQ(onScreen(window), QRect(Left, Top, 393, 400));

    // Another start meanwhile ends at once, quietly, whatever its mode.
    for (const char* mode : {"/s", "/c"}) {
        ChildProcess other = start(mode, std::string("other") + mode[1]);
        auto status = other.waitFor(Timeout);
        ASSERT_TRUE(status) << mode << " did not end";
        EXPECT_TRUE(status->exited && status->code == 0) << mode;
        EXPECT_EQ(errors(std::string("other") + mode[1]), "") << mode;
    }
    EXPECT_EQ(xvfb.findWindows("Lumivane_Main").size(), 0u);
    EXPECT_TRUE(dialog.running());

    // The thumbnail: 68 x 51, red on the left, blue on the right, in the preview box.
    RgbImage screen;
    bool drawn = false;
    for (auto end = std::chrono::steady_clock::now() + Timeout;
         !drawn && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(100ms)) {
        screen = xvfb.grabRoot();
        drawn = pixelIs(screen, DisplayLeft + 10, DisplayTop + 25, QColor(220, 40, 40)) &&
                pixelIs(screen, DisplayLeft + 58, DisplayTop + 25, QColor(40, 60, 220));
    }
    EXPECT_TRUE(drawn) << "the thumbnail is not on the screen";
    EXPECT_FALSE(pixelIs(screen, DisplayLeft + 58, DisplayTop + 55, QColor(40, 60, 220)))
        << "the thumbnail is 51 pixels high";
    XvfbServer::savePng(screen, fs::path(QUILLARO_BIN_DIR).parent_path() / "tests" /
                                    "dialog-with-picture.png");

    // "設定" clicked with the real pointer saves all five keys and ends the program.
    xvfb.xdotool({"mousemove", "--sync", std::to_string(SetX), std::to_string(SetY)});
    xvfb.xdotool({"click", "1"});
    auto status = dialog.waitFor(Timeout);
    ASSERT_TRUE(status) << "the dialog did not end after 設定";
    EXPECT_TRUE(status->exited && status->code == 0);
    EXPECT_EQ(readFile(ini), "[Section]\nｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ=" + photoFile.string() +
                                 "\nBGM区分=1\nBGMﾘﾋﾟｰﾄ=3\nBGMﾌｧｲﾙ=\n");
    EXPECT_TRUE(xvfb.findWindows(Title).empty());
    EXPECT_EQ(errors("dialog"), "");
}

TEST_F(DialogProgram, TheWindowManagersCloseEndsItAndWritesNothing) {
    const std::string before = "[Section]\nBGM区分=0\n";
    writeFile(ini, before);
    const utimbuf old{1000000000, 1000000000};
    utime(ini.c_str(), &old);

    ChildProcess dialog = start("/c", "dialog");
    const Window window = shownDialog();
    ASSERT_NE(window, 0u);
    xvfb.requestClose(window); // what a window manager sends when the user closes it

    auto status = dialog.waitFor(Timeout);
    ASSERT_TRUE(status) << "the dialog did not end after the close request";
    EXPECT_TRUE(status->exited && status->code == 0);
    EXPECT_EQ(readFile(ini), before);
    struct stat info {};
    ASSERT_EQ(stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1000000000);
    EXPECT_EQ(errors("dialog"), "");
}

// Full screen-saver runs of the real programs, copied side by side into a folder of their own
// as an installation would be, on a private X server with a desktop picture of its own: the
// picture the saver hands over, the renderer it starts, the music it plays, and how the run
// ends when the renderer goes.
// GoogleTest comes before Xlib, whose None and Bool macros would break its headers.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include "Bitmap24Loader.h"
#include "ChildProcess.h"
#include "FileText.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "ToneAnalysis.h"
#include "XvfbServer.h"

#include <QImage>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* RendererTitle = "Lumivane_VC";
constexpr const char* RunFormTitle = "Lumivane_Main";
constexpr auto StartTimeout = 60s;
constexpr auto EndTimeout = 10s;

// A desktop that no mirroring, shift or channel swap leaves alone: bands of many colours that
// differ from left to right and top to bottom.
RgbImage desktopPicture(int width, int height) {
    RgbImage picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
            p[0] = static_cast<std::uint8_t>(x / 4);
            p[1] = static_cast<std::uint8_t>((y / 3) ^ (x / 64 * 40));
            p[2] = static_cast<std::uint8_t>(200 - (x + y) / 16);
        }
    return picture;
}

// The hand-off file as the renderer reads it, turned top row first.
std::optional<RgbImage> readHandoff(const fs::path& file) {
    auto loaded = quillaro::loadBitmap24(file);
    if (!loaded)
        return std::nullopt;
    RgbImage out;
    out.width = static_cast<int>(loaded->width);
    out.height = static_cast<int>(loaded->height);
    out.rgb.resize(loaded->pixels.size() * 3);
    for (int r = 0; r < out.height; ++r)
        for (int x = 0; x < out.width; ++x) {
            const auto& p = loaded->pixels[static_cast<size_t>(r) * out.width + x];
            std::uint8_t* q =
                out.rgb.data() + (static_cast<size_t>(out.height - 1 - r) * out.width + x) * 3;
            q[0] = p.red;
            q[1] = p.green;
            q[2] = p.blue;
        }
    return out;
}

// Pixel for pixel; on a mismatch names the first pixel that differs.
::testing::AssertionResult samePicture(const RgbImage& got, const RgbImage& want) {
    if (got.width != want.width || got.height != want.height)
        return ::testing::AssertionFailure() << "size " << got.width << "x" << got.height
                                             << ", expected " << want.width << "x" << want.height;
    for (int y = 0; y < got.height; ++y)
        for (int x = 0; x < got.width; ++x)
            if (!std::equal(got.at(x, y), got.at(x, y) + 3, want.at(x, y)))
                return ::testing::AssertionFailure() << "first difference at " << x << "," << y;
    return ::testing::AssertionSuccess();
}

// Whether the process has a library of that name loaded.
bool loads(pid_t pid, const std::string& library) {
    return readFile("/proc/" + std::to_string(pid) + "/maps").find(library) != std::string::npos;
}

// The process whose program file is the one given, or 0.
pid_t processRunning(const fs::path& program) {
    std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    while (dirent* entry = readdir(proc.get())) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        std::error_code ec;
        if (pid > 0 && fs::read_symlink(fs::path("/proc") / entry->d_name / "exe", ec) == program)
            return pid;
    }
    return 0;
}

class SaverRun : public ::testing::Test {
protected:
    XvfbServer xvfb;
    TempDir dir;
    fs::path programFolder = dir / "installed";
    fs::path cache = dir / "cache";
    fs::path handoff = cache / "v_kord" / "Lumivane.bmp";
    fs::path audioOut = dir / "heard.raw";
    fs::path busLaunches = dir / "dbus-launches.txt";
    RgbImage desktop = desktopPicture(1024, 768);

    void SetUp() override {
        fs::create_directories(programFolder);
        fs::create_directories(cache);
        fs::create_directories(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
        // A session-bus launcher that notes being asked: a run must not start a bus daemon.
        fs::create_directories(dir / "bin");
        std::ofstream(dir / "bin" / "dbus-launch")
            << "#!/bin/sh\necho \"$@\" >> '" << busLaunches.string() << "'\nexit 1\n";
        fs::permissions(dir / "bin" / "dbus-launch", fs::perms::owner_all);
        for (const char* program : {"Quillaro.scr", "Quillaro.dll"})
            fs::copy_file(fs::path(QUILLARO_BIN_DIR) / program, programFolder / program);
        xvfb.setRootPicture(desktop);
    }

    void writeSettings(const std::string& body) {
        std::ofstream(programFolder / "Quillaro.ini") << "[Section]\n" << body;
    }

    ChildProcess startSaver() {
        ProcessOptions opts = xvfb.options({"/s"});
        opts.setEnv["XDG_CACHE_HOME"] = cache.string();
        opts.setEnv["XDG_RUNTIME_DIR"] = (dir / "runtime").string();
        opts.setEnv["SDL_AUDIODRIVER"] = "disk";
        opts.setEnv["SDL_DISKAUDIOFILE"] = audioOut.string();
        const char* path = std::getenv("PATH");
        opts.setEnv["PATH"] = (dir / "bin").string() + ":" + (path ? path : "/usr/bin:/bin");
        opts.unsetEnv.push_back("DBUS_SESSION_BUS_ADDRESS");
        opts.stderrFile = dir / "saver-stderr.txt";
        return ChildProcess(programFolder / "Quillaro.scr", opts);
    }

    unsigned long waitForRenderer() {
        if (!xvfb.waitForWindow(RendererTitle, StartTimeout))
            return 0;
        return xvfb.findWindows(RendererTitle).front();
    }

    void pressEscape(unsigned long window) {
        xvfb.xdotool({"windowfocus", "--sync", std::to_string(window)});
        xvfb.xdotool({"key", "Escape"});
    }

    // How the saver ended, once it has; nothing when it did not end in time. How long that
    // took after the event named is for the record, not a verdict: the renderer watch's period
    // is checked with a fake clock in the run form's own tests.
    std::optional<ExitStatus> endAfter(ChildProcess& saver, const char* event) {
        const auto since = std::chrono::steady_clock::now();
        auto ended = saver.waitFor(EndTimeout);
        if (ended)
            std::cout << "saver ended "
                      << std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - since)
                             .count()
                      << " ms after " << event << "\n";
        return ended;
    }
};

} // namespace

TEST_F(SaverRun, DesktopGoesToTheRendererAsTheScreenShowsItAndEscapeEndsTheRun) {
    const RgbImage screen = xvfb.grabRoot(); // an independent look at the desktop
    ChildProcess saver = startSaver();
    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u) << readFile(dir / "saver-stderr.txt");
    EXPECT_FALSE(xvfb.findWindows(RunFormTitle).empty()); // the hidden run form is findable

    auto handed = readHandoff(handoff);
    ASSERT_TRUE(handed);
    EXPECT_TRUE(samePicture(*handed, screen)); // the screen's size, not mirrored
    EXPECT_TRUE(samePicture(*handed, desktop));

    // The renderer shows it: let it draw, then keep a screenshot for a person to look at.
    std::this_thread::sleep_for(1s);
    XvfbServer::savePng(xvfb.grabRoot(), fs::path(QUILLARO_BIN_DIR).parent_path() / "tests" /
                                             "saver-run-desktop.png");

    const pid_t renderer = processRunning(programFolder / "Quillaro.dll");
    EXPECT_NE(renderer, 0);
    // A run without music never loads the sound libraries, whose loading delays every start.
    EXPECT_FALSE(loads(saver.pid(), "libSDL2"));
    pressEscape(window);
    auto status = endAfter(saver, "Escape");
    ASSERT_TRUE(status) << "the saver did not end after Escape";
    EXPECT_TRUE(status->exited);
    EXPECT_EQ(status->code, 0);
    EXPECT_TRUE(xvfb.waitForNoWindow(RendererTitle, EndTimeout));
    EXPECT_TRUE(xvfb.findWindows(RunFormTitle).empty());
    EXPECT_EQ(processRunning(programFolder / "Quillaro.dll"), 0);
    EXPECT_EQ(readFile(dir / "saver-stderr.txt"), "");
    EXPECT_FALSE(fs::exists(busLaunches)) << "the run tried to start a D-Bus session bus";
}

TEST_F(SaverRun, PictureFileGoesToTheRendererMirroredAtItsOwnSize) {
    QImage photo(640, 480, QImage::Format_RGB888);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            photo.setPixelColor(x, y, QColor(x * 255 / 639, (y * 3) % 256, x < 320 ? 40 : 220));
    const fs::path file = dir / "my pictures" / "photo.jpg";
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(photo.save(QString::fromStdString(file.string()), "JPEG", 90));
    writeSettings("ｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ=" + file.string() + "\n");

    ChildProcess saver = startSaver();
    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u) << readFile(dir / "saver-stderr.txt");

    const QImage decoded =
        QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB888);
    RgbImage expected;
    expected.width = 640;
    expected.height = 480;
    for (int y = 0; y < 480; ++y)
        for (int x = 639; x >= 0; --x) {
            const QColor c = decoded.pixelColor(x, y);
            expected.rgb.insert(expected.rgb.end(), {static_cast<std::uint8_t>(c.red()),
                                                     static_cast<std::uint8_t>(c.green()),
                                                     static_cast<std::uint8_t>(c.blue())});
        }
    auto handed = readHandoff(handoff);
    ASSERT_TRUE(handed);
    EXPECT_TRUE(samePicture(*handed, expected));

    pressEscape(window);
    EXPECT_TRUE(endAfter(saver, "Escape"));
}

TEST_F(SaverRun, RendererKilledEndsTheRunLikeEscape) {
    ChildProcess saver = startSaver();
    ASSERT_NE(waitForRenderer(), 0u);
    const pid_t renderer = processRunning(programFolder / "Quillaro.dll");
    ASSERT_NE(renderer, 0);
    ASSERT_EQ(::kill(renderer, SIGKILL), 0);
    auto status = endAfter(saver, "the renderer was killed");
    ASSERT_TRUE(status) << "the saver outlived its renderer";
    EXPECT_TRUE(status->exited);
    EXPECT_EQ(status->code, 0);
}

TEST_F(SaverRun, TerminationSignalEndsTheSaverButLeavesTheRenderer) {
    ChildProcess saver = startSaver();
    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u);
    saver.signal(SIGTERM); // log-out or shutdown
    auto status = endAfter(saver, "SIGTERM");
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->exited) << "ended by signal " << status->signal;
    EXPECT_EQ(status->code, 0);
    // The saver never closes the renderer; it goes on until its own Escape.
    EXPECT_FALSE(xvfb.findWindows(RendererTitle).empty());
    pressEscape(window);
    EXPECT_TRUE(xvfb.waitForNoWindow(RendererTitle, EndTimeout));
}

TEST_F(SaverRun, UnusableWorkingFolderLetsTheRunGoOn) {
    // A file where the folder should be: nothing can be written there.
    std::ofstream(cache / "v_kord") << "not a folder";
    ChildProcess saver = startSaver();
    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u) << readFile(dir / "saver-stderr.txt");
    EXPECT_EQ(readFile(cache / "v_kord"), "not a folder");
    pressEscape(window);
    auto status = endAfter(saver, "Escape");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->code, 0);
}

TEST_F(SaverRun, WorkingFolderThatIsALinkIsNotWrittenThrough) {
    fs::create_directories(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", cache / "v_kord");
    ChildProcess saver = startSaver();
    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
    pressEscape(window);
    EXPECT_TRUE(endAfter(saver, "Escape"));
}

TEST_F(SaverRun, MusicPlaysDuringTheRunAndTheRunEndsCleanlyWithIt) {
    const fs::path music = dir / "tone.WAV";
    writeWav(music, tone(440, 0.5));
    writeSettings("BGM区分=2\nBGMﾌｧｲﾙ=" + music.string() + "\n");

    ChildProcess saver = startSaver();
    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u);
    // The loop goes on past the file's length: wait for a second of sound.
    const auto deadline = std::chrono::steady_clock::now() + StartTimeout;
    std::vector<int> heard;
    while (std::chrono::steady_clock::now() < deadline) {
        heard = labelWindows(readOutput(audioOut), {440});
        if (std::count(heard.begin(), heard.end(), 0) * AnalysisWindow >= TestRate)
            break;
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_GE(std::count(heard.begin(), heard.end(), 0) * AnalysisWindow, size_t{TestRate})
        << describe(heard);
    EXPECT_TRUE(loads(saver.pid(), "libSDL2_mixer")) << "the sound came from elsewhere";

    // Music still playing when the renderer goes: the teardown stops it and the sound output
    // closes without a crash or a word on the terminal.
    pressEscape(window);
    auto status = endAfter(saver, "Escape");
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->exited);
    EXPECT_EQ(status->code, 0);
    EXPECT_EQ(readFile(dir / "saver-stderr.txt"), "");
}

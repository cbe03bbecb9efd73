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
#include "DisplayModeCheck.h"
#include "FileText.h"
#include "JpegOrientation.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "ToneAnalysis.h"
#include "XvfbServer.h"

#include <QImage>
#include <QPainter>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr const char* RendererTitle = "Lumivane_VC";
constexpr const char* RunFormTitle = "Lumivane_Main";
constexpr auto StartTimeout = 60s;
constexpr auto EndTimeout = 30s; // a bound for failure, not a measure: sanitizers slow the exits

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

bool waitForNoProcess(const fs::path& program, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (processRunning(program) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
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

    ChildProcess startSaver(bool verbose = false) {
        ProcessOptions opts = xvfb.options({"/s"});
        if (verbose)
            opts.setEnv["QUILLARO_VERBOSE"] = "1";
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
        // The title is there before the window is mapped, and an unmapped window cannot take
        // the focus: the key would go nowhere.
        ASSERT_TRUE(xvfb.waitForViewable(window, StartTimeout));
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

    // Whether the saver ended after the event named, by itself and with status 0.
    ::testing::AssertionResult endsCleanly(ChildProcess& saver, const char* event) {
        const auto status = endAfter(saver, event);
        if (!status)
            return ::testing::AssertionFailure() << "the saver did not end after " << event;
        if (!status->exited || status->code != 0)
            return ::testing::AssertionFailure()
                   << "ended with code " << status->code << ", signal " << status->signal;
        return ::testing::AssertionSuccess();
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
    // A run without music never loads the sound libraries, nor libcdio, whose loading delays
    // every start.
    EXPECT_FALSE(loads(saver.pid(), "libSDL2"));
    EXPECT_FALSE(loads(saver.pid(), "libcdio"));
    pressEscape(window);
    ASSERT_TRUE(endsCleanly(saver, "Escape"));
    EXPECT_TRUE(xvfb.waitForNoWindow(RendererTitle, EndTimeout));
    EXPECT_TRUE(xvfb.findWindows(RunFormTitle).empty());
    // Its window goes before its process does: a sanitizer's exit checks take a while.
    EXPECT_TRUE(waitForNoProcess(programFolder / "Quillaro.dll", EndTimeout));
    EXPECT_EQ(readFile(dir / "saver-stderr.txt"), "");
    EXPECT_FALSE(fs::exists(busLaunches)) << "the run tried to start a D-Bus session bus";
}

TEST_F(SaverRun, TwoStartsMomentsApartMakeOneRun) {
    ChildProcess first = startSaver();
    std::this_thread::sleep_for(5ms);
    ChildProcess second = startSaver();
    // Whichever got there first runs; the other finds its run (by the title, at the guard or
    // when it makes its own window under a server grab) and ends by itself. Two runs would both
    // keep going.
    eventually([&] { return !first.running() || !second.running(); }, EndTimeout);
    const bool firstRuns = first.running();
    ChildProcess& refused = firstRuns ? second : first;
    ChildProcess& kept = firstRuns ? first : second;
    auto status = refused.waitFor(EndTimeout);
    ASSERT_TRUE(status) << "both are still running";
    EXPECT_TRUE(status->exited && status->code == 0);

    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(kept.running());
    EXPECT_EQ(xvfb.findWindows(RendererTitle).size(), 1u);
    pressEscape(window);
    EXPECT_TRUE(endAfter(kept, "Escape"));
}

TEST_F(SaverRun, PictureFileGoesToTheRendererMirroredAtItsOwnSize) {
    QImage photo(640, 480, QImage::Format_RGB888);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            photo.setPixelColor(x, y, QColor(x * 255 / 639, (y * 3) % 256, x < 320 ? 40 : 220));
    const fs::path file = dir / "my pictures" / "photo.jpg";
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(photo.save(QString::fromStdString(file.string()), "JPEG", 90));
    // Named in Latin-1, which is not UTF-8: the file is found by its bytes.
    const fs::path latin1 = dir / "my pictures" / "caf\xe9.jpg";
    fs::copy_file(file, latin1);
    writeSettings("ｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ=" + latin1.string() + "\n");

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

TEST_F(SaverRun, PicturesAsTheyAreReachTheFloorUprightAndWithinTheLimits) {
    // Four flat quarters, distinct enough to survive JPEG and scaling.
    const QColor topLeft(200, 30, 40), topRight(20, 180, 60), bottomLeft(30, 40, 210);
    auto quarters = [&](int w, int h) {
        QImage image(w, h, QImage::Format_RGB888);
        image.fill(Qt::yellow);
        QPainter painter(&image);
        painter.fillRect(0, 0, w / 2, h / 2, topLeft);
        painter.fillRect(w / 2, 0, w - w / 2, h / 2, topRight);
        painter.fillRect(0, h / 2, w / 2, h - h / 2, bottomLeft);
        return image;
    };
    const fs::path png = dir / "drawing.png", flat = dir / "flat.jpg", phone = dir / "phone.jpg",
                   wide = dir / "panorama.bmp", camera = dir / "camera.jpg";
    ASSERT_TRUE(quarters(64, 48).save(QString::fromStdString(png.string()), "PNG"));
    ASSERT_TRUE(quarters(64, 48).save(QString::fromStdString(flat.string()), "JPEG", 95));
    writeFile(phone, withOrientation(readFile(flat), 6)); // a quarter turn clockwise
    ASSERT_TRUE(quarters(20000, 100).save(QString::fromStdString(wide.string()), "BMP"));
    ASSERT_TRUE(quarters(8000, 6000).save(QString::fromStdString(camera.string()), "JPEG", 90));

    auto near = [](const RgbImage& image, int x, int y, const QColor& c) {
        const std::uint8_t* p = image.at(x, y);
        return std::abs(p[0] - c.red()) + std::abs(p[1] - c.green()) + std::abs(p[2] - c.blue()) <=
               24;
    };
    struct Case {
        fs::path file;
        int width, height;
        // Where the picture's own top-left quarter lands once mirrored for the floor.
        int x, y;
    };
    // Larger than 4096 on a side: scaled down to 4096 there, its aspect kept.
    for (const Case& c : {Case{png, 64, 48, 48, 12}, Case{phone, 48, 64, 12, 16},
                          Case{wide, 4096, 20, 3072, 5}, Case{camera, 4096, 3072, 3072, 768}}) {
        SCOPED_TRACE(c.file.filename().string());
        fs::remove(handoff);
        writeSettings("ｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ=" + c.file.string() + "\n");
        ChildProcess saver = startSaver();
        const unsigned long window = waitForRenderer();
        ASSERT_NE(window, 0u) << readFile(dir / "saver-stderr.txt");
        auto handed = readHandoff(handoff);
        ASSERT_TRUE(handed);
        EXPECT_EQ(handed->width, c.width);
        EXPECT_EQ(handed->height, c.height);
        EXPECT_EQ(fs::file_size(handoff), 54u + 3u * c.width * c.height); // rows need no padding
        EXPECT_TRUE(near(*handed, c.x, c.y, topLeft));
        pressEscape(window);
        EXPECT_TRUE(endAfter(saver, "Escape"));
    }
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

TEST_F(SaverRun, RendererThatEndsBeforeItsWindowIsReportedWithItsStatus) {
    fs::remove(programFolder / "Quillaro.dll");
    std::ofstream(programFolder / "Quillaro.dll") << "#!/bin/sh\nexit 3\n";
    fs::permissions(programFolder / "Quillaro.dll", fs::perms::owner_all);
    ChildProcess saver = startSaver(); // not verbose: told all the same
    ASSERT_TRUE(endsCleanly(saver, "the renderer ended"));
    EXPECT_EQ(readFile(dir / "saver-stderr.txt"),
              "Quillaro.scr: the renderer " + (programFolder / "Quillaro.dll").string() +
                  " ended before its window was seen (exit status 3)\n");
}

TEST_F(SaverRun, TerminationSignalEndsTheSaverAndTheRendererItStarted) {
    for (int signal : {SIGTERM, SIGINT}) { // log-out or kill, and Ctrl+C in a terminal
        SCOPED_TRACE(strsignal(signal));
        ChildProcess saver = startSaver();
        ASSERT_NE(waitForRenderer(), 0u);
        ASSERT_NE(processRunning(programFolder / "Quillaro.dll"), 0);
        saver.signal(signal);
        auto status = endAfter(saver, strsignal(signal));
        ASSERT_TRUE(status);
        EXPECT_TRUE(status->exited) << "ended by signal " << status->signal;
        EXPECT_EQ(status->code, 0);
        // No animation is left on screen without its saver, so the next start stands alone.
        EXPECT_TRUE(xvfb.waitForNoWindow(RendererTitle, EndTimeout));
        EXPECT_TRUE(waitForNoProcess(programFolder / "Quillaro.dll", EndTimeout));
    }
}

TEST_F(SaverRun, FullDiskKeepsTheLastPictureAndTheLostServerEndsBothProgramsCleanly) {
    const fs::path folder = cache / "v_kord";
    // Only the picture the renderer reads is left in the working folder, whole.
    auto onlyAWholePicture = [&] {
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path() != handoff && entry.path().filename() != "filler")
                return ::testing::AssertionFailure() << "left behind: " << entry.path();
        auto handed = readHandoff(handoff);
        if (!handed || handed->width != 1024 || handed->height != 768)
            return ::testing::AssertionFailure() << "the hand-off picture is not whole";
        return ::testing::AssertionSuccess();
    };
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all);
    if (geteuid() != 0) {
        std::cout << "the full working folder is not tried: mounting a small file system needs "
                     "root\n";
    } else {
        ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4m,mode=700"), 0)
            << std::strerror(errno);
        std::unique_ptr<const fs::path, void (*)(const fs::path*)> mounted(
            &folder, [](const fs::path* f) { ::umount2(f->c_str(), MNT_DETACH); });
        // A run, then one on another desktop with the folder full: the floor keeps the last.
        std::string before;
        RgbImage shown = desktop;
        for (int run = 0; run < 2; ++run) {
            if (run == 1) {
                before = readFile(handoff);
                ASSERT_FALSE(before.empty());
                for (std::ofstream filler(folder / "filler");
                     filler << std::string(65536, 'x') << std::flush;) {
                }
                std::reverse(shown.rgb.begin(), shown.rgb.end());
                xvfb.setRootPicture(shown);
            }
            ChildProcess saver = startSaver();
            const unsigned long window = waitForRenderer();
            ASSERT_NE(window, 0u) << readFile(dir / "saver-stderr.txt");
            EXPECT_TRUE(
                eventually([&] { return !samePicture(xvfb.grabRoot(), shown); }, StartTimeout))
                << "no animation on the screen";
            pressEscape(window);
            ASSERT_TRUE(endsCleanly(saver, "Escape"));
        }
        EXPECT_EQ(readFile(handoff), before);
        EXPECT_TRUE(onlyAWholePicture());
    }

    // The X server gone in the middle of a run takes both programs with it, leaving nothing
    // half-written.
    ChildProcess saver = startSaver();
    ASSERT_NE(waitForRenderer(), 0u);
    xvfb.kill();
    EXPECT_TRUE(endAfter(saver, "the X server's end"));
    EXPECT_TRUE(waitForNoProcess(programFolder / "Quillaro.dll", EndTimeout));
    EXPECT_TRUE(onlyAWholePicture());
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

TEST_F(SaverRun, VerboseRunsTellEachFallbackOnALineAndQuietRunsTellNothing) {
    const fs::path notes = dir / "notes.jpg", gone = dir / "gone.mp3";
    std::ofstream(notes) << "not a picture at all";
    writeSettings("ｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ=" + notes.string() +
                  "\nBGM区分=2\nBGMﾌｧｲﾙ=" + gone.string() + "\n");
    auto runOnce = [&](bool verbose) {
        ChildProcess saver = startSaver(verbose);
        const unsigned long window = waitForRenderer();
        EXPECT_NE(window, 0u);
        if (window)
            pressEscape(window);
        EXPECT_TRUE(endsCleanly(saver, "Escape"));
        return readFile(dir / "saver-stderr.txt");
    };
    EXPECT_EQ(runOnce(false), "") << "quiet unless asked";
    std::string told = runOnce(true);
    const std::string lines[] = {
        "Quillaro.scr: the music file " + gone.string() + " cannot be opened; it is not played\n",
        "Quillaro.scr: the picture " + notes.string() + " is not shown: Qt reads no picture in it",
    };
    for (const std::string& line : lines)
        EXPECT_NE(told.find(line), std::string::npos) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 2) << told;

    // No settings file at all, and a working folder that is a link to somewhere else.
    fs::remove(programFolder / "Quillaro.ini");
    fs::remove_all(cache / "v_kord");
    fs::create_directories(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", cache / "v_kord");
    told = runOnce(true);
    EXPECT_NE(told.find("Quillaro.scr: no settings file at " +
                        (programFolder / "Quillaro.ini").string() +
                        "; the settings are the defaults\n"),
              std::string::npos)
        << told;
    EXPECT_NE(told.find("the working folder is refused: will not write through the link " +
                        (cache / "v_kord").string()),
              std::string::npos)
        << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 2) << told;
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
    const fs::path music = dir / "t\xf6ne.WAV"; // Latin-1, not UTF-8
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
    ASSERT_TRUE(endsCleanly(saver, "Escape"));
    EXPECT_EQ(readFile(dir / "saver-stderr.txt"), "");
}

TEST_F(SaverRun, EscapeFreesTheScreenFromAStoppedRendererButStallsAndOtherKeysEndNothing) {
    ChildProcess saver = startSaver();
    const unsigned long window = waitForRenderer();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(xvfb.waitForViewable(window, StartTimeout));
    const pid_t renderer = processRunning(programFolder / "Quillaro.dll");
    ASSERT_NE(renderer, 0);
    // A renderer left stopped would outlive the test.
    std::unique_ptr<const pid_t, void (*)(const pid_t*)> unstop(
        &renderer, [](const pid_t* pid) { ::kill(*pid, SIGKILL); });

    // A loaded machine's stalls, with other keys pressed while the renderer stands still.
    for (const char* key : {"a", "space", "Return", "q", "x", "F1"}) {
        ASSERT_EQ(::kill(renderer, SIGSTOP), 0);
        xvfb.xdotool({"key", key});
        std::this_thread::sleep_for(500ms);
        ASSERT_EQ(::kill(renderer, SIGCONT), 0);
        std::this_thread::sleep_for(300ms);
    }
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(saver.running());
    EXPECT_EQ(processRunning(programFolder / "Quillaro.dll"), renderer);
    EXPECT_EQ(xvfb.findWindows(RendererTitle).size(), 1u);

    // Stopped for good, as a renderer hung in its driver: it holds the keyboard, yet Escape
    // gives the desktop back.
    ASSERT_EQ(::kill(renderer, SIGSTOP), 0);
    const auto pressed = std::chrono::steady_clock::now();
    xvfb.xdotool({"key", "Escape"});
    const bool freed = xvfb.waitForNoWindow(RendererTitle, EndTimeout);
    const auto freedAfter = std::chrono::steady_clock::now() - pressed;
    ASSERT_TRUE(freed) << "the stopped renderer's window stayed";
    // For the record, not a verdict: xdotool's own start is counted, and a loaded machine slows
    // everything; the saver's part is the grace it gives the renderer.
    std::cout << "screen free "
              << std::chrono::duration_cast<std::chrono::milliseconds>(freedAfter).count()
              << " ms after Escape\n";
    ASSERT_TRUE(endsCleanly(saver, "Escape on a stopped renderer"));
    EXPECT_TRUE(waitForNoProcess(programFolder / "Quillaro.dll", EndTimeout));
}

TEST_F(SaverRun, TwoMonitorsShowTheSceneOnThePrimaryOnlyAndBlackOnTheOther) {
    xvfb.splitIntoTwoMonitors();
    ProcessOptions quiet = xvfb.options();
    quiet.stdoutFile = quiet.stderrFile = "/dev/null";
    for (bool manager : {false, true}) {
        SCOPED_TRACE(manager ? "under openbox" : "without a window manager");
        std::optional<ChildProcess> openbox;
        if (manager) {
            openbox.emplace("openbox", quiet);
            ASSERT_TRUE(xvfb.waitForWindow("Openbox", StartTimeout)) << "openbox did not start";
        }
        ChildProcess saver = startSaver();
        const unsigned long window = waitForRenderer();
        ASSERT_NE(window, 0u) << readFile(dir / "saver-stderr.txt");
        // The scene takes the left monitor exactly, the right one is black, once it settles.
        const std::array<int, 4> left{0, 0, 512, 768};
        auto blackFrom = [](const RgbImage& screen, int from, int to) {
            for (int y = 0; y < screen.height; ++y)
                for (int x = from; x < to; ++x)
                    if (screen.at(x, y)[0] | screen.at(x, y)[1] | screen.at(x, y)[2])
                        return false;
            return true;
        };
        RgbImage screen;
        eventually(
            [&] {
                screen = xvfb.grabRoot();
                return xvfb.windowArea(window) == left && blackFrom(screen, 512, 1024) &&
                       !blackFrom(screen, 0, 512) && !samePicture(screen, desktop);
            },
            StartTimeout);
        EXPECT_EQ(xvfb.windowArea(window), left);
        EXPECT_TRUE(blackFrom(screen, 512, 1024)) << "the other monitor is not black";
        EXPECT_FALSE(blackFrom(screen, 0, 512) || samePicture(screen, desktop)) << "no scene";
        XvfbServer::savePng(screen, fs::path(QUILLARO_BIN_DIR).parent_path() / "tests" /
                                        (manager ? "saver-run-two-monitors-openbox.png"
                                                 : "saver-run-two-monitors.png"));

        // Escape with the pointer on the black monitor (the renderer holds the keyboard, and the
        // saver sees Escape whoever does); then the desktop is back on both.
        xvfb.xdotool({"mousemove", "800", "400"});
        xvfb.xdotool({"key", "Escape"});
        ASSERT_TRUE(endsCleanly(saver, "Escape")) << readFile(dir / "saver-stderr.txt");
        EXPECT_TRUE(xvfb.waitForNoWindow(RendererTitle, EndTimeout));
        EXPECT_TRUE(samePicture(xvfb.grabRoot(), desktop)) << "something of the run stayed";
    }
}

// What the renderer shows on its floor: the hand-off picture mirrored left to right, or a
// flat grey floor when there is no usable picture.
#include "FileText.h"
#include "RendererRun.h"
#include "common/Bmp24.h"
#include "common/Bmp24Writer.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <thread>

using namespace quillaro::test;
using namespace std::chrono_literals;
namespace bmp24 = quillaro::bmp24;

namespace {

enum class Hue { Unknown, Red, Blue, Magenta, Neutral };

const char* name(Hue hue) {
    switch (hue) {
    case Hue::Red:
        return "red";
    case Hue::Blue:
        return "blue";
    case Hue::Magenta:
        return "magenta";
    case Hue::Neutral:
        return "neutral";
    default:
        return "unknown";
    }
}

// Classified by the dominant channels. The solids and their reflections are green to yellow
// and come out Unknown, which is why no picture colour is green or yellow.
Hue classify(const std::uint8_t* p) {
    const int r = p[0], g = p[1], b = p[2];
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    if (high < 90)
        return Hue::Unknown;
    if (g < 0.6 * r && b < 0.6 * r)
        return Hue::Red;
    if (r < 0.6 * b && g < 0.6 * b)
        return Hue::Blue;
    if (g < 0.6 * std::min(r, b))
        return Hue::Magenta;
    if (low > 0.8 * high)
        return Hue::Neutral;
    return Hue::Unknown;
}

constexpr int Directions = 48;
constexpr double InnerRadius = 40.0;
constexpr double OuterRadius = 190.0; // inside the 400 x 400 floor whatever its turn
constexpr double RadiusStep = 10.0;

struct FloorSample {
    double angle; // degrees, from +x towards +z in the camera's fixed frame
    std::map<Hue, int> counts;
};

// Samples along rays from the origin across the floor. Objects above the floor hide parts
// of it and their reflections tint it, so each ray is judged by its majority.
std::vector<FloorSample> sampleFloor(const RgbImage& image, ScreenPoint origin,
                                     std::vector<int>* neutralLevels = nullptr) {
    std::vector<FloorSample> rays;
    for (int d = 0; d < Directions; ++d) {
        FloorSample ray{360.0 * d / Directions, {}};
        const double a = ray.angle * 3.14159265358979323846 / 180.0;
        for (double r = InnerRadius; r <= OuterRadius; r += RadiusStep) {
            auto p = projectFloorPoint(r * std::cos(a), r * std::sin(a), origin.x, origin.y);
            if (p.x < 0 || p.y < 0 || p.x >= image.width || p.y >= image.height)
                continue;
            Hue hue = classify(image.at(p.x, p.y));
            ++ray.counts[hue];
            if (hue == Hue::Neutral && neutralLevels)
                neutralLevels->push_back(image.at(p.x, p.y)[0]);
        }
        rays.push_back(ray);
    }
    return rays;
}

// The ray's colour when at least four samples are known and three in five of them agree.
Hue verdict(const FloorSample& ray) {
    int known = 0;
    std::pair<Hue, int> best{Hue::Unknown, 0};
    for (auto [hue, count] : ray.counts) {
        if (hue == Hue::Unknown)
            continue;
        known += count;
        if (count > best.second)
            best = {hue, count};
    }
    return (known >= 4 && best.second * 5 >= known * 3) ? best.first : Hue::Unknown;
}

// A picture of four quadrants: red top left, blue top right, magenta bottom right, white
// bottom left. Its odd width makes rows that are not a multiple of 4 bytes long.
constexpr std::uint32_t QuadWidth = 397;
constexpr std::uint32_t QuadHeight = 299;

std::vector<std::uint8_t> quadrantPicture() {
    std::vector<std::uint8_t> rgb;
    for (std::uint32_t y = 0; y < QuadHeight; ++y)
        for (std::uint32_t x = 0; x < QuadWidth; ++x) {
            bool left = x < QuadWidth / 2, top = y < QuadHeight / 2;
            std::uint8_t r = 255, g = 0, b = 0; // red
            if (!left && top)
                r = 0, b = 255; // blue
            else if (!left && !top)
                b = 255; // magenta
            else if (left && !top)
                g = b = 255; // white
            rgb.insert(rgb.end(), {r, g, b});
        }
    return bmp24::encode(QuadWidth, QuadHeight, rgb);
}

// Shares of the floor samples that are grey and that carry a picture colour.
struct GreyShare {
    double neutral = 0;
    double coloured = 0;
    double neutralLevel = 0; // the median grey level of the neutral samples
};

GreyShare greyShare(const RgbImage& image, ScreenPoint origin) {
    std::vector<int> levels;
    auto rays = sampleFloor(image, origin, &levels);
    int total = 0, neutral = 0, coloured = 0;
    for (const auto& ray : rays)
        for (auto [hue, count] : ray.counts) {
            total += count;
            if (hue == Hue::Neutral)
                neutral += count;
            else if (hue != Hue::Unknown)
                coloured += count;
        }
    std::sort(levels.begin(), levels.end());
    return {static_cast<double>(neutral) / total, static_cast<double>(coloured) / total,
            levels.empty() ? 0.0 : levels[levels.size() / 2]};
}

void endWithEscape(RendererRun& run) {
    run.focusAndPress("Escape");
    auto status = run.process().waitFor(EndTimeout);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->exited);
    EXPECT_EQ(status->code, 0);
}

// The colours seen across one quadrant of the floor, given by the signs of its x and z in the
// floor's own frame, once the scene has turned by orbit degrees about the vertical axis.
FloorSample sampleQuadrant(const RgbImage& image, ScreenPoint origin, double orbit, int xSign,
                           int zSign) {
    FloorSample samples{0.0, {}};
    const double turn = orbit * 3.14159265358979323846 / 180.0;
    for (double r = InnerRadius + 20; r <= OuterRadius; r += RadiusStep) {
        for (double a = 15.0; a <= 75.0; a += 10.0) {
            const double x = xSign * r * std::cos(a * 3.14159265358979323846 / 180.0);
            const double z = zSign * r * std::sin(a * 3.14159265358979323846 / 180.0);
            // glRotatef about +y: x turns towards -z.
            const double turnedX = x * std::cos(turn) + z * std::sin(turn);
            const double turnedZ = -x * std::sin(turn) + z * std::cos(turn);
            auto p = projectFloorPoint(turnedX, turnedZ, origin.x, origin.y);
            if (p.x >= 0 && p.y >= 0 && p.x < image.width && p.y < image.height)
                ++samples.counts[classify(image.at(p.x, p.y))];
        }
    }
    return samples;
}

// One frame of the renderer held on the screen: the hook stopped the program right after it.
struct StoppedFrame {
    std::optional<RgbImage> image;
    ScreenPoint origin{0, 0};
    double orbit = 0.0; // the scene's turn in that frame, in degrees
};

bool stopped(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'T';
}

// Runs the renderer until it has shown frame n, grabs the screen, then lets it go and ends it.
StoppedFrame stopAtFrame(const XvfbServer& server, const TempDir& cache, int n) {
    TempDir logs;
    const auto log = logs / "frames.txt";
    const char* asan = std::getenv("ASAN_OPTIONS");
    RendererRun run(
        server, cache,
        {{"LD_PRELOAD", QUILLARO_FRAME_HOOK},
         {"QUILLARO_FRAME_LOG", log.string()},
         {"QUILLARO_FRAME_STOP", std::to_string(n)},
         // The hook comes before the sanitizer's runtime in the library list.
         {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}});
    StoppedFrame frame;
    const auto deadline = std::chrono::steady_clock::now() + StartTimeout;
    while (!stopped(run.process().pid()) && run.process().running() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    if (stopped(run.process().pid())) {
        std::istringstream lines(readFile(log));
        std::string line, last;
        while (std::getline(lines, line))
            last = line;
        long frameNumber = 0;
        if (std::sscanf(last.c_str(), "frame %ld ns %*d orbit %lf", &frameNumber, &frame.orbit) ==
                2 &&
            frameNumber == n) {
            frame.image = server.grabRoot();
            frame.origin = windowOrigin(server, server.findWindows(RendererTitle).front());
        }
        run.process().signal(SIGCONT);
    }
    if (run.waitUntilAnimating(StartTimeout))
        endWithEscape(run);
    return frame;
}

std::filesystem::path artefact(const std::string& file) {
    return std::filesystem::path(QUILLARO_BIN_DIR).parent_path() / file;
}

} // namespace

TEST(RendererPicture, FloorShowsTheHandoffPictureMirroredLeftToRight) {
    XvfbServer server;
    TempDir cache;
    placeHandoff(cache, quadrantPicture());
    const StoppedFrame frame = stopAtFrame(server, cache, 25);
    ASSERT_TRUE(frame.image) << "the renderer never stopped at its frame";
    XvfbServer::savePng(*frame.image, artefact("renderer-floor-picture.png"));

    // The picture's left edge lies on the floor's +x side and its bottom edge on the side
    // nearest the camera (+z): a reflection of the picture, mirrored left to right only. Each
    // corner would move under a top-bottom flip, an upside-down turn or no mirror at all.
    const std::pair<const char*, Hue> quadrants[] = {
        {"top left, far right", Hue::Red},
        {"top right, far left", Hue::Blue},
        {"bottom right, near left", Hue::Magenta},
        {"bottom left, near right", Hue::Neutral},
    };
    const int signs[4][2] = {{1, -1}, {-1, -1}, {-1, 1}, {1, 1}}; // x, z of each floor quadrant
    for (int q = 0; q < 4; ++q) {
        const Hue seen = verdict(
            sampleQuadrant(*frame.image, frame.origin, frame.orbit, signs[q][0], signs[q][1]));
        EXPECT_EQ(seen, quadrants[q].second)
            << "picture " << quadrants[q].first << " shows " << name(seen) << " at a turn of "
            << frame.orbit << " degrees";
    }
}

TEST(RendererPicture, WithoutAPictureTheFloorIsFlatGrey) {
    XvfbServer server;
    TempDir cache;
    RendererRun run(server, cache);
    ASSERT_TRUE(run.waitUntilAnimating(StartTimeout));
    auto image = server.grabRoot();
    XvfbServer::savePng(image, artefact("renderer-floor-grey.png"));
    auto share = greyShare(image, windowOrigin(server, run.window()));
    EXPECT_GT(share.neutral, 0.6);
    EXPECT_LT(share.coloured, 0.01);
    // Grey 0.8 at 70 % over black, where nothing shows through: 0.56 of full scale.
    EXPECT_NEAR(share.neutralLevel, 0.56 * 255, 6);
    endWithEscape(run);
}

TEST(RendererPicture, HostileHandoffFilesLeaveAGreyFloor) {
    // Every file holds red pixel rows, so a file wrongly taken in would tint the floor red.
    auto red = [](std::uint32_t w, std::uint32_t h) {
        std::vector<std::uint8_t> rgb;
        for (std::uint32_t i = 0; i < w * h; ++i)
            rgb.insert(rgb.end(), {255, 0, 0});
        return bmp24::encode(w, h, rgb);
    };
    auto with = [&](std::function<void(std::vector<std::uint8_t>&)> change) {
        auto file = red(64, 64);
        change(file);
        return file;
    };
    using Setup = std::function<void(const TempDir&)>;
    auto bytes = [](std::vector<std::uint8_t> b) -> Setup {
        return [b](const TempDir& cache) { placeHandoff(cache, b); };
    };
    const std::pair<const char*, Setup> cases[] = {
        {"one byte short", bytes(with([](auto& f) { f.pop_back(); }))},
        {"top-down",
         bytes(with([](auto& f) { bmp24::writeLe32(f.data() + bmp24::OffHeight, -64); }))},
        {"32 bits a pixel",
         bytes(with([](auto& f) { bmp24::writeLe16(f.data() + bmp24::OffBitsPerPixel, 32); }))},
        {"compressed",
         bytes(with([](auto& f) { bmp24::writeLe32(f.data() + bmp24::OffCompression, 1); }))},
        {"overflowing width",
         bytes(with([](auto& f) { bmp24::writeLe32(f.data() + bmp24::OffWidth, 0xFFFFFFFFu); }))},
        {"header only", bytes(with([](auto& f) { f.resize(54); }))},
        {"empty", bytes({})},
        {"folder", [](const TempDir& c) { std::filesystem::create_directories(handoffFileIn(c)); }},
        // A good picture, but where others could have put it.
        {"folder writable by others",
         [&](const TempDir& c) {
             placeHandoff(c, red(64, 64));
             std::filesystem::permissions(c / "v_kord", std::filesystem::perms::all);
         }},
        {"folder is a link",
         [&](const TempDir& c) {
             std::filesystem::create_directories(c / "elsewhere" / "v_kord");
             std::filesystem::create_directory_symlink(c / "elsewhere" / "v_kord", c / "v_kord");
             placeHandoff(c, red(64, 64));
         }},
        {"fifo",
         [](const TempDir& c) {
             std::filesystem::create_directories(c / "v_kord");
             ASSERT_EQ(mkfifo(handoffFileIn(c).c_str(), 0600), 0);
         }},
    };

    XvfbServer server;
    for (const auto& [what, setup] : cases) {
        SCOPED_TRACE(what);
        TempDir cache;
        setup(cache);
        RendererRun run(server, cache);
        ASSERT_TRUE(run.waitUntilAnimating(StartTimeout));
        auto share = greyShare(server.grabRoot(), windowOrigin(server, run.window()));
        EXPECT_GT(share.neutral, 0.6);
        EXPECT_NEAR(share.neutralLevel, 0.56 * 255, 6);
        EXPECT_LT(share.coloured, 0.01);
        EXPECT_TRUE(run.process().running());
        endWithEscape(run);
        ASSERT_TRUE(server.waitForNoWindow(RendererTitle, 10s));
    }
}

// Draws the sample hand-off picture, an evening landscape of our own design, and writes it
// as a 24-bit bitmap: a sky from deep blue to orange, a large sun on the left, rolling hills
// in bands of colour and a white arrow pointing right. Nothing in it is symmetric left to
// right, so the renderer's mirrored floor is easy to see.
//   quillaro_sample_picture <output.bmp> [width height]
#include "common/Bmp24Writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint32_t DefaultWidth = 1024;
constexpr std::uint32_t DefaultHeight = 768;

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

constexpr Colour SkyTop = {20, 30, 110};
constexpr Colour SkyLow = {250, 150, 60};
constexpr Colour SunCore = {255, 240, 120};
constexpr Colour SunRim = {255, 170, 40};
constexpr Colour HillBands[] = {{40, 140, 70}, {30, 100, 140}, {120, 60, 150}, {200, 60, 80}};
constexpr Colour ArrowColour = {250, 250, 250};

// Everything is placed in units of the picture's size, so any size gives the same drawing.
Colour pixelAt(double u, double v) { // u: 0 left to 1 right, v: 0 top to 1 bottom
    Colour c = mix(SkyTop, SkyLow, v / 0.6);

    const double sunX = 0.24, sunY = 0.28, sunR = 0.14;
    const double d = std::hypot((u - sunX) * 4.0 / 3.0, v - sunY);
    if (d < sunR)
        c = mix(SunCore, SunRim, d / sunR);
    else if (d < sunR * 1.6 && std::fmod(std::atan2(v - sunY, u - sunX) + 7.0, 0.35) < 0.12)
        c = mix(c, SunRim, 0.6); // rays

    // Hills: each band's top is a wave that rises towards the right.
    for (int i = 0; i < 4; ++i) {
        double top = 0.55 + 0.1 * i - 0.12 * u + 0.04 * std::sin(u * (7 + 3 * i) + i);
        if (v > top)
            c = mix(HillBands[i], {0, 0, 0}, (v - top) * 1.5);
    }

    // An arrow pointing right, low on the left.
    const double ax = u - 0.08, ay = v - 0.86;
    const bool shaft = ax > 0 && ax < 0.22 && std::fabs(ay) < 0.025;
    const bool head = ax >= 0.22 && ax < 0.32 && std::fabs(ay) < 0.07 * (0.32 - ax) / 0.1;
    if (shaft || head)
        c = ArrowColour;
    return c;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s <output.bmp> [width height]\n", argv[0]);
        return 2;
    }
    std::uint32_t width = DefaultWidth, height = DefaultHeight;
    if (argc == 4) {
        width = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
        height = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
        if (width == 0 || height == 0 || width > 16384 || height > 16384) {
            std::fprintf(stderr, "%s: width and height must be 1 to 16384\n", argv[0]);
            return 2;
        }
    }
    std::vector<std::uint8_t> rgb;
    rgb.reserve(std::size_t{width} * height * 3);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            Colour c = pixelAt((x + 0.5) / width, (y + 0.5) / height);
            for (double channel : {c.r, c.g, c.b})
                rgb.push_back(static_cast<std::uint8_t>(std::clamp(channel, 0.0, 255.0)));
        }
    if (!quillaro::bmp24::writeFile(argv[1], quillaro::bmp24::encode(width, height, rgb))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}

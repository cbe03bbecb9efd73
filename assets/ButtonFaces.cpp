// Draws the push button's five face pictures, our own artwork, and writes them as 24-bit bitmaps
// into one folder: Normal, HighLight (also the focused-and-hovered look), Pressed, Disable and
// Selected, each 64 x 25 pixels. Only the 4-pixel ring of a picture is ever shown, cut into
// corners and edges that the button fits to its own size; the gradient of the button shows
// inside it. The ring is a rounded outline with a bevel lit from the top left:
//   Normal    grey-blue outline, raised bevel
//   HighLight bright blue outline with a pale blue glow
//   Pressed   dark outline, the bevel sunk in
//   Disable   flat grey
//   Selected  dark blue outline inside a blue focus ring
// The inner 56 x 17 pixels never reach the screen; they are filled with magenta, so a button
// that showed them would be seen at once.
//   quillaro_button_faces <output folder>
#include "OutputFolder.h"
#include "common/Bmp24Writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr int Width = 64;
constexpr int Height = 25;
constexpr int Ring = 4;
constexpr double CornerRadius = 3.5;
constexpr int Subsamples = 4; // per side, for smooth rounded corners

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

constexpr Colour Surroundings = {220, 220, 226}; // what the rounded corners blend into
constexpr Colour NeverShown = {255, 0, 255};

// One look: the colour of each layer of the ring, from the outline inwards, on the lit side
// (top and left) and on the shaded side (bottom and right).
struct Look {
    const char* file;
    Colour lit[Ring];
    Colour shaded[Ring];
};

constexpr Look Looks[] = {
    {"Normal.bmp",
     {{92, 100, 136}, {255, 255, 255}, {246, 246, 250}, {252, 252, 254}},
     {{92, 100, 136}, {168, 172, 196}, {204, 204, 220}, {214, 213, 228}}},
    {"HighLight.bmp",
     {{56, 108, 204}, {255, 255, 255}, {196, 220, 255}, {228, 239, 255}},
     {{56, 108, 204}, {136, 172, 236}, {186, 210, 250}, {222, 234, 255}}},
    {"Pressed.bmp",
     {{54, 60, 94}, {132, 136, 166}, {178, 180, 204}, {204, 204, 222}},
     {{54, 60, 94}, {238, 238, 246}, {226, 226, 236}, {218, 218, 230}}},
    {"Disable.bmp",
     {{166, 166, 172}, {250, 250, 250}, {240, 240, 242}, {244, 244, 246}},
     {{166, 166, 172}, {206, 206, 210}, {222, 222, 226}, {230, 230, 234}}},
    {"Selected.bmp",
     {{36, 66, 146}, {92, 144, 230}, {160, 194, 244}, {222, 233, 252}},
     {{36, 66, 146}, {80, 128, 214}, {146, 180, 236}, {210, 222, 246}}},
};

// How far a point lies inside the picture's rounded outline (negative outside), and how much of
// the light from the top left falls on the nearest stretch of the outline (0 shaded, 1 lit).
struct RingPoint {
    double depth;
    double light;
};

RingPoint ringPoint(double x, double y) {
    const double cx = std::clamp(x, CornerRadius, Width - CornerRadius);
    const double cy = std::clamp(y, CornerRadius, Height - CornerRadius);
    double nx, ny, depth;
    if (cx != x || cy != y) { // in a corner: measured from the arc
        const double dx = x - cx, dy = y - cy, d = std::hypot(dx, dy);
        depth = CornerRadius - d;
        nx = d > 0 ? dx / d : -0.7;
        ny = d > 0 ? dy / d : -0.7;
    } else { // along a side: measured from the nearest side
        const double sides[] = {x, Width - x, y, Height - y};
        const int nearest = static_cast<int>(std::min_element(sides, sides + 4) - sides);
        depth = sides[nearest];
        nx = nearest == 0 ? -1 : nearest == 1 ? 1 : 0;
        ny = nearest == 2 ? -1 : nearest == 3 ? 1 : 0;
    }
    // Light from the top left: the top and left sides face it, the bottom and right turn away.
    const double facing = -(nx * 0.6 + ny * 0.8);
    return {depth, std::clamp(0.5 + facing, 0.0, 1.0)};
}

Colour ringColour(const Look& look, double x, double y) {
    const RingPoint p = ringPoint(x, y);
    if (p.depth < 0)
        return Surroundings;
    const int layer = std::min(static_cast<int>(p.depth), Ring - 1);
    return mix(look.shaded[layer], look.lit[layer], p.light);
}

std::vector<std::uint8_t> draw(const Look& look) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(std::size_t{Width} * Height * 3);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            Colour c{0, 0, 0};
            const bool inside = x >= Ring && x < Width - Ring && y >= Ring && y < Height - Ring;
            if (inside) {
                c = NeverShown;
            } else {
                for (int sy = 0; sy < Subsamples; ++sy)
                    for (int sx = 0; sx < Subsamples; ++sx) {
                        const Colour s = ringColour(look, x + (sx + 0.5) / Subsamples,
                                                    y + (sy + 0.5) / Subsamples);
                        c = {c.r + s.r, c.g + s.g, c.b + s.b};
                    }
                const double n = Subsamples * Subsamples;
                c = {c.r / n, c.g / n, c.b / n};
            }
            for (double channel : {c.r, c.g, c.b})
                rgb.push_back(
                    static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0, 255.0))));
        }
    }
    return rgb;
}

} // namespace

int main(int argc, char** argv) {
    const auto out = quillaro::outputFolder(argc, argv);
    if (!out)
        return 2;
    const std::filesystem::path& folder = *out;
    for (const Look& look : Looks) {
        const std::filesystem::path file = folder / look.file;
        if (!quillaro::bmp24::writeFile(file, quillaro::bmp24::encode(Width, Height, draw(look)))) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], file.c_str());
            return 1;
        }
    }
    return 0;
}

// What the display-mode tests look for on the screen, and how they wait for it.
#pragma once

#include "XvfbServer.h"

#include <chrono>
#include <functional>
#include <thread>

namespace quillaro::test {

inline bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Pixels of the columns [x0, x0 + width) in a colour that only a floor carrying a flat full cyan
// (or magenta) desktop gives: the floor dims the picture over black (the desktop itself is
// brighter), and every solid has a strong red (its ambient light) and green (its diffuse
// colour) share.
inline int floorPixels(const RgbImage& image, int x0, int width, bool cyan) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < x0 + width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            const auto dimmed = [](std::uint8_t v) { return v > 80 && v < 200; };
            count += cyan ? p[0] < 20 && dimmed(p[1]) && dimmed(p[2])
                          : p[1] < 20 && dimmed(p[0]) && dimmed(p[2]);
        }
    return count;
}

// Waits until the left half's floor carries cyan and the right half's magenta: a scene on
// each of two monitors side by side, each with its own desktop. The last look stays in screen.
inline bool waitForBothFloors(const XvfbServer& xvfb, RgbImage& screen) {
    return eventually(
        [&] {
            screen = xvfb.grabRoot();
            const int half = screen.width / 2;
            return floorPixels(screen, 0, half, true) > 2000 &&
                   floorPixels(screen, half, half, false) > 2000;
        },
        std::chrono::seconds(60));
}

} // namespace quillaro::test

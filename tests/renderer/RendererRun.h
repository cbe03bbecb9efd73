// Starts the renderer program on a test's own X server with a private hand-off place, and
// reads what it shows. Shared by the renderer's integration tests.
#pragma once

#include "ChildProcess.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace quillaro::test {

inline constexpr const char* RendererTitle = "Lumivane_VC";
inline constexpr auto StartTimeout = std::chrono::seconds(60);
inline constexpr auto EndTimeout = std::chrono::seconds(30);

// Where the renderer looks for the picture when XDG_CACHE_HOME is cache.
std::filesystem::path handoffFileIn(const TempDir& cache);
// Writes bytes as the hand-off file (creating its folder).
void placeHandoff(const TempDir& cache, std::span<const std::uint8_t> bytes);

class RendererRun {
public:
    // Starts the program, with extraEnv added to its environment; the caller then waits for it
    // with waitUntilAnimating().
    RendererRun(const XvfbServer& server, const TempDir& cache,
                const std::map<std::string, std::string>& extraEnv = {});

    // The renderer's window once it exists and has drawn at least two different frames;
    // false as soon as the program has ended.
    bool waitUntilAnimating(std::chrono::milliseconds timeout);
    unsigned long window() const { return window_; }
    ChildProcess& process() { return process_; }
    // True once the screen has changed twice since the call: the main loop has come round
    // again, so every input event sent before the call has been handled. False when the
    // program ends or the time is up first.
    bool waitForFreshFrames(std::chrono::milliseconds timeout);
    void focusAndPress(const std::string& key);
    std::string standardOutput() const;
    std::string standardError() const;

private:
    const XvfbServer& server_;
    TempDir logs_;
    ChildProcess process_;
    unsigned long window_ = 0;
};

// Where a point of the floor plane, given in the camera's fixed frame (before the scene's
// turn), appears on the screen, for a renderer window at (left, top) of 1024 x 768.
struct ScreenPoint {
    int x;
    int y;
};
ScreenPoint projectFloorPoint(double x, double z, int left, int top);

// The top-left corner of a window on the screen.
ScreenPoint windowOrigin(const XvfbServer& server, unsigned long window);

} // namespace quillaro::test

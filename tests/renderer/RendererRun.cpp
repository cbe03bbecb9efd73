#include "RendererRun.h"

#include "common/Bmp24Writer.h"

#include <X11/Xlib.h>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace quillaro::test {
namespace {

// The renderer's camera, restated here so the tests check the picture independently.
constexpr double EyeY = 220.0;
constexpr double EyeZ = 300.0;
constexpr double HalfFieldOfView = 30.0 * 3.14159265358979323846 / 180.0;
constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ProcessOptions rendererOptions(const XvfbServer& server, const TempDir& cache, const TempDir& logs,
                               const std::map<std::string, std::string>& extraEnv) {
    auto options = server.options();
    options.setEnv.insert(extraEnv.begin(), extraEnv.end());
    options.setEnv["XDG_CACHE_HOME"] = cache.path().string();
    options.stdoutFile = logs / "stdout.txt";
    options.stderrFile = logs / "stderr.txt";
    return options;
}

} // namespace

std::filesystem::path handoffFileIn(const TempDir& cache) {
    return cache / "v_kord" / "Lumivane.bmp";
}

void placeHandoff(const TempDir& cache, std::span<const std::uint8_t> bytes) {
    // The renderer trusts only a folder nobody else can write to, whatever the umask.
    std::filesystem::create_directories(cache / "v_kord");
    std::filesystem::permissions(cache / "v_kord", std::filesystem::perms::owner_all);
    if (!bmp24::writeFile(handoffFileIn(cache), bytes))
        throw std::runtime_error("cannot write the hand-off file");
}

RendererRun::RendererRun(const XvfbServer& server, const TempDir& cache,
                         const std::map<std::string, std::string>& extraEnv)
    : server_(server), process_(std::filesystem::path(QUILLARO_BIN_DIR) / "Quillaro.dll",
                                rendererOptions(server, cache, logs_, extraEnv)) {}

bool RendererRun::waitUntilAnimating(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (server_.findWindows(RendererTitle).empty()) {
        if (!process_.running() || std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    window_ = server_.findWindows(RendererTitle).front();
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return waitForFreshFrames(std::max(left, std::chrono::milliseconds(1)));
}

bool RendererRun::waitForFreshFrames(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    auto last = server_.grabRoot().rgb;
    int changes = 0;
    while (changes < 2 && std::chrono::steady_clock::now() < deadline && process_.running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        auto now = server_.grabRoot().rgb;
        if (now != last) {
            ++changes;
            last = std::move(now);
        }
    }
    return changes >= 2;
}

void RendererRun::focusAndPress(const std::string& key) {
    // Without a window manager nobody gives the window the keyboard focus: take it first,
    // then type through the XTEST extension like a real keyboard.
    server_.xdotool({"windowfocus", "--sync", std::to_string(window_)});
    server_.xdotool({"key", key});
}

std::string RendererRun::standardOutput() const {
    return readAll(logs_ / "stdout.txt");
}
std::string RendererRun::standardError() const {
    return readAll(logs_ / "stderr.txt");
}

ScreenPoint projectFloorPoint(double x, double z, int left, int top) {
    // Looking from (0, EyeY, EyeZ) at the origin with up (0, 1, 0): the camera's right is +x,
    // its forward f and its up u lie in the y-z plane.
    const double length = std::hypot(EyeY, EyeZ);
    const double fy = -EyeY / length, fz = -EyeZ / length;
    const double uy = -fz, uz = fy;                 // f turned by 90 degrees, pointing upwards
    const double rx = x, ry = -EyeY, rz = z - EyeZ; // from the eye to the point
    const double depth = ry * fy + rz * fz;
    const double up = ry * uy + rz * uz;
    const double tangent = std::tan(HalfFieldOfView);
    const double aspect = static_cast<double>(ScreenWidth) / ScreenHeight;
    const double ndcX = rx / (depth * tangent * aspect);
    const double ndcY = up / (depth * tangent);
    return {left + static_cast<int>(std::lround((ndcX + 1) / 2 * ScreenWidth)),
            top + static_cast<int>(std::lround((1 - ndcY) / 2 * ScreenHeight))};
}

ScreenPoint windowOrigin(const XvfbServer& server, unsigned long window) {
    Display* display = XOpenDisplay(server.display().c_str());
    if (!display)
        throw std::runtime_error("cannot open the test display");
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    XCloseDisplay(display);
    return {x, y};
}

} // namespace quillaro::test

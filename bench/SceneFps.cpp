// Frames per second of the renderer's scene, drawn by the renderer's own scene code with a
// 1024 x 768 picture on the floor, counted over 10 seconds after the first frame. Without a
// DISPLAY it runs itself again under a private Xvfb of 1024 x 768 x 24.
#include "Renderer.h"
#include "common/Bmp24Writer.h"

#include <GL/freeglut.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr double MeasureSeconds = 10.0;

using Clock = std::chrono::steady_clock;
Clock::time_point firstFrame;
long frames = 0;
double seconds = 0;

void countedDraw() {
    quillaro::drawScene();
    if (frames++ == 0) {
        firstFrame = Clock::now();
        return;
    }
    seconds = std::chrono::duration<double>(Clock::now() - firstFrame).count();
    if (seconds >= MeasureSeconds)
        glutLeaveMainLoop();
}

// A 1024 x 768 picture in a private hand-off place, so the floor is textured as in a run.
std::filesystem::path placePicture() {
    char name[] = "/tmp/quillaro-fps-XXXXXX";
    if (!mkdtemp(name))
        std::abort();
    std::filesystem::path cache = name;
    std::filesystem::create_directories(cache / "v_kord");
    std::filesystem::permissions(cache / "v_kord", std::filesystem::perms::owner_all);
    std::vector<std::uint8_t> rgb(1024 * 768 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>((i / 3 % 1024) ^ (i / 3072));
    if (!quillaro::bmp24::writeFile(cache / "v_kord" / "Lumivane.bmp",
                                    quillaro::bmp24::encode(1024, 768, rgb)))
        std::abort();
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    return cache;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) {
        execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1024x768x24 +extension GLX", argv[0],
               static_cast<char*>(nullptr));
        std::perror("xvfb-run");
        return 1;
    }
    auto cache = placePicture();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(quillaro::WindowWidth, quillaro::WindowHeight);
    glutCreateWindow("Lumivane_VC frame rate");
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    quillaro::initScene();
    glutDisplayFunc(countedDraw);
    glutReshapeFunc(quillaro::onReshape);
    glutIdleFunc(quillaro::onIdle);
    glutFullScreen();
    const bool textured = quillaro::rendererState().floorTexture != 0;
    // Copied now: the driver's string is gone once the main loop has closed the window.
    const auto* rendererName = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string renderer = rendererName ? rendererName : "?";
    glutMainLoop();

    std::printf("renderer: %s\nfloor picture: %s\n", renderer.c_str(),
                textured ? "1024 x 768" : "none");
    std::printf("frames: %ld in %.2f s\nframes per second: %.1f\n", frames - 1, seconds,
                seconds > 0 ? (frames - 1) / seconds : 0.0);
    quillaro::cleanupRenderer();
    std::filesystem::remove_all(cache);
    return 0;
}

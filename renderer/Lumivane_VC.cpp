// Lumivane_VC, the renderer program (shipped as Quillaro.dll): a full-screen OpenGL window
// titled "Lumivane_VC" that animates the scene with the hand-off picture on its floor until
// Escape is pressed. Started by a display-mode saver with "--window-id W --picture FILE", it
// draws inside window W instead, with FILE on its floor, until W goes. It writes nothing.
#include "ForeignXErrors.h"
#include "Renderer.h"
#include "WindowPlacement.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <cstdio>
#include <memory>

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

} // namespace

int main(int argc, char** argv) {
    using namespace quillaro;
    ignoreForeignXErrors();
    // One look at the server before freeglut connects: a dead window manager's leftover, and
    // where the window goes.
    std::unique_ptr<Display, DisplayCloser> look(XOpenDisplay(nullptr));
    forgetDeadWindowManager(look.get());
    const auto options = takeRendererOptions(argc, argv);
    if (!options) {
        std::fputs("Quillaro.dll: --window-id needs a window id, --picture a file\n", stderr);
        return 2;
    }
    HostFollower host;
    if (options->hostWindow != 0 && !host.watch(options->hostWindow))
        return 0; // the window to draw in has gone already: nothing to show
    RendererState& state = rendererState();
    state.picturePath = options->picture;
    if (options->hostWindow != 0)
        state.host = &host;
    const WindowPlacement placement =
        state.host ? WindowPlacement{} : placeWindow(look.get(), WindowWidth, WindowHeight);
    look.reset();

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    if (state.host) {
        // Made off the screen at the host's size, so nothing shows before it is moved in.
        glutInitWindowSize(host.width(), host.height());
        glutInitWindowPosition(host.offScreenX(), host.offScreenY());
    } else {
        glutInitWindowSize(placement.area.width, placement.area.height);
        // Without a window manager freeglut goes full screen by moving the window back by its
        // own offset; from its default place at (-1, -1) that lands it at (1, 1), leaving a
        // strip of the desktop along the top and left edges. Starting at the origin makes that
        // move land at 0.
        glutInitWindowPosition(placement.area.x, placement.area.y);
    }
    glutCreateWindow(RendererWindowTitle);
    // freeglut has made the window's GL context current, so its drawable is the window.
    // Inside a daemon's window it goes when the host does; the follower ends the renderer
    // then, so errors about it are not fatal there.
    if (state.host)
        host.adopt(glXGetCurrentDisplay(), glXGetCurrentDrawable());
    else
        setOwnXWindow(glXGetCurrentDrawable());
    initScene();
    glutDisplayFunc(drawScene);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onIdle);
    glutKeyboardFunc(onKeyboard);
    if (!state.host && placement.fullScreen)
        glutFullScreen();
    glutMainLoop();
    cleanupRenderer();
    return 0;
}

// Lumivane_VC, the renderer program (shipped as Quillaro.dll): a full-screen OpenGL window
// titled "Lumivane_VC" that animates the scene with the hand-off picture on its floor until
// Escape is pressed. It takes no options of its own and writes nothing.
#include "ForeignXErrors.h"
#include "Renderer.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

int main(int argc, char** argv) {
    using namespace quillaro;
    ignoreForeignXErrors();
    forgetDeadWindowManager();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(WindowWidth, WindowHeight);
    // Without a window manager freeglut goes full screen by moving the window back by its own
    // offset; from its default place at (-1, -1) that lands it at (1, 1), leaving a strip of the
    // desktop along the top and left edges. Starting at the origin makes that move land at 0.
    glutInitWindowPosition(0, 0);
    glutCreateWindow(RendererWindowTitle);
    // freeglut has made the window's GL context current, so its drawable is the window.
    setOwnXWindow(glXGetCurrentDrawable());
    initScene();
    glutDisplayFunc(drawScene);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onIdle);
    glutKeyboardFunc(onKeyboard);
    glutFullScreen();
    glutMainLoop();
    cleanupRenderer();
    return 0;
}

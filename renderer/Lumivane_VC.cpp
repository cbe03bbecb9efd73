// Lumivane_VC, the renderer program (shipped as Quillaro.dll): a full-screen OpenGL window
// titled "Lumivane_VC" that animates the scene with the hand-off picture on its floor until
// Escape is pressed. It takes no options of its own and writes nothing.
#include "Renderer.h"

#include <GL/freeglut.h>

int main(int argc, char** argv) {
    using namespace quillaro;
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(WindowWidth, WindowHeight);
    glutCreateWindow(WindowTitle);
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

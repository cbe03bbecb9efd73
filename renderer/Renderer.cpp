#include "Renderer.h"

#include "common/HandoffPath.h"
#include "common/PrivateFolder.h"

#ifdef QUILLARO_PIN_GL_DRIVER
#include "GlDriverPin.h"
#endif

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quillaro {
namespace {

constexpr unsigned char EscapeKey = 27;

constexpr GLfloat ClearColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat LightPosition[4] = {0.0f, 30.0f, 200.0f, 0.9f};
constexpr GLfloat LightAmbient[4] = {0.9f, 0.9f, 0.9f, 0.9f};
constexpr GLfloat LightDiffuse[4] = {0.5f, 0.5f, 0.5f, 0.9f};
constexpr GLfloat MaterialAmbient[4] = {0.1f, 0.4f, 0.1f, 0.5f};
constexpr GLfloat MaterialDiffuse[4] = {0.0f, 1.0f, 0.0f, 0.5f};
constexpr GLfloat MaterialSpecular[4] = {0.1f, 0.1f, 0.9f, 0.5f};
constexpr GLfloat MaterialShininess = 50.0f;
constexpr GLfloat PassAmbientRed = 0.5f;
constexpr GLfloat FrameColour[4] = {0.8f, 0.8f, 0.8f, 0.7f};

constexpr GLdouble RingRadius = 15.0;
constexpr GLint TorusSides = 20;
constexpr GLint TorusRings = 20;
constexpr GLdouble CubeEdge = 9.0;
constexpr GLdouble SphereRadius = 9.0;
constexpr GLint SphereSlices = 15;
constexpr GLint SphereStacks = 20;
constexpr GLdouble ConeBase = 9.0;
constexpr GLdouble ConeHeight = 15.0;
constexpr GLint ConeSlices = 20;
constexpr GLint ConeStacks = 20;

// The floor square as a strip: texture coordinate, then position. Its left picture edge
// (s = 0) lies at x = 200, on the right as seen from the camera, so the picture shows
// mirrored like a reflection; its bottom edge (t = 0) is the edge nearest the camera.
struct FloorVertex {
    GLfloat s, t;
    GLfloat x, y, z, w;
};
constexpr FloorVertex FloorStrip[4] = {
    {1, 1, -200, 0, -200, 1},
    {0, 1, 200, 0, -200, 1},
    {1, 0, -200, 0, 200, 1},
    {0, 0, 200, 0, 200, 1},
};

RendererState state;

void applyPassAmbient() {
    state.materialAmbient[0] = PassAmbientRed;
    glMaterialfv(GL_FRONT, GL_AMBIENT, state.materialAmbient.data());
}

void drawObjects() {
    const auto tube = static_cast<GLdouble>(state.breathing.tubeRadius);
    for (const GridPosition& p : state.gridPositions) {
        glPushMatrix();
        glTranslatef(p.x, p.y, p.z);
        glRotatef(state.angles.spinAngle * SpinScale, 1.0f, 1.0f, 1.0f);
        switch (state.solidKind) {
        case SolidKind::Cube:
            glutSolidCube(CubeEdge);
            break;
        case SolidKind::Sphere:
            glutSolidSphere(SphereRadius, SphereSlices, SphereStacks);
            break;
        case SolidKind::Cone:
            glutSolidCone(ConeBase, ConeHeight, ConeSlices, ConeStacks);
            break;
        case SolidKind::TorusOnly:
            glutSolidTorus(tube, RingRadius, TorusSides, TorusRings);
            break;
        }
        glutSolidTorus(tube, RingRadius, TorusSides, TorusRings);
        glCallList(state.ringList);
        glPopMatrix();
    }
}

void drawFloor() {
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    // Texture 0 has no image without a picture; GL then leaves the floor untextured.
    glBindTexture(GL_TEXTURE_2D, state.floorTexture);
    glBegin(GL_TRIANGLE_STRIP);
    for (const FloorVertex& v : FloorStrip) {
        glTexCoord2f(v.s, v.t);
        glVertex4f(v.x, v.y, v.z, v.w);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void buildFloorTexture() {
    glGenTextures(1, &state.floorTexture);
    glBindTexture(GL_TEXTURE_2D, state.floorTexture);
    // The loader packs its rows without padding, so rows of any width are read as written.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, state.pictureWidth, state.pictureHeight, GL_RGB,
                      GL_UNSIGNED_BYTE, state.picturePixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

} // namespace

RendererState& rendererState() {
    return state;
}

int checkError(const char* caller) {
    int count = 0;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        ++count;
#ifndef NDEBUG
        std::fprintf(stderr, "%s: GL error 0x%04x\n", caller, error);
#else
        (void)caller;
#endif
    }
    return count;
}

void initScene() {
#ifdef QUILLARO_PIN_GL_DRIVER
    pinGlDriverModules();
#endif
    state.breathing = Breathing{};
    state.solidKind = nextSolidKind(state.random);

    // Hidden until cleanupRenderer; the renderer owns the screen while it runs. Inside a
    // daemon's window the daemon hides the pointer itself.
    if (!state.host)
        glutSetCursor(GLUT_CURSOR_NONE);

    glClearColor(ClearColour[0], ClearColour[1], ClearColour[2], ClearColour[3]);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    // Set while the model-view matrix is still identity, so the light sits in eye space and
    // stays with the viewer while the scene turns.
    glLightfv(GL_LIGHT0, GL_POSITION, LightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, LightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, LightDiffuse);

    std::copy(std::begin(MaterialAmbient), std::end(MaterialAmbient),
              state.materialAmbient.begin());
    glMaterialfv(GL_FRONT, GL_AMBIENT, state.materialAmbient.data());
    glMaterialfv(GL_FRONT, GL_DIFFUSE, MaterialDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, MaterialSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, MaterialShininess);

    // Only a picture in a folder nobody else can write into is shown.
    const auto path = state.picturePath.empty() ? handoffPath() : state.picturePath;
    auto picture =
        !path.empty() && isPrivateFolder(path.parent_path()) ? loadBitmap24(path) : std::nullopt;
    if (picture) {
        state.picturePixels = std::move(picture->pixels);
        state.pictureWidth = static_cast<GLsizei>(picture->width);
        state.pictureHeight = static_cast<GLsizei>(picture->height);
        buildFloorTexture();
    }

    state.gridPositions = makeGridPositions();

    // The thin ring never changes, so it is compiled once at the breathing torus's
    // starting thickness.
    state.ringList = glGenLists(1);
    glNewList(state.ringList, GL_COMPILE);
    glutSolidTorus(InitialTubeRadius, RingRadius, TorusSides, TorusRings);
    glEndList();

    checkError("initScene");
}

void drawScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4fv(FrameColour);

    glPushMatrix();
    glRotatef(state.angles.orbitAngle, 0.0f, 1.0f, 0.0f);
    glEnable(GL_LIGHTING);
    applyPassAmbient();

    if (state.breathing.step())
        state.solidKind = nextSolidKind(state.random);

    drawObjects();
    // Everything from here on is reflected through the floor plane y = 0.
    glScalef(1.0f, -1.0f, 1.0f);
    applyPassAmbient();
    drawObjects();
    drawFloor();
    glPopMatrix();

    glutSwapBuffers();
#ifndef NDEBUG
    checkError("drawScene");
#endif
}

void onReshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, aspectRatio(width, height), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(Eye[0], Eye[1], Eye[2], 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
}

void onIdle() {
    if (state.host)
        state.host->poll([](int width, int height) { glutReshapeWindow(width, height); },
                         [] {
                             cleanupRenderer();
                             std::exit(0);
                         });
    else
        state.keyboard.tryGrab(KeyboardGrab::Clock::now());
    state.angles.advance();
    glutPostRedisplay();
}

void onKeyboard(unsigned char key, int, int) {
    if (key == EscapeKey) {
        cleanupRenderer();
        std::exit(0);
    }
}

void cleanupRenderer() {
    // Only while a window exists: GLUT treats a cursor change without one as fatal.
    if (glutGetWindow() != 0)
        glutSetCursor(GLUT_CURSOR_INHERIT);
    state.keyboard.release();
    state.picturePixels = {};
}

} // namespace quillaro

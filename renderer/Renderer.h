// The renderer's scene and its GLUT callbacks, kept apart from the entry point so that the
// frame-rate benchmark drives exactly the code the program runs.
//
// The scene: a 3 x 3 x 3 grid of spinning solids (cubes, spheres or cones, all of one kind),
// each inside a breathing torus and a thin fixed ring, turning slowly about the vertical
// axis; mirrored below a translucent floor that carries the hand-off picture.
// Keys: Escape ends the program. Nothing else does anything. The window takes the keyboard
// while it runs, so Escape arrives whichever window had the focus.
#pragma once

#include "Bitmap24Loader.h"
#include "Breathing.h"
#include "HostEmbedding.h"
#include "KeyboardGrab.h"
#include "RandomGenerator.h"
#include "SceneLayout.h"
#include "TurnAngles.h"
#include "common/ProgramNames.h"

#include <GL/gl.h>
#include <array>
#include <vector>

namespace quillaro {

inline constexpr int WindowWidth = 1024;
inline constexpr int WindowHeight = 768;

// Everything the renderer keeps for the whole run.
struct RendererState {
    TurnAngles angles;   // spinAngle, orbitAngle
    Breathing breathing; // tubeRadius, shrinking
    RandomGenerator random;
    SolidKind solidKind = SolidKind::Sphere;
    std::array<GLfloat, 4> materialAmbient{};

    std::vector<RgbPixel> picturePixels; // empty when there is no picture
    GLsizei pictureWidth = 0;
    GLsizei pictureHeight = 0;

    GLuint ringList = 0;
    GLuint floorTexture = 0; // stays 0 without a picture: the floor is then plain grey
    std::array<GridPosition, GridCount> gridPositions{};
    KeyboardGrab keyboard; // taken once the window is on screen, so Escape always arrives

    // Inside a screen-saver daemon's window: no full screen, no keyboard, no cursor change
    // (the daemon owns those), and the host followed every frame. Null for the ordinary run.
    HostFollower* host = nullptr;
    std::filesystem::path picturePath; // empty: the common hand-off file
};

// The one instance the GLUT callbacks work on.
RendererState& rendererState();

// Once, with the new window's context current and the model-view matrix still identity.
void initScene();
void drawScene();
void onReshape(int width, int height);
void onIdle();
void onKeyboard(unsigned char key, int x, int y);
// Shows the cursor again, gives the keyboard back and releases the picture.
void cleanupRenderer();

// Drains the GL error queue and returns how many errors it held. Debug builds name them with
// the caller; optimised builds stay silent, as the renderer writes nothing in normal runs.
int checkError(const char* caller);

} // namespace quillaro

// The breathing torus: its tube thickens from 0 to 6 and thins back, a small step per frame.
// Each turn of direction is the moment a new kind of solid is chosen.
#pragma once

namespace quillaro {

inline constexpr float InitialTubeRadius = 0.1f;
inline constexpr double BreathStep = 0.005;
inline constexpr float ThickestTube = 6.0f;
inline constexpr float ThinnestTube = 0.0f;

struct Breathing {
    float tubeRadius = InitialTubeRadius;
    bool shrinking = false;

    // One frame's step. True when the tube passed its limit on this step, was clamped to it
    // and turned; reaching the limit exactly does not turn it, the step past it does.
    bool step();
};

} // namespace quillaro

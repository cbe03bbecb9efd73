// The two angles that move the scene, advanced by a fixed step on every idle call. Each is
// kept within one full turn of what it drives, so a run of any length keeps full float
// precision: the solids spin by ten times spinAngle, so 36 degrees of spinAngle is a whole
// turn; the orbit turns the scene by orbitAngle itself.
#pragma once

#include <cstdint>

namespace quillaro {

inline constexpr double SpinStep = 0.2;   // degrees of spinAngle per idle call
inline constexpr double OrbitStep = 0.3;  // degrees of orbitAngle per idle call
inline constexpr float SpinScale = 10.0f; // a solid turns by spinAngle * SpinScale degrees
inline constexpr std::uint32_t SpinStepsPerTurn = 180;   // 180 * 0.2 * 10 = 360 degrees
inline constexpr std::uint32_t OrbitStepsPerTurn = 1200; // 1200 * 0.3 = 360 degrees

struct TurnAngles {
    float spinAngle = 0.0f;  // degrees, 0 <= spinAngle < 36
    float orbitAngle = 0.0f; // degrees, 0 <= orbitAngle < 360
    // Idle calls within the current whole turn. The angles are computed from these counts
    // rather than summed, so no rounding error builds up over a long run.
    std::uint32_t spinSteps = 0;
    std::uint32_t orbitSteps = 0;

    void advance();
};

} // namespace quillaro

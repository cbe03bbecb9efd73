#include "TurnAngles.h"

namespace quillaro {

void TurnAngles::advance() {
    spinSteps = (spinSteps + 1) % SpinStepsPerTurn;
    orbitSteps = (orbitSteps + 1) % OrbitStepsPerTurn;
    spinAngle = static_cast<float>(spinSteps * SpinStep);
    orbitAngle = static_cast<float>(orbitSteps * OrbitStep);
}

} // namespace quillaro

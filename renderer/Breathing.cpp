#include "Breathing.h"

namespace quillaro {

bool Breathing::step() {
    // The new radius is compared before it is rounded to float, so the turn frames stay
    // those of the double-precision sum.
    if (!shrinking) {
        double sum = double{tubeRadius} + BreathStep;
        if (sum > ThickestTube) {
            tubeRadius = ThickestTube;
            shrinking = true;
            return true;
        }
        tubeRadius = static_cast<float>(sum);
    } else {
        double difference = double{tubeRadius} - BreathStep;
        if (difference < ThinnestTube) {
            tubeRadius = ThinnestTube;
            shrinking = false;
            return true;
        }
        tubeRadius = static_cast<float>(difference);
    }
    return false;
}

} // namespace quillaro

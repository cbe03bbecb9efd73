// The renderer's own random numbers: a linear congruential generator that starts from 1 on
// every run and is never reseeded, so every run shows the same sequence of solids.
#pragma once

#include <cstdint>

namespace quillaro {

// What stands at each grid point beside the breathing torus.
enum class SolidKind { Cube = 0, Sphere = 1, Cone = 2, TorusOnly = 3 };

class RandomGenerator {
public:
    // The next number, 0 to 32767.
    int next();

private:
    std::uint32_t state_ = 1;
};

// A new kind of solid: the next number modulo 4.
SolidKind nextSolidKind(RandomGenerator& random);

} // namespace quillaro

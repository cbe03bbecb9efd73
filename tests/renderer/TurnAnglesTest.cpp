#include "TurnAngles.h"

#include <cmath>
#include <gtest/gtest.h>

using quillaro::TurnAngles;

namespace {

// Difference of two angles on the circle, in degrees, 0 to 180.
double circularDistance(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

} // namespace

TEST(TurnAngles, EighteenCallsTurnASolidBy36Degrees) {
    TurnAngles angles;
    for (int i = 0; i < 18; ++i)
        angles.advance();
    EXPECT_NEAR(angles.spinAngle * quillaro::SpinScale, 36.0, 1e-4);
    EXPECT_NEAR(angles.orbitAngle, 5.4, 1e-4);
}

TEST(TurnAngles, FirstStepsMatchPlainSums) {
    TurnAngles angles;
    float spin = 0.0f;
    float orbit = 0.0f;
    for (int i = 0; i < 170; ++i) {
        angles.advance();
        spin = static_cast<float>(spin + 0.2);
        orbit = static_cast<float>(orbit + 0.3);
        ASSERT_NEAR(angles.spinAngle, spin, 1e-4) << "call " << i + 1;
        ASSERT_NEAR(angles.orbitAngle, orbit, 1e-4) << "call " << i + 1;
    }
}

// Over a run of tens of millions of frames (hours at high frame rates) the angles stay within
// one turn and every frame shows the solids and the scene at the angles an exact, unbounded
// count would give; a plain float sum has long since frozen by then.
TEST(TurnAngles, LongRunKeepsTheVisibleAnglesExact) {
    constexpr std::uint64_t Calls = 30'000'000;
    TurnAngles angles;
    double worstSpin = 0.0;
    double worstOrbit = 0.0;
    for (std::uint64_t n = 1; n <= Calls; ++n) {
        angles.advance();
        if (n % 9973 != 0 && n < Calls - 1000)
            continue; // checking every frame would only slow the test
        ASSERT_GE(angles.spinAngle, 0.0f);
        ASSERT_LT(angles.spinAngle, 36.0f);
        ASSERT_GE(angles.orbitAngle, 0.0f);
        ASSERT_LT(angles.orbitAngle, 360.0f);
        // The exact visible angles: n * 2 degrees of spin, n * 0.3 of orbit, modulo 360,
        // computed from whole tenths of a degree so that they carry no rounding at all.
        double exactSpin = static_cast<double>((n * 2) % 360);
        double exactOrbit = static_cast<double>((n * 3) % 3600) / 10.0;
        worstSpin = std::max(worstSpin,
                             circularDistance(angles.spinAngle * quillaro::SpinScale, exactSpin));
        worstOrbit = std::max(worstOrbit, circularDistance(angles.orbitAngle, exactOrbit));
    }
    EXPECT_LT(worstSpin, 1e-3);
    EXPECT_LT(worstOrbit, 1e-3);
}

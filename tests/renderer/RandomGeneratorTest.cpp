#include "RandomGenerator.h"

#include <gtest/gtest.h>

using quillaro::nextSolidKind;
using quillaro::RandomGenerator;
using quillaro::SolidKind;

TEST(RandomGenerator, FirstPicksAreTheSameOnEveryRun) {
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724};
    for (int run = 0; run < 2; ++run) {
        RandomGenerator random;
        for (int want : expected)
            EXPECT_EQ(random.next(), want);
    }
}

TEST(RandomGenerator, PicksStayWithin15Bits) {
    RandomGenerator random;
    int highest = 0;
    for (int i = 0; i < 100000; ++i) {
        int pick = random.next();
        ASSERT_GE(pick, 0);
        highest = std::max(highest, pick);
    }
    EXPECT_EQ(highest, 32767);
}

TEST(RandomGenerator, SolidKindsStartWithSpheres) {
    using enum SolidKind;
    // 1, 3, 2, 0, 1, 0, 2, 2, 2, 0, 1, 1, 1, 3, 1, 3
    const SolidKind expected[] = {Sphere, TorusOnly, Cone,   Cube,     Sphere, Cube,
                                  Cone,   Cone,      Cone,   Cube,     Sphere, Sphere,
                                  Sphere, TorusOnly, Sphere, TorusOnly};
    RandomGenerator random;
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(nextSolidKind(random), expected[i]) << "pick " << i;
}

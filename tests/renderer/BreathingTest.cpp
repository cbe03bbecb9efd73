#include "Breathing.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using quillaro::Breathing;

namespace {

// The frames (counted from 1) on which the tube turns, over the first `frames` frames.
std::vector<int> turnFrames(int frames) {
    Breathing breathing;
    std::vector<int> turns;
    for (int frame = 1; frame <= frames; ++frame)
        if (breathing.step())
            turns.push_back(frame);
    return turns;
}

} // namespace

TEST(Breathing, FirstFrameThickensTheTubeByOneStep) {
    Breathing breathing;
    EXPECT_FALSE(breathing.step());
    EXPECT_FLOAT_EQ(breathing.tubeRadius, 0.105f);
    EXPECT_FALSE(breathing.shrinking);
}

TEST(Breathing, TurnsOnFrame1180ThenEvery1200Frames) {
    auto turns = turnFrames(1180 + 1200 * 20);
    ASSERT_EQ(turns.size(), 21u);
    for (std::size_t i = 0; i < turns.size(); ++i)
        EXPECT_EQ(turns[i], 1180 + 1200 * static_cast<int>(i)) << "turn " << i;
}

TEST(Breathing, HoldsExactlyTheLimitOnTheTurningFrame) {
    Breathing breathing;
    for (int frame = 1; frame < 1180; ++frame)
        ASSERT_FALSE(breathing.step());
    EXPECT_LT(breathing.tubeRadius, 6.0f);
    EXPECT_TRUE(breathing.step());
    EXPECT_EQ(breathing.tubeRadius, 6.0f);
    EXPECT_TRUE(breathing.shrinking);
    EXPECT_FALSE(breathing.step());
    EXPECT_FLOAT_EQ(breathing.tubeRadius, 5.995f);

    for (int frame = 1182; frame < 2380; ++frame)
        ASSERT_FALSE(breathing.step());
    EXPECT_GT(breathing.tubeRadius, 0.0f);
    EXPECT_TRUE(breathing.step());
    EXPECT_EQ(breathing.tubeRadius, 0.0f);
    EXPECT_FALSE(breathing.shrinking);
    EXPECT_FALSE(breathing.step());
    EXPECT_FLOAT_EQ(breathing.tubeRadius, 0.005f);
}

namespace {

// The first radius from 5.99 up whose step sum lands on the thickest tube without passing it.
float radiusReachingTheTop() {
    for (float r = 5.99f; r < 6.0f; r = std::nextafter(r, 7.0f)) {
        double sum = double{r} + quillaro::BreathStep;
        if (static_cast<float>(sum) == 6.0f && sum <= 6.0)
            return r;
    }
    return -1.0f;
}

} // namespace

TEST(Breathing, ReachingTheLimitExactlyDoesNotTurn) {
    float radius = radiusReachingTheTop();
    ASSERT_GT(radius, 0.0f);
    Breathing breathing{radius, false};
    EXPECT_FALSE(breathing.step());
    EXPECT_EQ(breathing.tubeRadius, 6.0f);
    EXPECT_FALSE(breathing.shrinking);
    EXPECT_TRUE(breathing.step()) << "the step past the limit turns";
    EXPECT_EQ(breathing.tubeRadius, 6.0f);

    Breathing atBottom{0.0f, false};
    EXPECT_FALSE(atBottom.step());
    EXPECT_FLOAT_EQ(atBottom.tubeRadius, 0.005f);
}

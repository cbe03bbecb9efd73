#include "SceneLayout.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

using quillaro::aspectRatio;
using quillaro::makeGridPositions;

TEST(SceneLayout, GridIsCentredAboveTheFloorInIndexOrder) {
    auto grid = makeGridPositions();
    double sum[3] = {0, 0, 0};
    std::set<std::tuple<float, float, float>> distinct;
    for (const auto& p : grid) {
        sum[0] += p.x;
        sum[1] += p.y;
        sum[2] += p.z;
        EXPECT_GT(p.y, 0.0f) << "every object floats above the floor plane";
        distinct.insert({p.x, p.y, p.z});
    }
    EXPECT_EQ(distinct.size(), 27u);
    // k runs innermost, then j, then i.
    EXPECT_EQ(grid[0].x, -50.0f);
    EXPECT_EQ(grid[0].z, -50.0f);
    EXPECT_EQ(grid[1].z, 10.0f);
    EXPECT_EQ(grid[3].y, 90.0f);
    EXPECT_EQ(grid[9].x, 10.0f);
    EXPECT_EQ(grid[26].x, 70.0f);
    EXPECT_EQ(grid[26].y, 150.0f);
    EXPECT_DOUBLE_EQ(sum[0] / 27, 10.0);
    EXPECT_DOUBLE_EQ(sum[1] / 27, 90.0);
    EXPECT_DOUBLE_EQ(sum[2] / 27, 10.0);
}

TEST(SceneLayout, AspectRatioIsFiniteForAnyWindowSize) {
    EXPECT_DOUBLE_EQ(aspectRatio(1024, 768), 1024.0 / 768.0);
    EXPECT_DOUBLE_EQ(aspectRatio(768, 1024), 0.75);
    EXPECT_DOUBLE_EQ(aspectRatio(800, 0), 800.0);
    EXPECT_DOUBLE_EQ(aspectRatio(0, 600), 1.0 / 600.0);
    EXPECT_DOUBLE_EQ(aspectRatio(0, 0), 1.0);
    EXPECT_DOUBLE_EQ(aspectRatio(-5, -5), 1.0);
    for (int h : {0, 1, 2, 767})
        EXPECT_TRUE(std::isfinite(aspectRatio(1024, h)) && aspectRatio(1024, h) > 0);
}

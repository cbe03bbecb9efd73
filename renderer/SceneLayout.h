// Where things stand: the camera, the floor square and the 3 x 3 x 3 grid of objects.
#pragma once

#include <array>

namespace quillaro {

inline constexpr double FieldOfView = 60.0; // vertical, degrees
inline constexpr double NearPlane = 1.0;
inline constexpr double FarPlane = 1024.0;
inline constexpr double Eye[3] = {0.0, 220.0, 300.0};

inline constexpr int GridSide = 3;
inline constexpr int GridCount = GridSide * GridSide * GridSide;
inline constexpr float GridSpacing = 60.0f;
inline constexpr float GridOrigin[3] = {-50.0f, 30.0f, -50.0f};

struct GridPosition {
    float x;
    float y;
    float z;
};

// Entry i * 9 + j * 3 + k is (60 i - 50, 60 j + 30, 60 k - 50): the grid floats above the
// floor, centred at (10, 90, 10).
std::array<GridPosition, GridCount> makeGridPositions();

// Width over height for the projection. A window reported with no height (or no width) is
// taken as one pixel in that direction, so the projection never divides by zero.
double aspectRatio(int width, int height);

} // namespace quillaro

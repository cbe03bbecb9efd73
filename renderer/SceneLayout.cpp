#include "SceneLayout.h"

#include <algorithm>

namespace quillaro {

std::array<GridPosition, GridCount> makeGridPositions() {
    std::array<GridPosition, GridCount> grid{};
    for (int i = 0; i < GridSide; ++i)
        for (int j = 0; j < GridSide; ++j)
            for (int k = 0; k < GridSide; ++k)
                grid[i * 9 + j * 3 + k] = {GridSpacing * i + GridOrigin[0],
                                           GridSpacing * j + GridOrigin[1],
                                           GridSpacing * k + GridOrigin[2]};
    return grid;
}

double aspectRatio(int width, int height) {
    return static_cast<double>(std::max(width, 1)) / std::max(height, 1);
}

} // namespace quillaro

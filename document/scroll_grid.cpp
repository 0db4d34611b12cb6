#include "document/scroll_grid.h"

#include "document/grid.h"

#include <algorithm>

void scrollGrid(Grid *grid, int rotation) {
    if (!grid) return;
    const int top = grid->topRow();
    const int target = rotation <= 0 ? std::min(top + 1, grid->rows() - 2) : top - 1;
    grid->setTopRow(std::max(0, target));
}

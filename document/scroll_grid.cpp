#include "document/scroll_grid.h"

#include "document/grid.h"

#include <algorithm>

void scrollGrid(Grid *grid, int rotation) {
    if (!grid || rotation == 0) return;
    const int top = grid->topRow();
    const int target = rotation <= 0 ? std::min(top + 1, grid->rows() - 2) : top - 1;
    grid->setTopRow(std::max(0, target));
}

int wheelNotches(int &remainder, int delta) {
    constexpr int kNotch = 120;
    remainder += delta;
    const int notches = remainder / kNotch;
    remainder -= notches * kNotch;
    return notches;
}

#pragma once
// One wheel notch scrolls a grid by exactly one row, whatever the rotation's size.

class Grid;

// rotation <= 0 scrolls down (not beyond row count - 2), > 0 scrolls up (not above 0).
void scrollGrid(Grid *grid, int rotation);

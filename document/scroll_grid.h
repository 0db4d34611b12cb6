#pragma once
// One wheel notch scrolls a grid by exactly one row, whatever the rotation's size.

class Grid;

// rotation < 0 scrolls down (not beyond row count - 2), > 0 scrolls up (not above 0).
void scrollGrid(Grid *grid, int rotation);

// Whole wheel notches (120 eighths of a degree each, positive away from the user) in
// delta plus what earlier events left over; the rest stays in remainder, so the many small
// deltas of a touchpad add up to a row per notch.
int wheelNotches(int &remainder, int delta);

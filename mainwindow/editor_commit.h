#pragma once
// Row commands insert and remove rows; an open cell editor must not be left over a row
// that has moved.

class NorqSQL;

// Commits and closes an open cell editor (a message shown for reading just closes). An
// editor left empty removes its row; currentRow then follows the rows that moved up.
// Returns false when that removed row was currentRow itself.
bool commitOpenEditor(NorqSQL &window);

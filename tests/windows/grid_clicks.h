#pragma once
// Presses the mouse on a grid cell the way a user does, through the widget under it.

#include "core/platform_units.h"
#include "document/grid.h"

#include <QTest>

inline void pressCell(Grid *grid, int row, int col) {
    grid->syncView();
    grid->setRow(row);
    grid->setCol(col);
    const QPoint centre(twipsToPixels(grid->cellLeft() + grid->cellWidth() / 2),
                        twipsToPixels(grid->cellTop() + grid->cellHeight() / 2));
    QWidget *target = grid->childAt(centre);
    if (!target) target = grid;
    QTest::mousePress(target, Qt::LeftButton, {}, target->mapFrom(grid, centre));
    QTest::mouseRelease(target, Qt::LeftButton, {}, target->mapFrom(grid, centre));
}

#pragma once
// A cell's text drawn with the occurrences of a find key marked, as the find bar shows
// its hits in a grid.

#include <QColor>
#include <QString>

class QPainter;
class QStyleOptionViewItem;

namespace FindMarks {

inline const QColor hitBackground(255, 236, 110);
inline const QColor currentHitBackground(255, 150, 40);

// Start of every occurrence of key in text, any case, not overlapping.
QList<qsizetype> occurrences(const QString &text, const QString &key);

// Draws option's text (laid out as the item view lays it out: wrapped, aligned) into
// its text rectangle, the occurrences of key on a hit background and the one numbered
// current (from 0; -1 none) on the current hit's.
void paintText(QPainter *painter, const QStyleOptionViewItem &option, const QString &key,
               int current);

} // namespace FindMarks

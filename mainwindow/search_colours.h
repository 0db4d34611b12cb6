#pragma once
// Colours of search marks and the plain backgrounds that "Reset" restores.

#include <QColor>

inline QColor searchHitColour() {
    return QColor(130, 243, 120);
}
inline QColor plainNodeColour() {
    return QColor(255, 255, 255);
}
inline QColor plainMarkerColour() {
    return QColor(250, 250, 240);
}
inline QColor matchTextColour() {
    return QColor(255, 0, 0);
}

#pragma once
// A run lets window events in while it waits; closing the window meanwhile marks it, so
// that a whole-script run stops at its next row.

#include <QObject>

inline constexpr char kClosingProperty[] = "pavonaClosing";

inline bool windowClosing(const QObject *window) {
    return window->property(kClosingProperty).toBool();
}

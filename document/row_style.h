#pragma once
// The look of script rows: colours, fonts and the marker symbols. The symbol-font
// markers of the original design are drawn as distinct Unicode symbols of DejaVu Sans.

#include <QColor>
#include <QString>

namespace RowStyle {

inline const QString proseFont = QStringLiteral("Microsoft Sans Serif");
inline const QString codeFont = QStringLiteral("Lucida Console");
inline const QString markerFont = QStringLiteral("DejaVu Sans");

inline constexpr int defaultMarkerSize = 14;
inline constexpr int sqlMarkerSize = 18;
inline constexpr int endMarkerSize = 2;

inline const QColor markerBackground(250, 250, 240);
inline const QColor sqlMarkerColour(0, 128, 0);
inline const QColor scriptViewBackground(250, 250, 240);
inline const QColor commentEditBackground(255, 253, 242);
inline const QColor sqlBackground(204, 255, 204);
inline const QColor outputBackground(255, 255, 204);
inline const QColor exampleBackground(172, 234, 240);
inline const QColor headingEditBackground(163, 200, 200);
inline const QColor linkColour(0, 0, 255);
// The output of a statement that failed: a light red that dark text reads well on, and a
// dark red marker, apart from the yellow of a success.
inline const QColor failureBackground(255, 221, 221);
inline const QColor failureMarkerColour(176, 0, 0);
// An output that differs from the script's snapshot: amber, apart from both.
inline const QColor changedBackground(255, 226, 168);
inline const QColor changedMarkerColour(150, 80, 0);

// Marker symbols.
inline const QString sqlMarker = QString(QChar(0x25B6));     // run triangle
inline const QString messageMarker = QString(QChar(0x2139)); // information sign
inline const QString resultMarker = QString(QChar(0x25A6));  // table
inline const QString exampleMarker = QString(QChar(0x270E)); // pencil
inline const QString pictureMarker = QString(QChar(0x25A3)); // framed square
inline const QString failureMarker = QString(QChar(0x2716)); // heavy cross
inline const QString changedMarker = QString(QChar(0x2260)); // not equal to

// Edit View marker of a heading: a circled digit for levels 1..4, a circled ring for a
// link (level 0).
inline QString headingMarker(int level) {
    if (level >= 1 && level <= 4) return QString(QChar(0x2460 + level - 1));
    return QString(QChar(0x229A));
}

// Level of a heading marker drawn by headingMarker, -1 for any other text.
inline int headingMarkerLevel(const QString &marker) {
    for (int level = 0; level <= 4; ++level)
        if (marker == headingMarker(level)) return level;
    return -1;
}

} // namespace RowStyle

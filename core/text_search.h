#pragma once
// A short needle found from its first character with the vectorised search for one
// character: Qt's general search sets up a matcher on every call, which for the few
// letters asked of every statement costs more than reading the statement.

#include <QStringView>

inline qsizetype indexOfText(QStringView text, QStringView needle, qsizetype from = 0) {
    if (needle.isEmpty()) return from <= text.size() ? from : -1;
    for (qsizetype at = text.indexOf(needle.front(), from); at >= 0;
         at = text.indexOf(needle.front(), at + 1))
        if (text.sliced(at).startsWith(needle)) return at;
    return -1;
}

inline bool containsText(QStringView text, QStringView needle) {
    return indexOfText(text, needle) >= 0;
}

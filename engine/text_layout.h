#pragma once
// Line measuring, word wrapping and prose layout for the script view.

#include <QString>

// How many characters of a font fit on a line widthTwips wide: the largest count found in
// steps of 3 from 20 that still fits on one line, minus 4 (16 when not even 20 fit).
int measureLineWidth(const QString &fontName, int fontSize, int widthTwips);

// Wraps text at word boundaries to width characters (the settings' textLineWidth in a
// script), lines separated by a carriage return; every line after the first starts with
// prefix, the first line too when prefixFirst is set.
QString wrapText(const QString &text, const QString &prefix, bool prefixFirst, int width);

// Lays out prose (lines separated by carriage returns) as paragraphs and bullet items;
// a line starting with "-" is a bullet item, wrapped at width characters.
QString formatProse(const QString &text, int width);

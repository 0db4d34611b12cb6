#pragma once
// A number in a fixed-width text column: cutting its text would show another number, so
// a value wider than its column is rounded to fit instead.

#include <QString>

// The number's text in at most width characters: unchanged when it fits; otherwise
// rounded to fewer decimals, or to a mantissa and an exponent, whichever keeps more
// significant digits; "#" characters when not even one digit and the exponent fit.
// An empty string when the text is no number.
QString numberInWidth(const QString &text, int width);

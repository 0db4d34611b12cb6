#pragma once
// The hidden word-wrapping measure of the script view ("InfoRTF"): how many lines a text
// takes in a given font at the width of the script's text column. Carriage returns break
// lines; long lines wrap at word boundaries (anywhere when a word is wider than the line).

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <climits>

class MeasureBox {
public:
    void setWidthTwips(int twips);
    int widthTwips() const { return widthTwips_; }

    // Lines the text shows; counting stops once maxLines is exceeded (maxLines + 1).
    int lineCount(const QString &text, const QString &fontName, double pointSize,
                  int maxLines = INT_MAX) const;
    int lineCount(const QString &text, const QFont &font, int maxLines = INT_MAX) const;
    // Height of one text line (the letter "A") in twips.
    int lineHeightTwips(const QString &fontName, double pointSize) const;

private:
    int lineCount(const QString &text, const QFont &font, const QFontMetricsF &metrics,
                  int maxLines) const;

    int widthTwips_ = 9000;
};

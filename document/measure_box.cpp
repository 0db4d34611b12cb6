#include "document/measure_box.h"

#include "core/platform_units.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

void MeasureBox::setWidthTwips(int twips) {
    widthTwips_ = std::max(0, twips);
}

namespace {

// Plain ASCII that cannot reach the width even in the font's widest glyph fits without
// being shaped: shaping every row of a long run was a third of its time.
bool surelyFits(const QString &paragraph, const QFontMetricsF &metrics, double width) {
    if (static_cast<double>(paragraph.size()) * metrics.maxWidth() > width) return false;
    return std::all_of(paragraph.begin(), paragraph.end(),
                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

// Lines of one paragraph (no line breaks inside), counting at most limit + 1.
int paragraphLines(const QString &paragraph, const QFont &font, const QFontMetricsF &metrics,
                   double width, int limit) {
    if (paragraph.isEmpty() || surelyFits(paragraph, metrics, width)) return 1;
    // Most paragraphs are short: one advance measure settles them.
    if (paragraph.size() < 400 && metrics.horizontalAdvance(paragraph) <= width) return 1;
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(false);
    int lines = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (++lines > limit) break;
    }
    layout.endLayout();
    return std::max(1, lines);
}

// The font and metrics of the last name and size asked for: a script's rows measure in
// a handful of fonts, and resolving one costs more than measuring most rows.
struct MeasuredFont {
    QString name;
    double pointSize = 0;
    QFont font;
    QFontMetricsF metrics{QFont()};
};

const MeasuredFont &measuredFont(const QString &name, double pointSize) {
    // Kept past the application's end: a font outliving its font database may not be freed.
    static MeasuredFont *last = nullptr;
    if (!last || last->pointSize != pointSize || last->name != name) {
        if (!last) last = new MeasuredFont;
        last->name = name;
        last->pointSize = pointSize;
        last->font = platformFont(name, pointSize);
        last->metrics = QFontMetricsF(last->font);
    }
    return *last;
}

} // namespace

int MeasureBox::lineCount(const QString &text, const QString &fontName, double pointSize,
                          int maxLines) const {
    const MeasuredFont &measured = measuredFont(fontName, pointSize);
    return lineCount(text, measured.font, measured.metrics, maxLines);
}

int MeasureBox::lineCount(const QString &text, const QFont &font, int maxLines) const {
    return lineCount(text, font, QFontMetricsF(font), maxLines);
}

int MeasureBox::lineCount(const QString &text, const QFont &font, const QFontMetricsF &metrics,
                          int maxLines) const {
    const double width = std::max(1, twipsToPixels(widthTwips_));
    int total = 0;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start <= size && total <= maxLines) {
        qsizetype end = text.indexOf(u'\r', start);
        if (end < 0) end = size;
        total +=
            paragraphLines(text.mid(start, end - start), font, metrics, width, maxLines - total);
        start = end + 1;
    }
    return std::min(total, maxLines == INT_MAX ? INT_MAX : maxLines + 1);
}

int MeasureBox::lineHeightTwips(const QString &fontName, double pointSize) const {
    const QFontMetricsF &metrics = measuredFont(fontName, pointSize).metrics;
    return pixelsToTwips(static_cast<int>(std::ceil(metrics.lineSpacing())));
}

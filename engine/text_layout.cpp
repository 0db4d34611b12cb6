#include "engine/text_layout.h"

#include "core/engine_state.h"
#include "core/platform_units.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int kFirstCount = 20;
constexpr int kCountStep = 3;
constexpr int kCountMargin = 4;
constexpr int kCountLimit = 20000; // a zero-width font must not loop for ever

const QChar kCarriageReturn(u'\r');
const QString kBulletPrefix = QStringLiteral("   ") + QChar(0x2022) + QStringLiteral("  ");
const QString kItemIndent = QStringLiteral("       ");

// Width in pixels of count letters "c"; font metrics need a GUI application, so without
// one an average glyph of 0.6 em stands in.
double widthOfLetters(const QString &fontName, int fontSize, int count) {
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        const QFontMetricsF metrics(platformFont(fontName, fontSize));
        return metrics.horizontalAdvance(QString(count, QChar(u'c')));
    }
    return count * 0.6 * fontSize * logicalDpi() / 72.0;
}

QString removeLeadingSpaces(const QString &line) {
    qsizetype start = 0;
    while (start < line.size() && line.at(start).isSpace())
        ++start;
    return line.mid(start);
}

} // namespace

int measureLineWidth(const QString &fontName, int fontSize, int widthTwips) {
    const double available = twipsToPixels(widthTwips);
    int lastFitting = kFirstCount;
    for (int count = kFirstCount; count < kCountLimit; count += kCountStep) {
        if (widthOfLetters(fontName, fontSize, count) > available) break;
        lastFitting = count;
    }
    return lastFitting - kCountMargin;
}

QString wrapText(const QString &text, const QString &prefix, bool prefixFirst, int width) {
    width = std::max(1, width);
    QString rest = text.trimmed();
    QString linePrefix = prefixFirst ? prefix : QString();
    QString result;
    while (!rest.isEmpty()) {
        QString line;
        if (rest.size() > width) {
            const qsizetype space = rest.lastIndexOf(u' ', width - 1);
            const qsizetype cut = space >= 0 ? space + 1 : width;
            line = rest.left(cut).trimmed();
            rest = rest.mid(cut).trimmed();
        } else {
            line = rest;
            rest.clear();
        }
        result += linePrefix + line;
        linePrefix = kCarriageReturn + prefix;
    }
    return result;
}

QString formatProse(const QString &text, int width) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString result;
    if (text.isEmpty()) return result;
    QString pendingItem;
    bool inList = false;
    bool freshStart = true;

    auto flushPendingItem = [&] {
        if (pendingItem.isEmpty()) return false;
        result += QString(2, kCarriageReturn) + wrapText(pendingItem, kItemIndent, true, width);
        pendingItem.clear();
        return true;
    };

    for (const QString &rawLine : text.split(lineBreak)) {
        const QString line = removeLeadingSpaces(rawLine);
        if (line.isEmpty()) {
            flushPendingItem();
            result += QString(2, kCarriageReturn);
            inList = false;
            freshStart = true;
            continue;
        }
        if (line.startsWith(u'-')) {
            if (flushPendingItem()) result += kCarriageReturn;
            if (!freshStart) result += kCarriageReturn;
            result += kBulletPrefix + wrapText(line.mid(1), kItemIndent, false, width);
            inList = true;
        } else if (inList) {
            pendingItem += line + u' ';
        } else {
            result += line + u' ';
        }
        freshStart = false;
    }
    flushPendingItem();
    return result;
}

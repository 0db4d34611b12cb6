#include "document/marked_text.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextLayout>

namespace FindMarks {

QList<qsizetype> occurrences(const QString &text, const QString &key) {
    QList<qsizetype> starts;
    if (key.isEmpty()) return starts;
    for (qsizetype at = text.indexOf(key, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(key, at + key.size(), Qt::CaseInsensitive))
        starts.append(at);
    return starts;
}

void paintText(QPainter *painter, const QStyleOptionViewItem &option, const QString &key,
               int current) {
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    QRect rect = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    rect.adjust(margin, 0, -margin, 0);

    QList<QTextLayout::FormatRange> marks;
    const QList<qsizetype> starts = occurrences(option.text, key);
    for (qsizetype n = 0; n < starts.size(); ++n) {
        QTextLayout::FormatRange mark;
        mark.start = static_cast<int>(starts[n]);
        mark.length = static_cast<int>(key.size());
        mark.format.setBackground(n == current ? currentHitBackground : hitBackground);
        mark.format.setForeground(QColor(Qt::black));
        marks.append(mark);
    }
    const Qt::Alignment align = QStyle::visualAlignment(option.direction, option.displayAlignment);
    QTextOption textOption(align & Qt::AlignHorizontal_Mask);
    textOption.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(option.text, option.font);
    layout.setTextOption(textOption);
    layout.setFormats(marks);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    qreal top = rect.top();
    if (align & Qt::AlignBottom)
        top = rect.bottom() + 1 - height;
    else if (align & Qt::AlignVCenter)
        top = rect.top() + (rect.height() - height) / 2;

    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(option.palette.color(QPalette::Text));
    layout.draw(painter, QPointF(rect.left(), top));
    painter->restore();
}

} // namespace FindMarks

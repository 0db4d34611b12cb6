#include "core/quoting.h"

#include <QRegularExpression>

QString sqlLiteral(const QString &text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

QString shellQuoted(const QString &text) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9@%+=:,./_-]+$"));
    if (plain.match(text).hasMatch()) return text;
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

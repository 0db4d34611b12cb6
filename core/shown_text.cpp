#include "core/shown_text.h"

#include "core/text_search.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

// The value after USING of CONNECT TO ... USER ... USING.
QString withUsingMasked(const QString &text) {
    // A quoted password may hold blanks; a bare one ends at a blank, a line mark or ";".
    static const QRegularExpression password(
        QStringLiteral("(\\bCONNECT\\s+TO\\s+\\S+\\s+USER\\s+\\S+\\s+USING\\s+)"
                       "('[^'\\r\\n~]*'?|\"[^\"\\r\\n~]*\"?|[^\\s~;]+)"),
        QRegularExpression::CaseInsensitiveOption);
    // Every statement's progress line asks: a search for the letters that can start the
    // word, not the slower case-blind search.
    const auto holdsUsing = [&text](char16_t lead) {
        for (qsizetype at = text.indexOf(QChar(lead)); at >= 0;
             at = text.indexOf(QChar(lead), at + 1))
            if (QStringView(text).sliced(at).startsWith(u"USING", Qt::CaseInsensitive)) return true;
        return false;
    };
    if (!holdsUsing(u'U') && !holdsUsing(u'u')) return text;
    QString masked = text;
    return masked.replace(password, QStringLiteral("\\1********"));
}

// The password of a URI's user part: up to the last "@" before a blank, since one typed
// without percent-encoding may hold "@" itself.
QString withUriPasswordsMasked(const QString &text) {
    static const QRegularExpression password(
        QStringLiteral("(\\b[A-Za-z][A-Za-z0-9+.-]*://[^\\s/@:'\"]*:)[^\\s'\"]*@"));
    if (!containsText(text, u"://")) return text;
    QString masked = text;
    return masked.replace(password, QStringLiteral("\\1********@"));
}

// PWD= and PASSWORD= of an ODBC connection string; only in a text that holds one, since
// SQL may say PASSWORD= too.
QString withConnectionStringPasswordsMasked(const QString &text) {
    static const QRegularExpression connectionString(QStringLiteral("\\b(DRIVER|DSN|FILEDSN)\\s*="),
                                                     QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression password(
        QStringLiteral("(\\b(?:PWD|PASSWORD)\\s*=\\s*)(\\{(?:[^}]|\\}\\})*\\}?|[^;\\s'\"]+)"),
        QRegularExpression::CaseInsensitiveOption);
    if (!text.contains(u'=') || !text.contains(connectionString)) return text;
    QString masked = text;
    return masked.replace(password, QStringLiteral("\\1********"));
}

} // namespace

QString withPasswordsMasked(const QString &text) {
    return withConnectionStringPasswordsMasked(withUriPasswordsMasked(withUsingMasked(text)));
}

QString withControlsEscaped(const QString &text, bool keepTabs) {
    const auto control = [keepTabs](QChar ch) {
        const char16_t c = ch.unicode();
        return (c < 0x20 && !(keepTabs && c == u'\t')) || (c >= 0x7f && c < 0xa0);
    };
    if (std::none_of(text.begin(), text.end(), control)) return text;
    QString shown;
    shown.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (control(ch))
            shown += QStringLiteral("\\x") +
                     QString::number(c, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += ch;
    }
    return shown;
}

// The command table and the split of one statement into a keyword and its arguments.

#include "core/engine_state.h"
#include "engine/statements.h"

#include <QHash>
#include <QRegularExpression>

namespace {

const QString typedPart = QStringLiteral(
    ":T:TEST:T:ACCEPT:T:CLP:D:JSON:1:NORQSET:1:DESCRIBE:1:NOP:1:EXECUTE:1:RUNSTATS:1:PROMPT:1:"
    "SHOWPLAN:1:ERASE:1:INCLUDE:1:SPOOL:1:VIEWFILE:1:RUN:1:START:1:REORG:1:UNDEF:1:UNDEFINE:M:"
    "HOST:M:CMD:D:NORQ:D:PUT:T:PLOT:T:DEFINE:T:CONNECT:1:XLOAD:T:COLUMN:T:OPTION:");
const QString plainPart = QStringLiteral(":0:EDIT:0:EXIT:0:QUIT:0:LIST:0:SHOW:0:SAVE:");
const QString tableText = typedPart + plainPart;

// Argument style of a keyword: '0', '1', 'D', 'M', 'T', or 'S' for SQL (not in the table).
QChar lookUpStyle(const QString &keyword) {
    const qsizetype match = tableText.indexOf(u':' + keyword + u':');
    if (match < 0) return u'S';
    if (match == 0 || match >= typedPart.size()) return u'0';
    return typedPart[match - 1];
}

// Every statement asks, mostly with the same few words: the table search was a tenth of a
// long run's time.
QChar styleOf(const QString &keyword) {
    thread_local QHash<QString, QChar> known;
    if (const auto found = known.constFind(keyword); found != known.cend()) return *found;
    const QChar style = lookUpStyle(keyword);
    if (known.size() < 512) known.insert(keyword, style);
    return style;
}

// Spaces before a line break go.
QString withoutSpacesBeforeBreaks(QString text) {
    while (text.contains(QStringLiteral(" \n")))
        text.replace(QStringLiteral(" \n"), QStringLiteral("\n"));
    return text;
}

// What ends a command's keyword.
const QRegularExpression &wordEnd() {
    static const QRegularExpression end(QStringLiteral("[\\s;]"));
    return end;
}

QString firstWordOf(const QString &text) {
    return text.trimmed().section(wordEnd(), 0, 0);
}

// A quoted argument keeps its ";": a connection string is made of them.
void tokenize(QString text) {
    text = text.replace(u'\n', u' ').trimmed();
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    QString token;
    QChar openQuote;
    for (const QChar ch : text) {
        if (!openQuote.isNull()) {
            if (ch == openQuote) {
                addArg(token);
                token.clear();
                openQuote = QChar();
            } else {
                token += ch;
            }
        } else if (ch == u' ' || ch == u'=' || ch == u';') {
            if (!token.isEmpty()) addArg(token);
            token.clear();
        } else if (ch == u'\'' || ch == u'"') {
            if (!token.isEmpty()) addArg(token);
            token.clear();
            openQuote = ch;
        } else {
            token += ch;
        }
    }
    if (!token.isEmpty()) addArg(token);
}

void setSingleArg(const QString &value) {
    engine.args[1] = value;
    engine.argCount = 1;
}

} // namespace

QString commandTable() {
    return tableText;
}

void addArg(const QString &token) {
    if (engine.argCount >= kMaxArgs) return;
    engine.args[++engine.argCount] = token.trimmed();
}

bool isScriptCommand(const QString &word, const QString &rest) {
    if (word.startsWith(u'!')) return true;
    const QString keyword = QString(word).remove(u';').trimmed().toUpper();
    if (styleOf(keyword) == u'S') return false;
    // SQL that begins with one of the commands' words.
    if (keyword == u"START") return firstWordOf(rest).toUpper() != u"TRANSACTION";
    if (keyword == u"SHOW") return firstWordOf(rest).isEmpty();
    return true;
}

namespace {

// A statement's keyword ("SQL" for SQL) and the text after it, read from a tidied copy.
std::pair<QString, QString> keywordAndRest(const QString &written) {
    QString text = QString(written).replace(u'\t', u' ');
    if (text.startsWith(u'!')) text = QStringLiteral("CMD ") + text.mid(1);
    const qsizetype cut = text.indexOf(wordEnd());
    const QString keyword = cut < 0 ? text : text.left(cut).trimmed();
    const QString rest = cut < 0 ? QString() : text.mid(cut + 1).trimmed();
    if (!isScriptCommand(keyword, rest)) return {QStringLiteral("SQL"), QString()};
    return {QString(keyword).remove(u';').trimmed().toUpper(), rest};
}

} // namespace

QString commandKeyword(const QString &statement) {
    return keywordAndRest(statement.trimmed()).first;
}

QString parseCommand(const QString &statement) {
    engine.argCount = 0;
    for (QString &arg : engine.args)
        arg.clear();

    // SQL goes to the database as written.
    const QString written = statement.trimmed();
    const auto [keyword, rest] = keywordAndRest(written);
    if (keyword == u"SQL") {
        setSingleArg(written);
        return keyword;
    }
    const QString args = withoutSpacesBeforeBreaks(rest);

    switch (styleOf(keyword).unicode()) {
    case u'1':
        setSingleArg(QString(args).replace(u'\n', u' ').replace(u';', u' ').trimmed());
        break;
    case u'D':
        setSingleArg(args);
        break;
    case u'M':
        setSingleArg(QString(args).replace(u';', u' '));
        break;
    case u'T':
        tokenize(args);
        break;
    default:
        break;
    }
    return keyword;
}

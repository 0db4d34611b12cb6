// The command table and the split of one statement into a keyword and its arguments.

#include "engine/engine_state.h"
#include "engine/statements.h"

namespace {

const QString typedPart = QStringLiteral(
    ":T:TEST:T:ACCEPT:T:CLP:D:JSON:1:NORQSET:1:DESCRIBE:1:NOP:1:EXECUTE:1:RUNSTATS:1:PROMPT:1:"
    "SHOWPLAN:1:ERASE:1:INCLUDE:1:SPOOL:1:VIEWFILE:1:RUN:1:START:1:REORG:1:UNDEF:1:UNDEFINE:M:"
    "HOST:M:CMD:D:NORQ:D:PUT:T:PLOT:T:DEFINE:T:CONNECT:1:XLOAD:T:COLUMN:T:OPTION:");
const QString plainPart = QStringLiteral(":0:EDIT:0:EXIT:0:QUIT:0:LIST:0:SHOW:0:SAVE:");
const QString tableText = typedPart + plainPart;

// Argument style of a keyword: '0', '1', 'D', 'M', 'T', or 'S' for SQL (not in the table).
QChar styleOf(const QString &keyword) {
    const qsizetype match = tableText.indexOf(u':' + keyword + u':');
    if (match < 0) return u'S';
    if (match == 0 || match >= typedPart.size()) return u'0';
    return typedPart[match - 1];
}

// Leading and trailing line marks go, and so do spaces before a line mark.
QString withoutOuterLineMarks(QString text) {
    while (text.startsWith(u'~'))
        text = text.mid(1).trimmed();
    while (text.endsWith(u'~')) {
        text.chop(1);
        text = text.trimmed();
    }
    while (text.contains(QStringLiteral(" ~")))
        text = text.replace(QStringLiteral(" ~"), QStringLiteral("~")).trimmed();
    return text;
}

void tokenize(QString text) {
    text = text.replace(u'~', u' ').trimmed();
    text = text.replace(u';', u' ').trimmed();
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
        } else if (ch == u' ' || ch == u'=') {
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

QString parseCommand(const QString &statement) {
    engine.argCount = 0;
    for (QString &arg : engine.args)
        arg.clear();

    QString text = QString(statement).replace(u'\t', u' ').trimmed();
    if (text.startsWith(u'!')) text = QStringLiteral("CMD ") + text.mid(1);
    text = withoutOuterLineMarks(text);

    const qsizetype space = text.indexOf(u' ');
    const qsizetype mark = text.indexOf(u'~');
    qsizetype cut = -1;
    if (space >= 0 && mark >= 0)
        cut = std::min(space, mark);
    else
        cut = std::max(space, mark);
    QString keyword = cut < 0 ? text : text.left(cut).trimmed();
    const QString rest = cut < 0 ? QString() : text.mid(cut + 1).trimmed();
    keyword = keyword.remove(u';').trimmed().toUpper();

    switch (styleOf(keyword).unicode()) {
    case u'1':
        setSingleArg(QString(rest).replace(u'~', u' ').replace(u';', u' ').trimmed());
        break;
    case u'D':
        setSingleArg(rest);
        break;
    case u'M':
        setSingleArg(QString(rest).replace(u';', u' '));
        break;
    case u'T':
        tokenize(rest);
        break;
    case u'S':
        keyword = QStringLiteral("SQL");
        setSingleArg(QString(text).replace(u'~', u' ').trimmed());
        break;
    default:
        break;
    }
    return keyword;
}

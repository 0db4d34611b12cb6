// The command table and the split of one statement into a keyword and its arguments.

#include "core/engine_state.h"
#include "engine/statements.h"

#include <QHash>
#include <QRegularExpression>
#include <string_view>

namespace {

// How a command reads the text after its keyword.
enum class ArgumentStyle {
    sql,       // not a command: the statement goes to the database as written
    none,      // takes nothing
    oneLine,   // one argument, line breaks and ";" made blanks
    verbatim,  // one argument as written: bodies of text, JSON, SQL to run later
    multiLine, // one argument keeping its line breaks, ";" made blanks: shell lines
    words,     // words at blanks, "=" and ";", a quoted word kept whole
};

struct CommandRow {
    std::u16string_view name;
    ArgumentStyle style;
};

constexpr CommandRow kCommands[] = {
    {u"TEST", ArgumentStyle::words},       {u"ACCEPT", ArgumentStyle::words},
    {u"CLP", ArgumentStyle::words},        {u"JSON", ArgumentStyle::verbatim},
    {u"NORQSET", ArgumentStyle::oneLine},  {u"DESCRIBE", ArgumentStyle::oneLine},
    {u"NOP", ArgumentStyle::oneLine},      {u"EXECUTE", ArgumentStyle::oneLine},
    {u"RUNSTATS", ArgumentStyle::oneLine}, {u"PROMPT", ArgumentStyle::oneLine},
    {u"SHOWPLAN", ArgumentStyle::oneLine}, {u"ERASE", ArgumentStyle::oneLine},
    {u"INCLUDE", ArgumentStyle::oneLine},  {u"SPOOL", ArgumentStyle::oneLine},
    {u"VIEWFILE", ArgumentStyle::oneLine}, {u"RUN", ArgumentStyle::oneLine},
    {u"START", ArgumentStyle::oneLine},    {u"REORG", ArgumentStyle::oneLine},
    {u"UNDEF", ArgumentStyle::oneLine},    {u"UNDEFINE", ArgumentStyle::oneLine},
    {u"HOST", ArgumentStyle::multiLine},   {u"CMD", ArgumentStyle::multiLine},
    {u"NORQ", ArgumentStyle::verbatim},    {u"PUT", ArgumentStyle::verbatim},
    {u"PLOT", ArgumentStyle::words},       {u"DEFINE", ArgumentStyle::words},
    {u"CONNECT", ArgumentStyle::words},    {u"XLOAD", ArgumentStyle::oneLine},
    {u"COLUMN", ArgumentStyle::words},     {u"OPTION", ArgumentStyle::words},
    {u"EDIT", ArgumentStyle::none},        {u"EXIT", ArgumentStyle::none},
    {u"QUIT", ArgumentStyle::none},        {u"LIST", ArgumentStyle::none},
    {u"SHOW", ArgumentStyle::none},        {u"SAVE", ArgumentStyle::none},
};

ArgumentStyle lookUpStyle(const QString &keyword) {
    for (const CommandRow &row : kCommands)
        if (QStringView(keyword) == QStringView(row.name)) return row.style;
    return ArgumentStyle::sql;
}

// Every statement asks, mostly with the same few words: the table search was a tenth of a
// long run's time.
ArgumentStyle styleOf(const QString &keyword) {
    thread_local QHash<QString, ArgumentStyle> known;
    if (const auto found = known.constFind(keyword); found != known.cend()) return *found;
    const ArgumentStyle style = lookUpStyle(keyword);
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

QStringList commandNames() {
    QStringList names;
    for (const CommandRow &row : kCommands)
        names << QString::fromUtf16(row.name.data(), qsizetype(row.name.size()));
    return names;
}

void addArg(const QString &token) {
    if (engine.argCount >= kMaxArgs) return;
    engine.args[++engine.argCount] = token.trimmed();
}

namespace {

// Where the keyword ends: at a blank or a ";" (wordEnd(), without the pattern: every
// statement asks).
qsizetype keywordEnd(const QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u' ' || c == u';' || (c >= u'\t' && c <= u'\r')) return i;
    }
    return -1;
}

// The keyword of a word that may carry a ";", upper case.
QString keywordOf(const QString &word) {
    return QString(word).remove(u';').trimmed().toUpper();
}

} // namespace

bool isScriptCommand(const QString &word, QStringView rest) {
    if (word.startsWith(u'!')) return true;
    const QString keyword = keywordOf(word);
    if (keyword.isEmpty()) return true; // a lone ";": nothing to send, nothing to run
    if (styleOf(keyword) == ArgumentStyle::sql) return false;
    // SQL that begins with one of the commands' words.
    if (keyword == u"START") return firstWordOf(rest.toString()).toUpper() != u"TRANSACTION";
    if (keyword == u"SHOW") return firstWordOf(rest.toString()).isEmpty();
    return true;
}

namespace {

// A statement's keyword ("SQL" for SQL) and the text after it, read from a tidied copy.
std::pair<QString, QString> keywordAndRest(const QString &written) {
    QString text = written;
    if (text.contains(u'\t')) text.replace(u'\t', u' ');
    if (text.startsWith(u'!')) text = QStringLiteral("CMD ") + text.mid(1);
    const qsizetype cut = keywordEnd(text);
    const QString keyword = cut < 0 ? text : text.left(cut).trimmed();
    // Most statements are SQL, told by their first word alone: the rest is not copied.
    if (const QString known = keywordOf(keyword);
        !known.isEmpty() && styleOf(known) == ArgumentStyle::sql)
        return {QStringLiteral("SQL"), QString()};
    const QString rest = cut < 0 ? QString() : text.mid(cut + 1).trimmed();
    if (!isScriptCommand(keyword, rest)) return {QStringLiteral("SQL"), QString()};
    return {keywordOf(keyword), rest};
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

    switch (styleOf(keyword)) {
    case ArgumentStyle::oneLine:
        setSingleArg(QString(args).replace(u'\n', u' ').replace(u';', u' ').trimmed());
        break;
    case ArgumentStyle::verbatim:
        setSingleArg(args);
        break;
    case ArgumentStyle::multiLine:
        setSingleArg(QString(args).replace(u';', u' '));
        break;
    case ArgumentStyle::words:
        tokenize(args);
        break;
    case ArgumentStyle::sql:
    case ArgumentStyle::none:
        break;
    }
    return keyword;
}

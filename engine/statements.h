#pragma once
// Cutting script text into statements and a statement into a command keyword with its
// arguments. Inside a statement "\n" stands for a line break.

#include "core/sql_scanner.h"

#include <QString>
#include <QStringList>

// Line codes of classifyLine.
enum LineCode : int {
    kLineEmpty = 0,
    kLineOrdinary = 1,
    kLineEndsStatement = 2,
    kLineTerminator = 4,
    kLineCommentOpens = 5,
    kLineCommentCloses = 6,
    kLineCommentWhole = 7,
    kLineDashComment = 8,
};

// Removes caret escapes ("^" protects the character after it) and, when cutComments is
// set and no output file is open, a trailing "--" comment (never in a "--#" line).
QString stripLine(const QString &line, bool cutComments);
// The LineCode of a line; comment receives the comment text for codes 5 to 8. blockMode
// carries from line to line whether a block (a procedure body) is open: a ";" ends no
// statement inside one.
int classifyLine(const QString &line, QString &comment, bool &blockMode);
// A line that opens and closes a comment and goes on ("/* step one */SELECT 41;") as the
// comment and what follows it, each a line of its own; any other line as it is.
QStringList splitAfterComment(const QString &line);
// 1-based position of a one- or two-character terminator outside quotes, 0 if none.
int findUnquoted(const QString &text, const QString &terminator);
// Cuts script lines into statements where a database's shell would: SQL at a ";" outside
// literals, comments, parentheses and bodies, keeping its text as written (lines joined by
// "\n"); the script's own commands line by line as the format gives them; a "/" line ends
// either. Takes lines one at a time, so a script of any length can be read in pieces.
class StatementAssembler {
public:
    void addLine(const QString &line);
    // The end of the text: a statement still open is complete.
    void finish();
    // The statements completed so far, in order; they are handed over once.
    QStringList takeStatements();
    // An SQL statement is open with a literal, a comment, a parenthesis or a body unclosed:
    // its next line belongs to it whatever that line looks like.
    bool holdsOpenStatement() const;
    bool inLiteralOrComment() const;
    // No statement has begun since the last one ended.
    bool idle() const { return mode_ == Mode::idle; }
    // An SQL statement has begun and not yet ended.
    bool inSqlStatement() const { return mode_ == Mode::sql; }
    // Where in the line last added statements ended: the offsets just past each one.
    const QList<qsizetype> &lineEnds() const { return lineEnds_; }

private:
    enum class Mode { idle, sql, command, copyData };
    void sqlFrom(const QString &line, qsizetype from);
    void beginCommand(const QString &text, const QString &word);
    void commandLine(const QString &line);
    void finishStatement();

    SqlScanner scanner_;
    Mode mode_ = Mode::idle;
    bool commandBlock_ = false;
    QString buffer_;
    QStringList ready_;
    QList<qsizetype> lineEnds_;
};

// The statements of a run text (lines separated by carriage returns).
QStringList assembleStatements(const QString &text);
// Whether word begins a command of another SQL shell ("\\d", ".tables"): a line of its own.
bool isShellCommand(const QString &word);
// Whether a statement that starts with word (followed by rest) is one of the script's own
// commands rather than SQL.
bool isScriptCommand(const QString &word, QStringView rest);
// One-line form of a statement for the run history.
QString summarize(const QString &statement);
// The upper-case command keyword ("SQL" for SQL); fills engine.args and engine.argCount.
QString parseCommand(const QString &statement);
// The keyword parseCommand would give, without touching the engine.
QString commandKeyword(const QString &statement);
// Appends a trimmed argument (at most 100 are kept).
void addArg(const QString &token);

// The script language's command keywords.
QStringList commandNames();

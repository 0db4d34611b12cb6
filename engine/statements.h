#pragma once
// Cutting script text into statements and a statement into a command keyword with its
// arguments. Inside a statement "~" stands for a line break.

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
// The LineCode of a line; comment receives the comment text for codes 5 to 8. Reads and
// sets engine.blockMode.
int classifyLine(const QString &line, QString &comment);
// A line that opens and closes a comment and goes on ("/* step one */SELECT 41;") as the
// comment and what follows it, each a line of its own; any other line as it is.
QStringList splitAfterComment(const QString &line);
// 1-based position of a one- or two-character terminator outside quotes, 0 if none.
int findUnquoted(const QString &text, const QString &terminator);
// The statements of a run text (lines separated by carriage returns), at most 1000;
// a 1001st is kept when there are more, so that the run can refuse the text.
QStringList assembleStatements(const QString &text);
// One-line form of a statement for the run history.
QString summarize(const QString &statement);
// The upper-case command keyword ("SQL" for SQL); fills engine.args and engine.argCount.
QString parseCommand(const QString &statement);
// Appends a trimmed argument (at most 100 are kept).
void addArg(const QString &token);

// The command table text (typed part followed by the plain part).
QString commandTable();

#pragma once
// Text rules of script rows that need no window: hidden SQL sections, comment tags, the
// joining of comment lines, and the canonical layout of regenerated comments.

#include <QChar>
#include <QString>
#include <QStringList>

namespace ScriptText {

// The statement text to show: hidden sections ("--##" ... "--##") removed; a block that
// holds nothing else shows the section's label ("Hidden SQL" without one). A hidden
// section that starts a child program is not hidden: the text to run is shown.
QString getRawSQL(const QString &inSQL);
// The statement text to run: the "--##" marker lines dropped (unchanged without any).
QString removeComments(const QString &inSQL);
// Spaces trimmed at both ends, then leading carriage returns removed.
QString stripCR(const QString &text);
// Leading and trailing carriage returns removed.
QString trimCarriageReturns(const QString &text);
// "^" removed, the character after it kept as it is.
QString removeCarets(const QString &text);

// A tag in braces on a comment's first line ("{h2:Setup} Installing").
struct CommentTag {
    QChar code;      // '0'..'4' heading level, 'I' picture, 'S' example; null when none
    QString anchor;  // upper-cased
    QString content; // the rest of the line after "}", left-trimmed
};
CommentTag parseCommentTag(const QString &firstLine);

// Joins comment source lines: leading blank lines skipped; an example keeps its lines as
// they are; prose lines are trimmed and joined by spaces, a blank line or a "-" item
// starting a new line.
QString joinCommentLines(const QStringList &lines, bool example);

// Canonical comment body: a "~"-token text built from the source lines, reflowed into
// lines of "  " + words at a width of 60.
QString commentTokens(const QStringList &sourceLines);
QStringList reflowTokens(const QString &tokens);

// A heading typed in the cell editor: "[anchor] title" or just the title.
struct HeadingEdit {
    QString text;
    QString anchor;
};
HeadingEdit parseHeadingEdit(const QString &typed);

// Keeps a regenerated comment from closing early: "*/" inside its text is written "*^/",
// which shows as "*/" again.
QString protectCommentEnd(const QString &line);

} // namespace ScriptText

#pragma once

// A reader of script library files for the content checks: it splits a file into the
// blocks the script view shows (SQL blocks and comments), without any of the program.

#include <QList>
#include <QString>
#include <QStringList>

struct ScriptBlock {
    enum Kind { Sql, Comment };
    Kind kind = Sql;
    QStringList lines; // SQL lines as written, or the comment's text lines
    int firstLine = 0; // 1-based line of the file where the block starts
};

struct ScriptFile {
    bool readable = false;
    QStringList lines;
    QList<ScriptBlock> blocks;
    bool unterminatedComment = false;
};

struct HeadingTag {
    QString word;   // upper-cased tag word with its braces: "{H1}", "{IMAGE}", "{SQL}" ...
    QString anchor; // upper-cased anchor, empty when none
    QString text;   // the tag line after the "}", trimmed, cut before "*/"
};

struct LibraryEntry {
    QString name;
    int level = 1;
};

ScriptFile readScript(const QString &path);

// The tag on the first line of a comment; an empty word when the line carries none.
HeadingTag headingTag(const QString &firstCommentLine);

// The title a file's first line gives it ({H1} to {H4}), empty when it has none.
QString scriptTitle(const QString &path);

// The entries of a library index with their nesting levels; `error` tells what is wrong
// with the nesting (a close below level 1, an open level at the end), empty when sound.
QList<LibraryEntry> readLibraryIndex(const QString &path, QString *error);

// Lines of an SQL block that run: hidden-section markers removed.
QStringList runnableLines(const ScriptBlock &block);

// Variable references (&name) in a line: the names as written; "&&name" gives "&name".
QStringList variableReferences(const QString &line);

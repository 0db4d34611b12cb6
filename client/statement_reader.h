#pragma once
// Cuts a command file into statements: one per line, or ended by a terminator character
// outside quotes. Lines starting with "--" are comments, except "--#SET TERMINATOR c",
// which changes the terminator from there on.

#include <QString>
#include <QStringList>

class StatementReader {
public:
    // A null terminator means one statement per line.
    explicit StatementReader(QChar terminator = QChar()) : terminator_(terminator) {}

    // Feeds one line; the statements it completed are appended to done.
    void addLine(const QString &line, QStringList &done);
    // The statement left unterminated at the end of the input, if any.
    void finish(QStringList &done);

    QChar terminator() const { return terminator_; }

private:
    bool applyDirective(const QString &trimmed);
    void complete(QStringList &done);
    // Adds line from start up to the end of the quoted text that goes on at from; the
    // offset after what it added.
    qsizetype takeQuoted(const QString &line, qsizetype start, qsizetype from);

    QChar terminator_;
    QString pending_;
    QChar quote_; // quote character whose closing quote is awaited
};

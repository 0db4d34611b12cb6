#include "client/statement_reader.h"

#include "core/sql_scanner.h"

#include <QRegularExpression>

bool StatementReader::applyDirective(const QString &trimmed) {
    static const QRegularExpression setTerminator(QStringLiteral("^--#SET\\s+TERMINATOR\\s+(\\S)"),
                                                  QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = setTerminator.match(trimmed);
    if (match.hasMatch()) terminator_ = match.captured(1).at(0);
    return match.hasMatch();
}

void StatementReader::complete(QStringList &done) {
    const QString statement = pending_.trimmed();
    if (!statement.isEmpty()) done << statement;
    pending_.clear();
}

qsizetype StatementReader::takeQuoted(const QString &line, qsizetype start, qsizetype from) {
    const qsizetype end = closingQuoteEnd(line, from, quote_);
    const qsizetype taken = end < 0 ? line.size() : end;
    pending_ += QStringView(line).mid(start, taken - start);
    if (end >= 0) quote_ = QChar();
    return taken;
}

void StatementReader::addLine(const QString &line, QStringList &done) {
    const QString trimmed = line.trimmed();
    if (quote_.isNull() && trimmed.startsWith(QLatin1String("--"))) {
        if (applyDirective(trimmed)) complete(done);
        return;
    }
    if (!pending_.isEmpty()) pending_ += u'\n';
    qsizetype i = 0;
    if (!quote_.isNull()) i = takeQuoted(line, 0, 0);
    while (i < line.size()) {
        const QChar c = line.at(i);
        if (c == u'\'' || c == u'"') {
            quote_ = c;
            i = takeQuoted(line, i, i + 1);
            continue;
        }
        if (c == u'-' && line.mid(i, 2) == QLatin1String("--")) break; // to the end of the line
        if (!terminator_.isNull() && c == terminator_)
            complete(done);
        else
            pending_ += c;
        ++i;
    }
    if (terminator_.isNull()) {
        quote_ = QChar(); // a line is a whole statement; an open quote ends with it
        complete(done);
    }
}

void StatementReader::finish(QStringList &done) {
    quote_ = QChar();
    complete(done);
}

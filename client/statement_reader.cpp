#include "client/statement_reader.h"

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

void StatementReader::addLine(const QString &line, QStringList &done) {
    const QString trimmed = line.trimmed();
    if (quote_.isNull() && trimmed.startsWith(QLatin1String("--"))) {
        if (applyDirective(trimmed)) complete(done);
        return;
    }
    if (!pending_.isEmpty()) pending_ += u'\n';
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (!quote_.isNull()) {
            if (c == quote_) quote_ = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote_ = c;
        } else if (c == u'-' && line.mid(i, 2) == QLatin1String("--")) {
            break; // comment to the end of the line
        } else if (!terminator_.isNull() && c == terminator_) {
            complete(done);
            continue;
        }
        pending_ += c;
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

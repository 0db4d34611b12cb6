#include "database/cli/statement_words.h"

#include "core/sql_scanner.h"

#include <QSet>

namespace cli {
namespace {

bool wordStart(QChar c) {
    return c.isLetter() || c == u'_';
}

bool wordPart(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

bool endsWithNewChain(const QStringList &words) {
    const qsizetype chain = words.indexOf(QStringLiteral("CHAIN"));
    return chain > 0 && words[chain - 1] == QLatin1String("AND");
}

} // namespace

QStringList statementWords(const QByteArray &sql, int limit) {
    const QString text = QString::fromUtf8(sql);
    QStringList words;
    qsizetype at = 0;
    while (at < text.size() && (limit < 0 || words.size() < limit)) {
        const qsizetype literalEnd = SqlScanner::skipLiteral(text, at);
        if (literalEnd > at) {
            at = literalEnd;
            continue;
        }
        if (!wordStart(text[at])) {
            ++at;
            continue;
        }
        qsizetype end = at;
        while (end < text.size() && wordPart(text[end]))
            ++end;
        // X'...', N'...' and the like: a prefix of the literal that follows.
        if (end >= text.size() || text[end] != u'\'') words << text.mid(at, end - at).toUpper();
        at = end;
    }
    return words;
}

TransactionEffect transactionEffect(const QStringList &words) {
    if (words.isEmpty()) return TransactionEffect::None;
    const QString &first = words[0];
    const QString second = words.value(1);
    if (first == QLatin1String("START") && second == QLatin1String("TRANSACTION"))
        return TransactionEffect::Opens;
    // BEGIN NOT ATOMIC ... END is a compound statement, not a transaction.
    if (first == QLatin1String("BEGIN"))
        return second == QLatin1String("NOT") && words.value(2) == QLatin1String("ATOMIC")
                   ? TransactionEffect::None
                   : TransactionEffect::Opens;
    static const QSet<QString> ending = {QStringLiteral("COMMIT"), QStringLiteral("END"),
                                         QStringLiteral("ROLLBACK"), QStringLiteral("ABORT")};
    if (!ending.contains(first)) {
        // PREPARE TRANSACTION hands the transaction over to a later COMMIT PREPARED.
        return first == QLatin1String("PREPARE") && second == QLatin1String("TRANSACTION")
                   ? TransactionEffect::Ends
                   : TransactionEffect::None;
    }
    if (second == QLatin1String("TO") || second == QLatin1String("PREPARED") ||
        words.contains(QStringLiteral("SAVEPOINT")) || endsWithNewChain(words))
        return TransactionEffect::None;
    return TransactionEffect::Ends;
}

bool commitsImplicitly(const QStringList &words) {
    static const QSet<QString> schemaChanges = {
        QStringLiteral("CREATE"), QStringLiteral("ALTER"),    QStringLiteral("DROP"),
        QStringLiteral("RENAME"), QStringLiteral("TRUNCATE"), QStringLiteral("GRANT"),
        QStringLiteral("REVOKE"), QStringLiteral("LOCK"),     QStringLiteral("UNLOCK")};
    if (words.isEmpty() || !schemaChanges.contains(words[0])) return false;
    return words.value(1) != QLatin1String("TEMPORARY");
}

bool modifiesDataInWith(const QStringList &words) {
    if (words.value(0) != QLatin1String("WITH")) return false;
    static const QSet<QString> changes = {QStringLiteral("INSERT"), QStringLiteral("UPDATE"),
                                          QStringLiteral("DELETE"), QStringLiteral("MERGE")};
    for (const QString &word : words)
        if (changes.contains(word)) return true;
    return false;
}

QString clientStreamRefusal(const QStringList &words) {
    if (words.value(0) != QLatin1String("COPY")) return {};
    for (qsizetype i = 1; i + 1 < words.size(); ++i) {
        if (words[i] == QLatin1String("FROM") && words[i + 1] == QLatin1String("STDIN"))
            return QStringLiteral(
                "COPY ... FROM STDIN needs data from a client stream, which a script run does "
                "not give; use COPY ... FROM 'server file' or load the rows with INSERT.");
        if (words[i] == QLatin1String("TO") && words[i + 1] == QLatin1String("STDOUT"))
            return QStringLiteral(
                "COPY ... TO STDOUT sends the rows to a client stream, which a script run does "
                "not read; use COPY ... TO 'server file' or SELECT the rows.");
    }
    return {};
}

} // namespace cli

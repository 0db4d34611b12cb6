#include "database/cli/statement_words.h"

#include <QSet>

namespace cli {
namespace {

bool wordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool wordPart(char c) {
    return wordStart(c) || (c >= '0' && c <= '9') || c == '$';
}

// Reads the statement's text, stepping over what holds no keyword.
class WordReader {
public:
    explicit WordReader(const QByteArray &sql) : text_(sql) {}

    // The next word, or "" at the end.
    QString next() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (wordStart(c)) {
                const qsizetype start = at_;
                while (at_ < text_.size() && wordPart(text_[at_]))
                    ++at_;
                // E'...', X'...' and the like: a prefix of the literal that follows.
                if (at_ < text_.size() && text_[at_] == '\'') {
                    const bool escapes = at_ - start == 1 && (c == 'E' || c == 'e');
                    skipQuoted('\'', escapes);
                    continue;
                }
                return QString::fromUtf8(text_.mid(start, at_ - start)).toUpper();
            }
            if (c == '\'' || c == '"' || c == '`')
                skipQuoted(c, false);
            else if (c == '-' && peek(1) == '-')
                skipLine();
            else if (c == '/' && peek(1) == '*')
                skipComment();
            else if (c == '$')
                skipDollar();
            else
                ++at_;
        }
        return {};
    }

private:
    char peek(qsizetype ahead) const {
        return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0';
    }

    // From the opening quote to past the closing one; a doubled quote stays inside.
    void skipQuoted(char quote, bool backslashEscapes) {
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (backslashEscapes && c == '\\') {
                ++at_;
            } else if (c == quote) {
                if (peek(0) != quote) return;
                ++at_;
            }
        }
    }

    void skipLine() {
        while (at_ < text_.size() && text_[at_] != '\n')
            ++at_;
    }

    // Comments nest, as they do on PostgreSQL.
    void skipComment() {
        int depth = 0;
        while (at_ < text_.size()) {
            if (text_[at_] == '/' && peek(1) == '*') {
                ++depth;
                at_ += 2;
            } else if (text_[at_] == '*' && peek(1) == '/') {
                at_ += 2;
                if (--depth == 0) return;
            } else {
                ++at_;
            }
        }
    }

    // $tag$ ... $tag$ quotes a body; $1 is a parameter.
    void skipDollar() {
        qsizetype end = at_ + 1;
        while (end < text_.size() && wordPart(text_[end]) && text_[end] != '$')
            ++end;
        const bool tagged = end < text_.size() && text_[end] == '$' &&
                            (end == at_ + 1 || wordStart(text_[at_ + 1]));
        if (!tagged) {
            ++at_;
            return;
        }
        const QByteArray tag = text_.mid(at_, end - at_ + 1);
        const qsizetype close = text_.indexOf(tag, end + 1);
        at_ = close < 0 ? text_.size() : close + tag.size();
    }

    const QByteArray &text_;
    qsizetype at_ = 0;
};

bool endsWithNewChain(const QStringList &words) {
    const qsizetype chain = words.indexOf(QStringLiteral("CHAIN"));
    return chain > 0 && words[chain - 1] == QLatin1String("AND");
}

} // namespace

QStringList statementWords(const QByteArray &sql, int limit) {
    QStringList words;
    WordReader reader(sql);
    while (limit < 0 || words.size() < limit) {
        QString word = reader.next();
        if (word.isEmpty()) break;
        words << std::move(word);
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

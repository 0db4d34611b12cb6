#pragma once
// The few statement forms the program and its scripts send that SQLite spells
// differently: VALUES without parentheses, the CURRENT registers, FETCH FIRST n ROWS
// ONLY, TRUNCATE TABLE and START TRANSACTION.

#include <QString>

namespace cli {

struct Registers {
    QString user;
    QString server;
    // A file of the catalog gets the declared types enforced; a file the user named by its
    // path is another program's too, and keeps its schema as written.
    bool typeChecks = true;
};

struct Translation {
    QString sql;
    bool values = false; // a VALUES statement (its columns are named 1, 2, ...)
    QString firstWord;   // upper case
};

Translation translateForEmbedded(const QString &sql, const Registers &registers);

// Splits text at commas that are outside parentheses and quotes.
QStringList splitTopLevel(const QString &text, QChar separator = QLatin1Char(','));

// The index of the parenthesis closing the one at `open` (outside quotes), or -1.
qsizetype closingParenthesis(const QString &text, qsizetype open);

} // namespace cli

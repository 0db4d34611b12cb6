#pragma once
// What kind of statement a server is about to run, told from its words: the layer needs
// to know whether a statement opens or ends a transaction, modifies data inside WITH or
// asks for a client data stream, whatever literals, quoted names and comments it holds.

#include <QByteArray>
#include <QStringList>

namespace cli {

// The statement's words (keywords and plain names) in upper case, in order, leaving out
// literals, quoted names, comments and numbers; at most `limit` of them (-1: all).
QStringList statementWords(const QByteArray &sql, int limit = -1);

enum class TransactionEffect { None, Opens, Ends };

// What the statement does to a transaction the user runs on the server: BEGIN and START
// TRANSACTION open one; COMMIT, END, ROLLBACK and ABORT end it (but not ROLLBACK TO a
// savepoint, nor ... AND CHAIN, which goes on in a new one).
TransactionEffect transactionEffect(const QStringList &words);

// Whether a statement makes the server commit what came before it, as a schema change
// does on MariaDB; a temporary table's creation or removal does not.
bool commitsImplicitly(const QStringList &words);

// Whether a WITH statement inserts, updates, deletes or merges rows.
bool modifiesDataInWith(const QStringList &words);

// For COPY ... FROM STDIN and COPY ... TO STDOUT, why a script cannot run it; otherwise "".
QString clientStreamRefusal(const QStringList &words);

} // namespace cli

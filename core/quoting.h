#pragma once
// Quoting of a text for the two languages the program writes it into: SQL and the shell.

#include <QString>

// A SQL string literal holding text: in single quotes, a quote inside doubled.
QString sqlLiteral(const QString &text);

// One shell word that stands for text as written. Words of characters no shell acts on
// stay bare; anything else goes in single quotes, inside which nothing is special to any
// shell (double quotes would leave "!", "$" and "`" to it).
QString shellQuoted(const QString &text);

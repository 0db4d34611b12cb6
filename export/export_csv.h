#pragma once
// Every result set of a document as a CSV file of its own (RFC 4180): a header line of
// the column names, then a line per row, fields quoted where they hold a comma, a quote
// or a line break, lines ending in CR LF, UTF-8 without a byte order mark. NULL is an
// empty field, an empty text a quoted empty one ("").
//
// A result under a statement that ran in a Run all is named after the statement's number
// there (the N of its progress line [N/M]): statement-007.csv. Any other result (of a
// statement run on its own) is named by its place among the document's results:
// result-003.csv.

#include "database/result_set.h"
#include "document/document_model.h"

#include <QByteArray>
#include <QStringList>

QByteArray csvBytes(const ResultSet &result);

// Writes the files into folder, creating it when missing; written gets their paths. False
// (error says why) when folder is not a folder or a file cannot be written; each file is
// written whole or not at all, and files already there under other names are left alone.
bool exportCsvFiles(const DocumentModel &document, const QString &folder, QStringList *written,
                    QString *error);

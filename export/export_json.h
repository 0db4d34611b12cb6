#pragma once
// Export of the document as JSON data, for programs to read. Written by hand rather than
// through a JSON library's document, which would pass numbers through a double: a
// DECIMAL(31,2) value keeps every digit here.
//
// Schema (version 1), UTF-8:
//
//   {
//     "format": "pavona-document",
//     "version": 1,
//     "rows": [ ROW, ... ]          one entry per row of the document, in order
//   }
//
// Every ROW has "kind", one of heading, link, prose, statement, example, message, result,
// chart, picture, and "text": a string, lines joined by "\n" (null for a chart). Then by
// kind:
//
//   heading    "level": 1..4, "anchor": its id (upper case) or null
//   link       "anchor": the id it points at
//   prose      "text" is the comment as written, without its carets
//   statement  "text": as written; "ran": the text as it ran, its variables filled in
//              with the values they had then, or null when it has not run; "number":
//              its number in a Run all (the N of the progress line [N/M]) or null
//   example    "text": as written
//   message    "text"; "code": the message code (0 success); "failed": code != 0
//   result     "text": the result as the document shows it, a fixed-width table;
//              "code", "failed" as for a message; and when the row kept its data:
//                "columns": [{"name": str, "type": TYPE, "size": int, "decimals": int}]
//                "rows": [[VALUE, ...], ...]  one array per fetched row
//                "more": true when the fetch limit left rows out
//                "message": the text under the table ("7 record(s) selected. (0.001s)")
//   chart      "number": 1, 2, ... counting charts and pictures in order
//   picture    "number" as for a chart; "text": the picture's file name as written
//
// TYPE is integer, decimal, decfloat, float, text, date, time, timestamp, xml, blob,
// clob or other. A VALUE is null for NULL; a JSON number, its digits exactly as fetched,
// where the column is numeric and the value is a valid JSON number; otherwise a string.

#include "export/export_blocks.h"

#include <QByteArray>

// The document's blocks (as exportBlocks gives them) as JSON text ending in a line feed.
QByteArray jsonDocument(const QList<ExportBlock> &blocks);

// False (error says why) when the file cannot be written.
bool exportJson(const QList<ExportBlock> &blocks, const QString &path, QString *error);

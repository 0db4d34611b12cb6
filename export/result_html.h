#pragma once
// A result as an HTML table, for the one-file page and the notebook.

#include "database/result_set.h"

#include <QStringList>

// The table's lines: a header of column names, a row a line, every value whole, a line
// break inside a value as <br> (so the row stays one row), NULL as the text shows it and
// numeric columns in cells of class "number".
QStringList resultTableHtml(const ResultSet &result);

// Text for a UTF-8 page: markup characters as entities, line breaks as <br>.
QString htmlLines(const QString &text);

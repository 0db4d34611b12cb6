#pragma once
// Between a script's lines and its rows: the parser that turns lines into row requests
// (kind and text, handed to addRow in order) and the regenerator that writes rows back
// as lines in the canonical layout.

#include "document/row_model.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class ScriptLines;

using RowSink = std::function<void(RowKind kind, const QString &text)>;

// Script View splits an untagged comment into one row per paragraph and bullet item;
// the Edit View keeps every comment whole.
void parseScript(const ScriptLines &lines, bool splitParagraphs, const RowSink &addRow);

// What the regenerator reads of one grid row.
struct RowSource {
    RowKind kind = RowKind::none;
    QString text; // textCol
    QString tag;  // tagCol
    QString raw;  // rawCol
    QString sql;  // sqlCol
};

// Rewrites lines from rows; output rows and the end marker write nothing. False, with the
// lines left as they were, when the rows need more lines than a script can hold.
bool regenerateScript(const std::vector<RowSource> &rows, ScriptLines &lines);
// The lines regenerateScript writes, however many.
QStringList regeneratedLines(const std::vector<RowSource> &rows);

// The outputs of a run across a view change: a view rebuilds its rows from the lines,
// so the outputs are taken from the rows before and put back under every statement whose
// text is still the same.

#include "document/document_model.h"
#include "document/document_run.h"
#include "document/grid.h"
#include "mainwindow/norqsql.h"

void NorqSQL::keepOutputs() {
    keptOutputs_.clear();
    const DocumentModel rows = documentFromGrid(CLP);
    for (size_t at = 0; at < rows.size(); ++at) {
        if (!traitsOf(rows[at].kind).runs) continue;
        const size_t statement = at;
        KeptRun run;
        run.statement = rows[at].outcome;
        for (; at + 1 < rows.size() && traitsOf(rows[at + 1].kind).output; ++at) {
            DocumentRow output = rows[at + 1];
            // A result row is made again from its full text, as a run makes it.
            if (output.kind == RowKind::result) output.text = output.sql;
            run.outputs.push_back(std::move(output));
        }
        if (!run.statement.ran.isEmpty() || !run.outputs.empty())
            keptOutputs_[rows[statement].sql].append(std::move(run));
    }
}

void NorqSQL::restoreOutputs() {
    if (keptOutputs_.isEmpty()) return;
    const Grid::QuietMoves moves(CLP);
    for (int row = 0; row < CLP->rows(); ++row) {
        if (!traitsOf(rowKindAt(CLP, row)).runs) continue;
        // The same statement written twice takes its runs in the order they stood.
        const auto found = keptOutputs_.find(CLP->textMatrix(row, sqlCol));
        if (found == keptOutputs_.end() || found->isEmpty()) continue;
        const KeptRun run = found->takeFirst();
        CLP->setRowData(row, QVariant::fromValue(run.statement));
        for (const DocumentRow &output : run.outputs)
            row = pane_.putOutput(row + 1, output);
    }
    keptOutputs_.clear();
}

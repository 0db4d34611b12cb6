#include "document/document_run.h"

#include "document/script_text.h"
#include "engine/dispatcher.h"
#include "engine/engine_state.h"
#include "engine/run_control.h"
#include "engine/statements.h"
#include "engine/window_interface.h"

#include <QElapsedTimer>

bool RunnableRows::stopped() const {
    return run_control::stopRequested();
}

bool runsInRunAll(int kind) {
    return kind == RowKind::sql || kind == RowKind::plainStatement;
}

int runAllRows(RunnableRows &rows, const RunProgress &progress, RunAllOutcome *outcome) {
    const run_control::RunScope running;
    StatementRun report;
    for (int i = 0; i < rows.count(); ++i) {
        const int kind = rows.kind(i);
        if (kind == RowKind::endMarker) break;
        if (runsInRunAll(kind)) ++report.total;
    }
    int statements = 0;
    QElapsedTimer timer;
    for (int i = 0; i < rows.count(); ++i) {
        const int kind = rows.kind(i);
        if (kind == RowKind::endMarker) break;
        rows.beforeRow(i);
        if (runsInRunAll(kind)) {
            // The full statement, hidden sections included: they are run, not shown.
            const QString statement = ScriptText::removeComments(rows.statement(i));
            engine.gridMode = false;
            timer.start();
            // Rows moved under an interrupted run: stop rather than guess.
            if (!rows.run(statement)) break;
            report.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
            report.number = ++statements;
            i += rows.placeOutput(i, statements);
            // The row's first statement, without the comments before it.
            report.summary = summarize(assembleStatements(statement).value(0, statement));
            report.statements = engine.runStatements;
            report.failures = engine.runFailures;
            if (progress) progress(report);
            if (engine.stopOnError && engine.msgCode != 0) {
                rows.afterRow();
                break;
            }
        }
        rows.afterRow();
        engine.ui->processEvents();
        if (rows.stopped()) break;
    }
    if (outcome) {
        outcome->rowsRun = statements;
        outcome->rowsNotRun = engine.stopOnError && engine.msgCode != 0 && statements > 0
                                  ? report.total - statements
                                  : 0;
    }
    return statements;
}

int placeOutputInDocument(DocumentModel &document, int position, int *step) {
    *step = 0;
    RunOutput output = lastRunOutput();
    if (!output.shown) return -1;
    int kind = output.kind;
    QString pictureFile;
    DocumentRow row = rowFromText(kind, ScriptText::trimCarriageReturns(output.text),
                                  output.statement, {}, &pictureFile);
    row.outcome = std::move(output.outcome);
    row.picture = std::move(output.picture);
    *step = output.step;
    position = std::clamp<int>(position, 0, static_cast<int>(document.size()));
    const auto isOutput = [](int k) { return k == RowKind::message || k == RowKind::result; };
    if (position < static_cast<int>(document.size())) {
        DocumentRow &there = document[position];
        // An output already under the statement is rewritten, as in the window.
        if ((kind == RowKind::chart && there.kind == RowKind::chart) ||
            (isOutput(kind) && isOutput(there.kind))) {
            there = std::move(row);
            return position;
        }
    }
    document.insert(document.begin() + position, std::move(row));
    return position;
}

namespace {

class DocumentRows : public RunnableRows {
public:
    explicit DocumentRows(DocumentModel &document) : document_(document) {}

    int count() const override { return static_cast<int>(document_.size()); }
    int kind(int row) const override { return document_[row].kind; }
    QString statement(int row) const override { return document_[row].sql; }
    bool run(const QString &statement) override {
        runScript(statement, nullptr, nullptr);
        return true;
    }
    int placeOutput(int row, int number) override {
        document_[row].outcome.ran = textAsRan(document_[row].text);
        document_[row].outcome.number = number;
        int step = 0;
        placeOutputInDocument(document_, row + 1, &step);
        return step;
    }

private:
    DocumentModel &document_;
};

} // namespace

int runDocument(DocumentModel &document, const RunProgress &progress, RunAllOutcome *outcome) {
    DocumentRows rows(document);
    return runAllRows(rows, progress, outcome);
}

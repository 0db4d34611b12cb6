#include "document/document_run.h"

#include "core/engine_state.h"
#include "core/window_interface.h"
#include "document/script_text.h"
#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "engine/statements.h"

#include <QElapsedTimer>
#include <algorithm>
#include <iterator>

bool RunnableRows::stopped() const {
    return run_control::stopRequested();
}

int runAllRows(RunnableRows &rows, const RunProgress &progress, RunAllOutcome *outcome) {
    const run_control::RunScope running;
    StatementRun report;
    for (int i = 0; i < rows.count(); ++i) {
        const RowKind kind = rows.kind(i);
        if (kind == RowKind::endMarker) break;
        if (traitsOf(kind).runs) ++report.total;
    }
    int statements = 0;
    QElapsedTimer timer;
    for (int i = 0; i < rows.count(); ++i) {
        const RowKind kind = rows.kind(i);
        if (kind == RowKind::endMarker) break;
        rows.beforeRow(i);
        if (traitsOf(kind).runs) {
            // The full statement, hidden sections included: they are run, not shown.
            const QString statement = ScriptText::removeComments(rows.statement(i));
            engine.gridMode = false;
            timer.start();
            // Rows moved under an interrupted run: stop rather than guess.
            if (!rows.run(statement)) break;
            report.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
            report.number = ++statements;
            i += rows.placeOutput(i, statements);
            // The row's first statement, without the comments before it: as it was just
            // run, unless nothing ran.
            report.summary = summarize(engine.ranStatements.isEmpty()
                                           ? assembleStatements(statement).value(0, statement)
                                           : engine.ranStatements.first().first);
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

namespace {

// The last run's output as the row that shows it; false when it shows none.
bool lastOutputRow(DocumentRow *row, int *step) {
    RunOutput output = runOutput(engine, engine);
    if (!output.shown) return false;
    RowKind kind = output.kind;
    QString pictureFile;
    *row = rowFromText(kind, ScriptText::trimCarriageReturns(output.text), output.statement, {},
                       &pictureFile);
    row->outcome = std::move(output.outcome);
    row->picture = std::move(output.picture);
    *step = output.step;
    return true;
}

// An output already under the statement is rewritten, as in the window.
bool rewrites(RowKind kind, RowKind there) {
    return (kind == RowKind::chart && there == RowKind::chart) ||
           (traitsOf(kind).textOutput && traitsOf(there).textOutput);
}

// The model's rows as a gap at the row being run: the rows before it in order, those after
// it reversed, so that an output placed under each statement moves no row after it (a
// long script's run was quadratic in its rows). The model is whole again at the end.
class DocumentRows : public RunnableRows {
public:
    explicit DocumentRows(DocumentModel &document) : document_(document) {
        after_.reserve(document.size());
        std::move(document.rbegin(), document.rend(), std::back_inserter(after_));
        document.clear();
    }
    ~DocumentRows() override { moveGapTo(document_.size() + after_.size()); }
    DocumentRows(const DocumentRows &) = delete;
    DocumentRows &operator=(const DocumentRows &) = delete;

    int count() const override { return static_cast<int>(document_.size() + after_.size()); }
    RowKind kind(int row) const override { return at(row).kind; }
    QString statement(int row) const override { return at(row).sql; }
    bool run(const QString &statement) override {
        runScript(statement, nullptr, nullptr);
        return true;
    }
    int placeOutput(int row, int number) override {
        DocumentRow &ran = at(row);
        ran.outcome.ran = textAsRan(ran.text);
        ran.outcome.number = number;
        int step = 0;
        DocumentRow output;
        if (!lastOutputRow(&output, &step)) return step;
        moveGapTo(static_cast<size_t>(row) + 1);
        if (!after_.empty() && rewrites(output.kind, after_.back().kind))
            after_.back() = std::move(output);
        else
            document_.push_back(std::move(output));
        return step;
    }

private:
    const DocumentRow &at(int row) const {
        const auto r = static_cast<size_t>(row);
        return r < document_.size() ? document_[r]
                                    : after_[after_.size() - 1 - (r - document_.size())];
    }
    DocumentRow &at(int row) {
        return const_cast<DocumentRow &>(static_cast<const DocumentRows *>(this)->at(row));
    }
    void moveGapTo(size_t position) {
        while (document_.size() > position) {
            after_.push_back(std::move(document_.back()));
            document_.pop_back();
        }
        while (document_.size() < position && !after_.empty()) {
            document_.push_back(std::move(after_.back()));
            after_.pop_back();
        }
    }

    DocumentModel &document_;
    DocumentModel after_;
};

} // namespace

int runDocument(DocumentModel &document, const RunProgress &progress, RunAllOutcome *outcome) {
    DocumentRows rows(document);
    return runAllRows(rows, progress, outcome);
}

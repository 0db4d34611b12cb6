#pragma once
// Run all: every statement row from the top, each output placed under its statement,
// over the rows of a window's grid or of a document model alone (the window-less run).

#include "document/document_model.h"

#include <QString>
#include <functional>

// One statement row of a Run all, as its progress reports it.
struct StatementRun {
    int number = 0; // 1-based among the statement rows
    int total = 0;  // statement rows of the script
    QString summary;
    double seconds = 0;
    int statements = 0; // statements the row held
    int failures = 0;   // and how many of them failed
};

// How a Run all ended.
struct RunAllOutcome {
    int rowsRun = 0;
    int rowsNotRun = 0; // statement rows left when a failure stopped the run
};
using RunProgress = std::function<void(const StatementRun &)>;

// What a Run all walks.
class RunnableRows {
public:
    virtual ~RunnableRows() = default;
    virtual int count() const = 0;
    virtual RowKind kind(int row) const = 0;
    // The full statement text of a statement row, hidden sections included.
    virtual QString statement(int row) const = 0;
    // Runs a statement; false when another run started meanwhile (the rows may have
    // moved under it).
    virtual bool run(const QString &statement) = 0;
    // Records on the statement row how it ran and places its output under it; returns
    // how many rows the walk steps over.
    virtual int placeOutput(int row, int number) = 0;
    // Around each row: a window scrolls to it and repaints; a run may end early.
    virtual void beforeRow(int) {}
    virtual void afterRow() {}
    virtual bool stopped() const;
};

// Returns the number of statement rows run; outcome, when given, says how it ended.
int runAllRows(RunnableRows &rows, const RunProgress &progress, RunAllOutcome *outcome = nullptr);

// Runs a document model's statements with no window: outputs go into the model.
int runDocument(DocumentModel &document, const RunProgress &progress,
                RunAllOutcome *outcome = nullptr);

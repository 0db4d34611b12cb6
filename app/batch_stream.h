#pragma once
// A script too long for a document runs statement by statement as it is read, so that a
// dump of any length runs in bounded memory.

#include "document/document_run.h"

#include <QString>
#include <functional>

// Counts the statements of the script at path, then runs them in order; progress is
// called after each. False, with the reason in error, when the file cannot be read.
bool runScriptStatements(const QString &path,
                         const std::function<void(const StatementRun &)> &progress, QString *error,
                         RunAllOutcome *outcome = nullptr);

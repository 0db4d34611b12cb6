#pragma once
// Cancelling the statement that is executing or fetching, from any thread: the only part
// of the interface that another thread may call.

#include "database/cli/handles.h"

namespace cli {

// Held around a backend's execute or fetch; a cancel meanwhile reaches that statement.
class ExecutionScope {
public:
    explicit ExecutionScope(Statement *statement);
    ~ExecutionScope();
    ExecutionScope(const ExecutionScope &) = delete;
    ExecutionScope &operator=(const ExecutionScope &) = delete;
    // The call must fail without running: a cancel came before it, or it was made from
    // inside another call (window events let in while a statement runs).
    bool refused() const { return cancelled_ || nested_; }
    // Sets the diagnostic that says why.
    int refusal(Statement *statement) const;

private:
    bool cancelled_ = false;
    bool nested_ = false;
};

// Lets an embedded statement call the hook now and then while it runs.
void watchProgress(sqlite3 *db);

} // namespace cli

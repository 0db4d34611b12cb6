#include "database/cli/cancel.h"

#include "database/cli/cli.h"
#include "database/cli/odbc.h"

#include <chrono>
#include <mutex>
#include <sqlite3.h>

namespace cli {
namespace {

// What a cancel can reach: set only while a backend call is running on it, so neither
// pointer can be closed or freed under the cancelling thread.
struct Executing {
    std::mutex lock;
    sqlite3 *db = nullptr;
    void *odbcStmt = nullptr;
    int depth = 0;
    bool cancelled = false;
};

Executing &shared() {
    static Executing state;
    return state;
}

// How long a statement runs before window events are let in, and how often after that.
constexpr auto kEventSlice = std::chrono::milliseconds(100);
void (*eventHook)() = nullptr;

int progressTick(void *) {
    static auto last = std::chrono::steady_clock::now();
    static bool inHook = false;
    const auto now = std::chrono::steady_clock::now();
    if (!eventHook || inHook || now - last < kEventSlice) return 0;
    last = now;
    inHook = true;
    eventHook();
    inHook = false;
    return 0;
}

} // namespace

ExecutionScope::ExecutionScope(Statement *statement) {
    Executing &state = shared();
    const std::lock_guard guard(state.lock);
    cancelled_ = state.cancelled;
    nested_ = state.depth > 0;
    if (refused()) return;
    ++state.depth;
    if (!statement->conn) return;
    state.db = statement->conn->db;
    state.odbcStmt = statement->odbcStmt;
}

ExecutionScope::~ExecutionScope() {
    if (refused()) return;
    Executing &state = shared();
    const std::lock_guard guard(state.lock);
    --state.depth;
    state.db = nullptr;
    state.odbcStmt = nullptr;
}

int ExecutionScope::refusal(Statement *statement) const {
    if (nested_)
        statement->diag.set("HY010", -952,
                            vendorMessage(QStringLiteral("CLI"),
                                          QStringLiteral("Another statement is still running: "
                                                         "stop it or wait for it to end.")));
    else
        statement->diag.set(
            "HY008", -952,
            vendorMessage(QStringLiteral("CLI"), QStringLiteral("The statement was cancelled.")));
    return kError;
}

bool executing() {
    Executing &state = shared();
    const std::lock_guard guard(state.lock);
    return state.depth > 0;
}

void setEventHook(void (*hook)()) {
    eventHook = hook;
}

void watchProgress(sqlite3 *db) {
    sqlite3_progress_handler(db, 10000, progressTick, nullptr);
}

void cancelExecution() {
    Executing &state = shared();
    const std::lock_guard guard(state.lock);
    state.cancelled = true;
    if (state.db) sqlite3_interrupt(state.db);
    if (state.odbcStmt) odbc::cancel(state.odbcStmt);
}

void allowExecution() {
    Executing &state = shared();
    const std::lock_guard guard(state.lock);
    state.cancelled = false;
}

} // namespace cli

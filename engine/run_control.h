#pragma once
// Ending a run from outside it: the window's Stop and Escape, a statement time limit and,
// for window-less runs, SIGINT and SIGTERM. A stop cancels the running statement,
// terminates the process group of the child it waits for and lets no further statement
// start; a time limit cancels only the statement that overran it. Requests may come from
// any thread; the run itself sees them when its statement ends.

#include <QString>
#include <QtGlobal>

namespace run_control {

// Seconds a statement may run (0: no limit).
void setStatementLimit(int seconds);
int statementLimit();

// Marks one statement of a run; nested runs (START) keep the outer statement's clock.
class StatementWatch {
public:
    StatementWatch();
    ~StatementWatch();
    StatementWatch(const StatementWatch &) = delete;
    StatementWatch &operator=(const StatementWatch &) = delete;
    // Why the statement was cut short ("" when it was not).
    QString cancelReason() const;

private:
    bool outermost_;
};

// The child process (leader of its own process group) the running statement waits for;
// 0 once it has ended.
void setChildGroup(qint64 pid);
// SIGTERM to the group, SIGKILL to what is left of it after a short grace.
void terminateGroup(qint64 pid);

// Stops the run in progress. reason becomes the stopped statement's message.
void requestStop(const QString &reason);
bool stopRequested();
QString stopReason();
// Forgets an earlier stop; a new run from the user starts here.
void clearStop();

// Lets window events in while an embedded statement runs, so that Stop and Escape reach
// it; another run cannot start meanwhile.
void letWindowsStopStatements();

// For window-less runs: SIGINT and SIGTERM request a stop, a second one ends the program at
// once, and a run still going a few seconds after a signal, or a statement that has not
// ended a few seconds after the time limit stopped it, ends the program, with the status
// the stop calls for.
void stopOnSignals();
// The first signal caught, 0 when none.
int caughtSignal();

// A run (statement, Run all, a child) is now in progress; what a Stop would end.
bool runInProgress();
// The window's Stop and Escape: stops the run in progress, if any; false when there was
// none, so Escape can do its other work.
bool stopRunByUser();
// Counts a whole-script run that is not itself inside a statement (Run all).
class RunScope {
public:
    RunScope();
    ~RunScope();
    RunScope(const RunScope &) = delete;
    RunScope &operator=(const RunScope &) = delete;
};

} // namespace run_control

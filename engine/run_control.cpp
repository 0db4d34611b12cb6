#include "engine/run_control.h"

#include "database/cli/cli.h"
#include "engine/engine_state.h"
#include "engine/window_interface.h"

#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

namespace run_control {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTermGrace = std::chrono::milliseconds(1000);
constexpr auto kWatchSlice = std::chrono::milliseconds(50);

volatile std::sig_atomic_t pendingSignal = 0;

// Everything a stop reaches, shared with the watching thread.
struct State {
    std::mutex lock;
    std::condition_variable wake;
    int limitSeconds = 0;
    int statementDepth = 0;
    Clock::time_point deadline;
    QString cancelReason; // of the outermost statement now running
    qint64 childGroup = 0;
    bool stopped = false;
    QString stopReason;
    int signal = 0;
    bool watching = false;
};

State &state() {
    static State *shared = new State; // never destroyed: the watching thread outlives main()
    return *shared;
}

std::atomic<int> runScopes{0};

// Caller holds the lock.
void cancelCurrent(State &s, const QString &reason) {
    if (s.statementDepth == 0) return;
    if (s.cancelReason.isEmpty()) s.cancelReason = reason;
    cli::cancelExecution();
    if (s.childGroup > 0) terminateGroup(s.childGroup);
}

QString limitMessage(int seconds) {
    return QStringLiteral("Stopped: the statement ran longer than the limit of %1 second(s).")
        .arg(seconds);
}

QString signalMessage(int signal) {
    return QStringLiteral("Stopped: the run was ended by %1.")
        .arg(signal == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM"));
}

// Watches the statement clock and the signal flag for as long as the program runs.
void watch() {
    State &s = state();
    std::unique_lock guard(s.lock);
    for (;;) {
        s.wake.wait_for(guard, kWatchSlice);
        if (pendingSignal != 0 && s.signal == 0) {
            s.signal = pendingSignal;
            const QString reason = signalMessage(s.signal);
            s.stopped = true;
            s.stopReason = reason;
            cancelCurrent(s, reason);
        }
        if (s.statementDepth > 0 && s.limitSeconds > 0 && s.cancelReason.isEmpty() &&
            Clock::now() >= s.deadline)
            cancelCurrent(s, limitMessage(s.limitSeconds));
    }
}

// Caller holds the lock.
void startWatching(State &s) {
    if (s.watching) return;
    s.watching = true;
    std::thread(watch).detach(); // lives until the process ends
}

extern "C" void onStopSignal(int signal) {
    if (pendingSignal == 0) pendingSignal = signal;
    // A second signal ends the program at once, as it would have without us.
    std::signal(signal, SIG_DFL);
}

} // namespace

void setStatementLimit(int seconds) {
    State &s = state();
    const std::lock_guard guard(s.lock);
    s.limitSeconds = std::max(0, seconds);
    if (s.limitSeconds > 0) startWatching(s);
}

int statementLimit() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    return s.limitSeconds;
}

StatementWatch::StatementWatch() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    outermost_ = s.statementDepth++ == 0;
    if (!outermost_) return;
    s.deadline = Clock::now() + std::chrono::seconds(s.limitSeconds);
    s.cancelReason.clear();
    // A stop already asked for holds every later statement back.
    if (s.stopped) {
        s.cancelReason = s.stopReason;
        cli::cancelExecution();
    } else {
        cli::allowExecution();
    }
}

StatementWatch::~StatementWatch() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    --s.statementDepth;
    if (!outermost_) return;
    s.childGroup = 0;
    cli::allowExecution();
}

QString StatementWatch::cancelReason() const {
    State &s = state();
    const std::lock_guard guard(s.lock);
    return s.cancelReason;
}

void setChildGroup(qint64 pid) {
    State &s = state();
    const std::lock_guard guard(s.lock);
    s.childGroup = pid;
    if (pid > 0 && !s.cancelReason.isEmpty()) terminateGroup(pid);
}

void terminateGroup(qint64 pid) {
    if (pid <= 0) return;
    const pid_t group = static_cast<pid_t>(pid);
    if (::kill(-group, SIGTERM) != 0) return;
    const auto until = Clock::now() + kTermGrace;
    while (Clock::now() < until) {
        // Only the group's leader can be waited for here; the grace is for the others too.
        if (::kill(-group, 0) != 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(-group, SIGKILL);
}

void requestStop(const QString &reason) {
    State &s = state();
    const std::lock_guard guard(s.lock);
    if (!s.stopped) {
        s.stopped = true;
        s.stopReason = reason;
    }
    cancelCurrent(s, s.stopReason);
}

bool stopRequested() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    return s.stopped;
}

QString stopReason() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    return s.stopReason;
}

void clearStop() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    if (s.signal != 0) return; // a signal ends the program, not just one run
    s.stopped = false;
    s.stopReason.clear();
}

void letWindowsStopStatements() {
    cli::setEventHook([] { engine.ui->processEvents(); });
}

void stopOnSignals() {
    {
        State &s = state();
        const std::lock_guard guard(s.lock);
        startWatching(s);
    }
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a read waiting for an answer gives up
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int caughtSignal() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    return s.signal;
}

bool runInProgress() {
    State &s = state();
    const std::lock_guard guard(s.lock);
    return s.statementDepth > 0 || runScopes.load() > 0;
}

bool stopRunByUser() {
    if (!runInProgress()) return false;
    requestStop(QStringLiteral("Stopped by the user."));
    return true;
}

RunScope::RunScope() {
    ++runScopes;
}

RunScope::~RunScope() {
    --runScopes;
}

} // namespace run_control

#include "engine/run_control.h"

#include "core/engine_state.h"
#include "core/window_interface.h"
#include "database/cli/cli.h"

#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace run_control {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTermGrace = std::chrono::milliseconds(1000);
constexpr auto kWatchSlice = std::chrono::milliseconds(50);
// How long a stopped statement may take to end before a window-less run gives up on it.
constexpr auto kStuckGrace = std::chrono::seconds(5);

volatile std::sig_atomic_t pendingSignal = 0;

// Read by the thread that ends a window-less run whose stopped statement hangs; atomics
// only, so that a cancel blocked inside a driver cannot hold it up.
struct StuckStatement {
    std::atomic<bool> watched{false};
    std::atomic<Clock::rep> deadline{0}; // 0: no stopped statement is running
    // A signal's deadline holds whatever the run is doing (an export waiting on a pipe, a
    // write of gigabytes) and is never lifted.
    std::atomic<Clock::rep> signalDeadline{0};
    std::atomic<int> signal{0};
    std::atomic<int> limitSeconds{0};
};

StuckStatement &stuck() {
    static StuckStatement *shared = new StuckStatement; // outlives main(), like its thread
    return *shared;
}

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
    StuckStatement &hung = stuck();
    hung.signal = s.signal;
    hung.limitSeconds = s.limitSeconds;
    Clock::rep expected = 0;
    hung.deadline.compare_exchange_strong(expected,
                                          (Clock::now() + kStuckGrace).time_since_epoch().count());
    cli::cancelExecution();
    if (s.childGroup > 0) terminateGroup(s.childGroup);
}

void say(const QString &line) {
    const QByteArray text = (QStringLiteral("pavona: ") + line + u'\n').toLocal8Bit();
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.constData(), text.size());
}

// A driver call that neither ends nor heeds a cancel (a server that no longer answers, a
// protocol the driver loops in) would hold the run for ever: past the grace, the program
// ends as the stop meant it to.
[[noreturn]] void endStuckRun(const StuckStatement &hung) {
    const int signal = hung.signal;
    const int grace = static_cast<int>(std::chrono::seconds(kStuckGrace).count());
    if (signal != 0) {
        const bool inStatement = hung.deadline != 0;
        say(QStringLiteral("the run was stopped by %1; %2 did not end within %3 seconds of "
                           "being cancelled, so the program ends without it")
                .arg(signal == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM"),
                     inStatement ? QStringLiteral("its statement") : QStringLiteral("it"))
                .arg(grace));
        ::_exit(128 + signal);
    }
    say(QStringLiteral("a statement ran longer than the limit of %1 second(s) and did not end "
                       "within %2 seconds of being cancelled: the database does not answer, so "
                       "the run ends here")
            .arg(hung.limitSeconds.load())
            .arg(grace));
    ::_exit(1);
}

void watchForStuckStatements() {
    StuckStatement &hung = stuck();
    for (;;) {
        std::this_thread::sleep_for(kWatchSlice);
        const Clock::rep now = Clock::now().time_since_epoch().count();
        const Clock::rep deadline = hung.deadline;
        const Clock::rep signalDeadline = hung.signalDeadline;
        if ((deadline != 0 && now >= deadline) || (signalDeadline != 0 && now >= signalDeadline))
            endStuckRun(hung);
    }
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
            stuck().signal = s.signal;
            stuck().signalDeadline = (Clock::now() + kStuckGrace).time_since_epoch().count();
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
    stuck().deadline = 0;
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
    if (!stuck().watched.exchange(true)) std::thread(watchForStuckStatements).detach();
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

#pragma once
// The one process-wide state record shared by the engine and every window.

#include <QFile>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class WindowInterface;
struct ResultSet;

constexpr int kVariableSlots = 1024;
constexpr int kMessageCount = 200;
constexpr int kMaxArgs = 100;
constexpr int kMaxFileLines = 10000;
constexpr int kFetchBufferSize = 32000;
constexpr int kMaxResultColumns = 255;
// The ranges OPTION MAXDISPLAY and OPTION MAXROWS hold their values to.
constexpr int kMaxDisplayLeast = 5;
constexpr int kMaxDisplayMost = 1000;
constexpr int kMaxRowsLeast = 1;
constexpr int kMaxRowsMost = 32000;
// Longest statement a substitution may make, in characters (32 MB of text).
constexpr qsizetype kMaxStatementChars = 16 * 1024 * 1024;

struct Variable {
    QString name; // upper-case; empty in a freed slot
    QString value;
    bool inUse = false;
};

// What the last statement produced.
enum ResultKind : int {
    kResultMessage = 0,
    kResultRows = 1,
    kResultText = 2,
    kResultServerOutput = 3,
    kResultPicture = 4,
};

// One descriptor per bound result column, shared by SQL execution and spooled queries.
struct ColumnDescriptor {
    int offset = 0;     // first byte of the column's slice of fetchBuffer (from 1)
    int bindLength = 0; // slice length
    int sqlType = 0;
    int width = 0;     // display width in characters
    int alignment = 1; // 1 left, 7 right
};

// Call-level interface handles are opaque pointers behind the cli namespace.
using CliHandle = void *;

// The record is made of typed parts, so that a function can take only the part it works
// on (the database layer sees a SessionState, never the whole record). The fields keep their
// names: every part is a base of EngineState.

// Variables, slots 1..1024 (index 0 unused).
struct VariableTable {
    std::array<Variable, kVariableSlots + 1> vars;
    int varCount = 0;
};

// Messages numbered 1..200 (index 0 unused), and the one last set.
struct MessageTable {
    std::array<QString, kMessageCount + 1> messages;
    QString msgText;
    int32_t msgCode = 0;
};

// Arguments of the command being run, 1..100 (index 0 unused).
struct CommandArgs {
    std::array<QString, kMaxArgs + 1> args;
    int argCount = 0;
};

// What the user sets: options, sizes, marks and where files go.
struct Settings {
    bool blockMode = false;
    bool traceOn = false;
    // "&name" references are filled in (OPTION SUBSTITUTION, --no-substitution).
    bool substitution = true;
    // A DEFINE that doubles a value, repeated, would otherwise take all memory; values
    // come from statements, so this bounds them too. Lowered by tests.
    qsizetype maxStatementChars = kMaxStatementChars;
    // Run all stops at the first statement that fails unexpectedly (Options > Stop Run on
    // Error, --stop-on-error).
    bool stopOnError = false;
    // Messages leave out elapsed times (--no-timings), so that two runs read the same.
    bool noTimings = false;
    bool gridMode = false;
    bool detached = false;

    int maxDisplay = 10;
    int maxRows = 1000;
    int columnSize = 20;
    int fontSize = 10;
    int sqlLineWidth = 87;
    int textLineWidth = 90;
    int viewMode = 3;

    QString libraryFile = QStringLiteral("pavona.sql");
    QString workFolder;
    QString helpFolder;
    QString tabMark = QString(QChar(0x00BB));
    QString lineMark = QString(QChar(0x2022));
};

// What the last statement and the last run produced.
struct RunOutcome {
    int resultKind = kResultMessage;
    QString outputText;
    QString serverOutput;
    bool busy = false;
    bool stopRun = false;
    // Statements the user's last run text ran and how many of them failed; a nested run
    // counts as its one statement.
    int runStatements = 0;
    int runFailures = 0;
    QString currentStatement;
    QString resultText;
    // The last query's result as data, and how much of resultText is its table (what
    // follows is its message and whatever the run added).
    std::shared_ptr<const ResultSet> lastResult;
    int resultTableLength = 0;
    // Each statement of the user's last run text, as written and as it ran.
    QList<std::pair<QString, QString>> ranStatements;
    double elapsedSeconds = 0.0;
};

// External command being waited for.
struct ChildRun {
    bool captureOutput = false;
    int32_t processId = 0;
    int32_t timerId = 0;
};

// Output file.
struct SpoolFile {
    bool spoolOpen = false;
    std::shared_ptr<QFile> spoolUnit;
    QString spoolFile;
};

// Database session.
struct SessionState {
    bool connected = false;
    QString databaseName = QStringLiteral("SAMPLE");
    QString userId;
    QString userPassword;
    CliHandle envHandle = nullptr;
    CliHandle connHandle = nullptr;
    CliHandle stmtHandle = nullptr;
    int32_t lastRc = 0;
    bool errorFlag = false;
    int silentRowCount = 0;
};

// Where a query's rows are bound and fetched, and how its columns are shown.
struct FetchBuffer {
    int columnWidthLimit = 0;
    std::array<char, kFetchBufferSize + 1> fetchBuffer{}; // addressed from 1
    std::array<ColumnDescriptor, kMaxResultColumns + 1> columnTable{};
};

// Line buffer of readLines, 1..10000 (index 0 unused).
struct FileLines {
    std::vector<QString> fileLines = std::vector<QString>(kMaxFileLines + 2);
    int fileLineCount = 0;
};

// What the windows keep between commands: the last search, the recall position, the history.
struct WindowMemory {
    QString lastSearch;
    int recallPos = 0;
    int32_t historyCount = 0;
};

struct EngineState : VariableTable,
                     MessageTable,
                     CommandArgs,
                     Settings,
                     RunOutcome,
                     ChildRun,
                     SpoolFile,
                     SessionState,
                     FetchBuffer,
                     FileLines,
                     WindowMemory {
    // The windows, reached only through this interface; never null once set up
    // (a silent implementation stands in until a window layer installs its own).
    WindowInterface *ui = nullptr;
};

// The process-wide record.
extern EngineState engine;

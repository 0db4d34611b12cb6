#include "app/batch_stream.h"

#include "core/engine_state.h"
#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "engine/statements.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>

namespace {

// The lines of a file one at a time, whatever their end (LF, CR LF); a line that is not
// UTF-8 is read as Latin-1 rather than lose its bytes.
class LineReader {
public:
    explicit LineReader(const QString &path) : file_(path) {}
    bool open() { return file_.open(QIODevice::ReadOnly); }
    QString errorString() const { return file_.errorString(); }

    bool next(QString &line) {
        if (file_.atEnd()) return false;
        QByteArray bytes = file_.readLine();
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        if (first_ && bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
        first_ = false;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        line = utf8.decode(bytes);
        if (utf8.hasError()) line = QString::fromLatin1(bytes);
        return true;
    }

private:
    QFile file_;
    bool first_ = true;
};

// Feeds every line of the file to the assembler and hands each statement on as it ends.
bool forEachStatement(const QString &path, const std::function<bool(const QString &)> &take,
                      QString *error) {
    LineReader reader(path);
    if (!reader.open()) {
        *error = reader.errorString();
        return false;
    }
    StatementAssembler assembler;
    QString line;
    while (reader.next(line)) {
        assembler.addLine(line);
        for (const QString &statement : assembler.takeStatements())
            if (!take(statement)) return true;
    }
    assembler.finish();
    for (const QString &statement : assembler.takeStatements())
        if (!take(statement)) return true;
    return true;
}

} // namespace

bool runScriptStatements(const QString &path,
                         const std::function<void(const StatementRun &)> &progress, QString *error,
                         RunAllOutcome *outcome) {
    StatementRun report;
    if (!forEachStatement(
            path,
            [&report](const QString &) {
                ++report.total;
                return true;
            },
            error))
        return false;
    const run_control::RunScope running;
    QElapsedTimer timer;
    return forEachStatement(
        path,
        [&](const QString &statement) {
            engine.gridMode = false;
            timer.start();
            runStatements({statement}, nullptr, nullptr);
            report.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
            ++report.number;
            report.summary = summarize(statement);
            report.statements = engine.runStatements;
            report.failures = engine.runFailures;
            if (progress) progress(report);
            if (engine.stopOnError && engine.msgCode != 0) {
                if (outcome) outcome->rowsNotRun = report.total - report.number;
                return false;
            }
            return !run_control::stopRequested();
        },
        error);
}

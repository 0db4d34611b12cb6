// Explain tool: writes the access plan of each statement in a file, with the engine's own
// cost estimate where it gives one.
//   norqexpln [-d DATABASE] [-u USER PASSWORD] [-t] [-g] [-z TERMINATOR] [-o OUTFILE] -f INFILE
// Without -d, PAVONA_DATABASE of the environment is used; without -u, PAVONA_USER and
// PAVONA_PASSWORD when set.
// For each statement the report holds a "Cost =" line, a "Plan:" line, the plan lines and
// a line of "=". -t also shows the report on the screen; -g is accepted and ignored.
// Exit status 0, 4 when a statement could not be explained, 8 on a usage or file error.

#include "client/client_session.h"
#include "client/statement_reader.h"
#include "client/tool_info.h"
#include "client/tool_output.h"
#include "database/catalog.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int kStatementFailed = 4;
constexpr int kUsageError = 8;
const char *const kUsage =
    "Usage: norqexpln [-d DATABASE] [-u USER PASSWORD] [-t] [-g] [-z TERMINATOR]\n"
    "                 [-o OUTFILE] -f INFILE\n"
    "Writes the access plan of each statement of INFILE, with the engine's own cost\n"
    "estimate where it gives one.\n"
    "\n"
    "  -d DATABASE           database to connect to (default PAVONA_DATABASE)\n"
    "  -u USER PASSWORD      userid and password (default PAVONA_USER, PAVONA_PASSWORD)\n"
    "  -t                    also shows the report on the screen\n"
    "  -g                    accepted and ignored\n"
    "  -z TERMINATOR         statement terminator\n"
    "  -o OUTFILE            writes the report to OUTFILE\n"
    "  -f INFILE             reads the statements from INFILE\n"
    "  --help                shows this text\n"
    "  --version             shows the version\n"
    "\n"
    "Exit status: 0, 4 when a statement could not be explained, 8 on a usage or file\n"
    "error.\n";
const QString kIndent = QStringLiteral("    ");
const QString kEndLine = QString(64, u'=');

struct Options {
    QString database;
    QString user;
    QString password;
    QString inputFile;
    QString outputFile;
    QChar terminator = u';';
    bool screen = false;
};

void warn(const QString &text) {
    std::fputs(("norqexpln: " + text + '\n').toLocal8Bit().constData(), stderr);
}

bool parseOptions(const QStringList &args, Options &options) {
    auto next = [&](int &i) { return i + 1 < args.size() ? args[++i] : QString(); };
    for (int i = 1; i < args.size(); ++i) {
        const QString flag = args[i].toLower();
        if (flag == QLatin1String("-d"))
            options.database = next(i);
        else if (flag == QLatin1String("-u")) {
            options.user = next(i);
            options.password = next(i);
        } else if (flag == QLatin1String("-f"))
            options.inputFile = next(i);
        else if (flag == QLatin1String("-o"))
            options.outputFile = next(i);
        else if (flag == QLatin1String("-z")) {
            const QString value = next(i);
            if (!value.isEmpty()) options.terminator = value.at(0);
        } else if (flag == QLatin1String("-t"))
            options.screen = true;
        else if (flag != QLatin1String("-g"))
            warn(QStringLiteral("option %1 is not known; it is ignored.").arg(args[i]));
    }
    // The program passes the connection in the environment, not on the command line.
    if (options.database.isEmpty()) options.database = qEnvironmentVariable("PAVONA_DATABASE");
    if (options.user.isEmpty()) {
        options.user = qEnvironmentVariable("PAVONA_USER");
        options.password = qEnvironmentVariable("PAVONA_PASSWORD");
    }
    return !options.database.isEmpty() && !options.inputFile.isEmpty();
}

struct Plan {
    QString cost; // the engine's estimate, or words saying there is none
    QStringList lines;
};

// The embedded engine's plan is a tree of (id, parent, detail) rows; it gives no cost.
bool embeddedPlan(ClientSession &session, const QString &sql, Plan &plan, QString &error) {
    const auto statement = session.execute(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    if (!statement || statement->result() < 0 || statement->columns().size() < 4) {
        error = statement ? statement->error() : session.diagnostic(nullptr);
        return false;
    }
    QMap<int, int> depthOf;
    while (statement->fetch()) {
        const int id = statement->value(0).toInt();
        const int depth = depthOf.value(statement->value(1).toInt(), 0) + 1;
        depthOf.insert(id, depth);
        plan.lines << kIndent + QString(2 * (depth - 1), u' ') + statement->value(3);
    }
    if (statement->result() < 0) {
        error = statement->error();
        return false;
    }
    plan.cost = QStringLiteral("not estimated (the embedded engine gives no cost estimate)");
    return true;
}

// A server's EXPLAIN text; where its top line carries "cost=start..total", total is
// the estimate.
bool serverPlan(ClientSession &session, const QString &sql, Plan &plan, QString &error) {
    static const QRegularExpression costPattern(QStringLiteral("cost=[0-9.]+\\.\\.([0-9.]+)"));
    const auto statement = session.execute(QStringLiteral("EXPLAIN ") + sql);
    if (!statement || statement->result() < 0 || !statement->isQuery()) {
        error = statement ? statement->error() : session.diagnostic(nullptr);
        if (error.isEmpty()) error = QStringLiteral("The data source returned no plan.");
        return false;
    }
    while (statement->fetch()) {
        // One text column on some servers, a table of plan steps on others.
        QStringList values;
        for (int c = 0; c < static_cast<int>(statement->columns().size()); ++c)
            values << statement->value(c);
        const QString line = values.join(u' ');
        if (plan.cost.isEmpty()) {
            const QRegularExpressionMatch match = costPattern.match(line);
            if (match.hasMatch()) plan.cost = match.captured(1);
        }
        plan.lines << kIndent + line;
    }
    if (statement->result() < 0) {
        error = statement->error();
        return false;
    }
    if (plan.cost.isEmpty())
        plan.cost = QStringLiteral("not estimated (the data source gives no cost estimate)");
    return true;
}

bool explainStatement(ClientSession &session, bool embedded, const QString &sql, ToolOutput &out) {
    out.line(QStringLiteral("Statement:"));
    for (const QString &line : sql.split(u'\n'))
        out.line(kIndent + line);
    out.line();
    Plan plan;
    QString error;
    const bool ok =
        embedded ? embeddedPlan(session, sql, plan, error) : serverPlan(session, sql, plan, error);
    if (ok) {
        out.line(QStringLiteral("Estimated Cost = ") + plan.cost);
        out.line();
        out.line(QStringLiteral("Plan:"));
        for (const QString &line : plan.lines)
            out.line(line);
    } else {
        out.line(QStringLiteral("The statement could not be explained:"));
        out.line(kIndent + error);
    }
    out.line();
    out.line(kEndLine);
    out.line();
    return ok;
}

QStringList readStatements(const QString &path, QChar terminator, bool &ok) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    QStringList statements;
    if (!ok) return statements;
    StatementReader reader(terminator);
    for (const QString &line : QString::fromUtf8(file.readAll()).split(lineBreak))
        reader.addLine(line, statements);
    reader.finish(statements);
    return statements;
}

} // namespace

int main(int argc, char **argv) {
    if (answeredHelpOrVersion(argc, argv, "norqexpln", kUsage)) return 0;
    QCoreApplication app(argc, argv);
    Options options;
    if (!parseOptions(app.arguments(), options)) {
        warn(QStringLiteral("usage: norqexpln [-d DATABASE] [-u USER PASSWORD] [-t] [-g] "
                            "[-z TERMINATOR] [-o OUTFILE] -f INFILE"));
        return kUsageError;
    }
    ToolOutput out;
    out.setScreen(options.screen || options.outputFile.isEmpty());
    QString error;
    if (!options.outputFile.isEmpty() && !out.openFile(options.outputFile, error)) {
        warn(error);
        return kUsageError;
    }
    bool readable = false;
    const QStringList statements = readStatements(options.inputFile, options.terminator, readable);
    if (!readable) {
        out.line(QStringLiteral("Cannot read the statement file \"%1\".").arg(options.inputFile));
        return kUsageError;
    }

    ClientSession session;
    if (!session.connect(options.database, options.user, options.password, error)) {
        out.line(QStringLiteral("Cannot connect to %1: %2").arg(options.database, error));
        return kStatementFailed;
    }
    const bool embedded = !embeddedDatabaseFile(options.database).isEmpty();
    out.line(QStringLiteral("Access plan report for database %1").arg(session.database()));
    out.line();
    int status = 0;
    for (const QString &statement : statements) {
        if (!explainStatement(session, embedded, statement, out)) status = kStatementFailed;
    }
    return status;
}

// The command-line processor: runs statements from a file, the command line or standard
// input against the databases of the call-level interface.
//   norq [-t | -td<c>] [-v] [-s] [-o-] [-z OUTFILE] [-f INFILE] [STATEMENT]
// -t ends statements with ";", -td<c> with <c>, otherwise each line is one statement;
// -v echoes each statement; -s stops at the first failure; -o- keeps the screen quiet;
// -z copies the output to OUTFILE. Exit status 0, 4 when a statement failed, 8 when the
// input or output file cannot be used.

#include "client/norq_processor.h"
#include "client/statement_reader.h"
#include "client/tool_info.h"
#include "client/tool_output.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kStatementFailed = 4;
constexpr int kFileError = 8;

const char *const kUsage =
    "Usage: norq [-t | -td<c>] [-v] [-s] [-o-] [-z OUTFILE] [-f INFILE] [STATEMENT]\n"
    "Runs statements and commands (CONNECT TO, CREATE DATABASE, LIST DATABASE DIRECTORY,\n"
    "...) from STATEMENT, from INFILE, or else from standard input.\n"
    "\n"
    "  -t        statements end with \";\" (otherwise each line is one statement)\n"
    "  -td<c>    statements end with the character <c>\n"
    "  -v        echoes each statement\n"
    "  -s        stops at the first statement that fails\n"
    "  -o-       writes nothing to the screen\n"
    "  -z FILE   copies the output to FILE\n"
    "  -f FILE   reads the statements from FILE\n"
    "  --help    shows this text\n"
    "  --version shows the version\n"
    "\n"
    "Exit status: 0, 4 when a statement failed, 8 when the input or output file cannot\n"
    "be used.\n";

struct Options {
    QChar terminator;
    bool echo = false;
    bool stopOnError = false;
    bool screen = true;
    QString inputFile;
    QString outputFile;
    QString commandText;
};

void warn(const QString &text) {
    std::fputs(("norq: " + text + '\n').toLocal8Bit().constData(), stderr);
}

// Reads the value of a flag that takes one: the rest of the word, or the next word.
QString flagValue(const QString &word, qsizetype &pos, const QStringList &args, int &index) {
    QString value = word.mid(pos + 1);
    pos = word.size();
    if (value.isEmpty() && index + 1 < args.size()) value = args[++index];
    return value;
}

void parseFlags(const QString &word, const QStringList &args, int &index, Options &options) {
    for (qsizetype pos = 1; pos < word.size(); ++pos) {
        const QChar flag = word.at(pos).toLower();
        const bool off = pos + 1 < word.size() && word.at(pos + 1) == u'-';
        if (flag == u't') {
            options.terminator = u';';
            if (pos + 1 < word.size() && word.at(pos + 1).toLower() == u'd') {
                ++pos; // -td<c>; a bare -td keeps ";"
                if (pos + 1 < word.size()) options.terminator = word.at(++pos);
                continue;
            }
        } else if (flag == u'v') {
            options.echo = !off;
        } else if (flag == u's') {
            options.stopOnError = !off;
        } else if (flag == u'o') {
            options.screen = !off;
        } else if (flag == u'f') {
            options.inputFile = flagValue(word, pos, args, index);
        } else if (flag == u'z') {
            options.outputFile = flagValue(word, pos, args, index);
        } else if (flag != u'-') {
            warn(QStringLiteral("option -%1 is not known; it is ignored.").arg(word.at(pos)));
        }
        if (off) ++pos;
    }
}

Options parseOptions(const QStringList &args) {
    Options options;
    QStringList words;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i].startsWith(u'-'))
            parseFlags(args[i], args, i, options);
        else
            words << args[i];
    }
    options.commandText = words.join(u' ');
    return options;
}

// error: why the input file cannot be read, or empty.
QByteArray readInput(const Options &options, QString &error) {
    if (options.inputFile.isEmpty()) {
        // Someone who typed "norq" alone should know why nothing happens.
        if (isatty(STDIN_FILENO))
            warn(QStringLiteral("reading statements from standard input; end with Ctrl-D."));
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) return {};
        return in.readAll();
    }
    QFile file(options.inputFile);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read the input file \"%1\": %2.")
                    .arg(options.inputFile, file.errorString());
        return {};
    }
    return file.readAll();
}

QStringList statementsOf(const Options &options, const QString &text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    StatementReader reader(options.terminator);
    QStringList statements;
    for (const QString &line : text.split(lineBreak))
        reader.addLine(line, statements);
    reader.finish(statements);
    return statements;
}

int runStatements(const Options &options, const QStringList &statements, ToolOutput &out) {
    NorqProcessor processor(out);
    int status = 0;
    for (const QString &statement : statements) {
        if (options.echo) {
            out.line(statement);
            out.line();
        }
        const bool ok = processor.run(statement);
        out.line();
        out.flush();
        if (!ok) {
            status = kStatementFailed;
            if (options.stopOnError) break;
        }
    }
    return status;
}

} // namespace

int main(int argc, char **argv) {
    if (answeredHelpOrVersion(argc, argv, "norq", kUsage)) return 0;
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app.arguments());

    ToolOutput out;
    out.setScreen(options.screen);
    QString error;
    if (!options.outputFile.isEmpty() && !out.openFile(options.outputFile, error)) {
        warn(error);
        return kFileError;
    }

    QString text = options.commandText;
    if (text.isEmpty()) {
        QString readError;
        text = QString::fromUtf8(readInput(options, readError));
        if (!readError.isEmpty()) {
            // Once: in the output file when there is one (the runners read it), else on
            // standard error.
            if (options.outputFile.isEmpty())
                warn(readError);
            else
                out.line(readError);
            return kFileError;
        }
    }
    const QStringList statements =
        options.commandText.isEmpty() ? statementsOf(options, text) : QStringList{text};
    return runStatements(options, statements, out);
}

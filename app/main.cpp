// Pavona: the interactive workbench, or with --run a window-less run of a script library.

#include "app/batch_options.h"
#include "app/batch_run.h"
#include "app/batch_stdin.h"
#include "app/batch_watch.h"
#include "app/interactive.h"
#include "app/sample_start.h"

#include <QApplication>
#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(FILE *to, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), to);
}

// Qt's own chatter would break the one-line-per-statement progress on standard error.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "pavona: %s\n", message.toLocal8Bit().constData());
}

int runWithoutWindows(int argc, char *argv[], BatchOptions options) {
    // The run shows nothing, wherever it is started: with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    ScriptFromStdin input;
    if (options.scriptFromStdin) {
        if (QString error; !input.read(&error)) {
            print(stderr, QStringLiteral("pavona: cannot read the script from standard input: "
                                         "%1\n")
                              .arg(error));
            return BatchExit::cannotStart;
        }
        options.script = input.path();
    }
    if (options.watch) {
        QCoreApplication app(argc, argv);
        return watchBatch(options);
    }
    // Only a chart needs the drawing layer; without it a run starts and ends in a
    // fraction of the time (no platform, no font configuration).
    if (scriptMayDraw(options.script)) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Pavona"));
        return runBatch(options);
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pavona"));
    return runBatch(options);
}

// Qt ends the program when its platform has no display to open, with no word of what to
// do; a platform the user chose (offscreen, vnc, ...) is left to Qt.
bool displayMissing() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.isEmpty() || platform.startsWith(QLatin1String("xcb")) ||
                              platform.startsWith(QLatin1String("wayland"));
    return needsDisplay && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[]) {
    const CommandLine line = parseCommandLine(argumentsOf(argc, argv));
    switch (line.mode) {
    case StartMode::help:
        print(stdout, commandLineHelp());
        return BatchExit::ok;
    case StartMode::version:
        print(stdout, QStringLiteral("pavona " PAVONA_VERSION "\n"
                                     "Copyright (c) 2026 The Pavona developers\n"
                                     "MIT License: free to use, change and share, without "
                                     "warranty.\n"));
        return BatchExit::ok;
    case StartMode::usageError:
        print(stderr, QStringLiteral("pavona: %1\nTry 'pavona --help'.\n").arg(line.error));
        return BatchExit::cannotStart;
    case StartMode::batch:
        return runWithoutWindows(argc, argv, line.batch);
    case StartMode::createSample: {
        QCoreApplication app(argc, argv); // the installed samples are found from the program
        return createSampleCommand();
    }
    case StartMode::interactive:
        break;
    }
    if (displayMissing()) {
        print(stderr,
              QStringLiteral("pavona: no display: use --run to run a script without a window\n"));
        return BatchExit::cannotStart;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pavona"));
    return runInteractive(app, line.openFile);
}

#include "engine/startup.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/variables.h"
#include "database/cli/cli.h"
#include "database/session.h"
#include "engine/builtin_commands.h"
#include "engine/output.h"
#include "engine/runners.h"

#include <QDir>

namespace {

void defineVariables(std::initializer_list<std::pair<const char *, QString>> variables) {
    for (const auto &[name, value] : variables)
        var_add(QString::fromLatin1(name), value);
}

void setStartupSizes() {
    engine.fontSize = 10;
    engine.maxDisplay = 10;
    engine.maxRows = 1000;
    engine.sqlLineWidth = 87;
    engine.textLineWidth = 90;
}

} // namespace

void set_defaults() {
    engine.varCount = 0;
    defineVariables({{"version", QStringLiteral("9.7.0")},
                     {"date", QStringLiteral("2009-11-16")},
                     {"font", QStringLiteral("Tahoma")},
                     {"fontsize", QStringLiteral("10")},
                     {"database", QStringLiteral("SAMPLE")},
                     {"userid", QString()},
                     {"password", QString()},
                     {"semi", QStringLiteral(";")},
                     {"quote", QStringLiteral("\"")}});

    engine.connected = false;
    engine.errorFlag = false;
    engine.traceOn = false;
    engine.detached = false;
    engine.gridMode = false;
    engine.columnSize = 20;
    engine.tabMark = QString(QChar(0x00BB));
    engine.lineMark = QString(QChar(0x2022));
    engine.recallPos = 0;
    engine.userId.clear();
    engine.userPassword.clear();
    engine.databaseName = QStringLiteral("SAMPLE");
    engine.libraryFile = QStringLiteral("pavona.sql");
    engine.workFolder = QDir::currentPath();
    engine.helpFolder = QDir::currentPath();

    defineVariables({{"curdir", engine.workFolder}, {"me", engine.workFolder}});
    defineVariables({{"sqllib", QString()},
                     {"norqpath", QString()},
                     {"norqinstprof", QString()},
                     {"norqinstdef", QString()},
                     {"instance", QString()},
                     {"norqdiag", QString()}});
    engine.viewMode = 3;
}

void registerSessionHooks() {
    setSessionHooks({
        .serverNotice = serverOutputNotice,
        .connected = serverOutputSetup,
        .report = [](const QString &name, const QString &value) { var_add(name, value); },
        .lookup = [](const QString &name) -> std::optional<QString> {
            const int slot = var_find(name);
            if (slot <= 0) return std::nullopt;
            return engine.vars[slot].value;
        },
    });
}

void engine_startup() {
    var_free_all();
    set_messages();
    set_defaults();
    if (!engine.envHandle) engine.lastRc = cli::SQLAllocEnv(&engine.envHandle);
    setStartupSizes();
    registerSessionHooks();
    registerBuiltinCommands();
    registerRunnerCommands();
}

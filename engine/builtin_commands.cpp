#include "engine/builtin_commands.h"

#include "core/engine_state.h"
#include "core/variables.h"
#include "database/execution.h"
#include "database/lob.h"
#include "database/session.h"
#include "engine/dispatch_table.h"
#include "engine/output.h"
#include "engine/variable_commands.h"

namespace {

// While an output file is open, queries go to it instead of a result.
bool isSpooledQuery(const QString &sql) {
    const QString firstWord = sql.section(u' ', 0, 0).trimmed().toUpper();
    return firstWord == u"SELECT" || firstWord == u"DESCRIBE" || firstWord == u"WITH" ||
           firstWord == u"VALUES";
}

void runSql(const CommandContext &context) {
    if (engine.spoolOpen && isSpooledQuery(engine.args[1])) {
        output_query();
        return;
    }
    QString sql = engine.args[1];
    Norq_sql(sql, true, context.grid, true);
}

void registerAdminCommand(const QString &keyword) {
    registerCommand(keyword, [keyword](const CommandContext &context) {
        adminCommand(keyword + u' ' + engine.args[1], context.grid);
    });
}

template <void (*Command)()> void registerPlain(const char *keyword) {
    registerCommand(QString::fromLatin1(keyword), [](const CommandContext &) { Command(); });
}

} // namespace

void registerBuiltinCommands() {
    registerCommand(QStringLiteral("SQL"), runSql);
    registerCommand(QStringLiteral("CONNECT"),
                    [](const CommandContext &) { cmdConnect(engine, engine); });
    registerCommand(QStringLiteral("XLOAD"), [](const CommandContext &) {
        engine.lastRc = Norq_load(engine, engine.args[1]);
    });
    for (const char *keyword : {"REORG", "RUNSTATS", "DESCRIBE"})
        registerAdminCommand(QString::fromLatin1(keyword));
    registerPlain<cmd_prompt>("PROMPT");
    registerPlain<cmd_accept>("ACCEPT");
    registerPlain<cmd_erase>("ERASE");
    registerPlain<output_open>("SPOOL");
    registerCommand(QStringLiteral("PUT"),
                    [](const CommandContext &) { output_write(engine.args[1]); });
    registerPlain<cmd_viewfile>("VIEWFILE");
    registerCommand(QStringLiteral("START"), cmd_run);
    registerCommand(QStringLiteral("RUN"), cmd_run);
    registerCommand(QStringLiteral("DEFINE"),
                    [](const CommandContext &context) { cmd_var(context.grid); });
    registerPlain<cmd_undefine>("UNDEF");
    registerPlain<cmd_undefine>("UNDEFINE");
    registerPlain<cmd_execute>("EXECUTE");
    registerPlain<cmd_column>("COLUMN");
    registerPlain<cmd_option>("OPTION");
    registerPlain<cmd_test>("TEST");
}

#include "engine/variable_commands.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/quoting.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "database/execution.h"

namespace {

// VALUES ('NAME','value'),... over the slots in use, in slot order.
QString variableListing() {
    QString sql;
    for (int slot = 1; slot <= engine.varCount; ++slot) {
        const Variable &var = engine.vars[slot];
        if (!var.inUse) continue;
        sql += sql.isEmpty() ? QStringLiteral("VALUES (") : QStringLiteral(",(");
        sql += sqlLiteral(var.name) + u',' + sqlLiteral(var.value) + u')';
    }
    return sql;
}

} // namespace

void cmd_accept() {
    const QString name = engine.argCount >= 1 ? engine.args[1].toUpper() : QString();
    QString prompt = QStringLiteral("Enter value for ") + name;
    for (int k = 2; k < engine.argCount; ++k)
        if (engine.args[k].toUpper() == QStringLiteral("PROMPT")) prompt = engine.args[k + 1];
    const WindowInterface::VariableAnswer answer =
        engine.ui->askVariable(name, QStringLiteral("Enter Variable"), prompt);
    if (answer.refused) {
        setMessage(true, -1, 0, answer.reason, QStringLiteral("cmd_accept"));
        engine.stopRun = true;
        return;
    }
    var_add(name, answer.value);
    setMessage(false, 0, 26, QString(), QStringLiteral("cmd_accept"));
}

void cmd_var(ResultGrid *grid) {
    if (engine.argCount == 0) {
        QString sql = variableListing();
        Norq_sql(sql, true, grid, true);
        return;
    }
    if (var_add(engine.args[1], engine.argCount >= 2 ? engine.args[2] : QString()) == 0) {
        setMessage(true, -1, 0,
                   QStringLiteral("The variable table is full (%1 variables): %2 is not "
                                  "defined. UNDEFINE variables that are no longer needed.")
                       .arg(kVariableSlots)
                       .arg(engine.args[1].toUpper()),
                   QStringLiteral("cmd_var"));
        return;
    }
    setMessage(false, 0, 26, QString(), QStringLiteral("cmd_var"));
}

void cmd_undefine() {
    // UNDEF takes the rest of the statement as one argument, so "none" is an empty one.
    if (engine.argCount == 0 || engine.args[1].isEmpty()) {
        setMessage(false, -1, 20, QString(), QStringLiteral("cmd_undefine"));
        return;
    }
    if (const int slot = var_find(engine.args[1])) var_free(slot);
    setMessage(false, 0, 26, QString(), QStringLiteral("cmd_undefine"));
}

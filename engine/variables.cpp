#include "engine/variables.h"

#include "database/execution.h"
#include "engine/engine_state.h"
#include "engine/messages.h"
#include "engine/window_interface.h"

#include <utility>

namespace {

bool isNameChar(QChar ch) {
    const char16_t c = ch.unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_';
}

// The longest run of name characters starting at from (possibly empty).
QString nameAt(const QString &text, qsizetype from) {
    qsizetype end = from;
    while (end < text.size() && isNameChar(text[end]))
        ++end;
    return text.mid(from, end - from);
}

// Trimmed, and the text between a leading quote and the next same quote when there is one.
QString storedValue(const QString &value) {
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty()) return trimmed;
    const QChar quote = trimmed[0];
    if (quote != u'\'' && quote != u'"') return trimmed;
    const qsizetype close = trimmed.indexOf(quote, 1);
    return close < 0 ? trimmed : trimmed.mid(1, close - 1);
}

int freeOrNewSlot() {
    for (int slot = 1; slot <= engine.varCount; ++slot)
        if (!engine.vars[slot].inUse) return slot;
    if (engine.varCount >= kVariableSlots) return 0;
    return ++engine.varCount;
}

// Pass 1: every "&&name" forgets name and becomes "&name".
QString forgetRepromptedNames(const QString &text) {
    if (!text.contains(QStringLiteral("&&"))) return text;
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == u'&' && i + 1 < text.size() && text[i + 1] == u'&') {
            if (const int slot = var_find(nameAt(text, i + 2))) var_free(slot);
            result += u'&';
            i += 2;
        } else {
            result += text[i++];
        }
    }
    return result;
}

QString variableRefusal;

QString replacementFor(const QString &name, bool prompt) {
    if (const int slot = var_find(name)) return engine.vars[slot].value;
    if (!prompt) {
        var_add(name, u'&' + name);
        return u'&' + name;
    }
    const WindowInterface::VariableAnswer answer = engine.ui->askVariable(
        name.toUpper(), QStringLiteral("Enter value for ") + name, QString());
    if (answer.refused) {
        // Stays unset, so a later run can still get a value; the first refusal explains.
        if (variableRefusal.isEmpty()) variableRefusal = answer.reason;
        return u'&' + name;
    }
    var_add(name, answer.value);
    return answer.value;
}

QString quotedForSql(QString text) {
    return text.replace(u'\'', QStringLiteral("''"));
}

// VALUES ('NAME','value'),... over the slots in use, in slot order.
QString variableListing() {
    QString sql;
    for (int slot = 1; slot <= engine.varCount; ++slot) {
        const Variable &var = engine.vars[slot];
        if (!var.inUse) continue;
        sql += sql.isEmpty() ? QStringLiteral("VALUES ('") : QStringLiteral(",('");
        sql += quotedForSql(var.name) + QStringLiteral("','") + quotedForSql(var.value) +
               QStringLiteral("')");
    }
    return sql;
}

} // namespace

int var_find(const QString &name) {
    const QString key = name.toUpper();
    // Freed slots have an empty name too; they must not answer for the empty name.
    for (int slot = 1; slot <= engine.varCount; ++slot)
        if (engine.vars[slot].inUse && engine.vars[slot].name == key) return slot;
    return 0;
}

int var_add(const QString &name, const QString &value) {
    int slot = var_find(name);
    if (slot == 0) slot = freeOrNewSlot();
    if (slot == 0) return 0;
    Variable &var = engine.vars[slot];
    var.inUse = true;
    var.name = name.toUpper();
    var.value = storedValue(value);
    return slot;
}

QString takeVariableRefusal() {
    return std::exchange(variableRefusal, QString());
}

void var_free(int slot) {
    if (slot < 1 || slot > kVariableSlots) return;
    engine.vars[slot] = Variable{};
}

void var_free_all() {
    for (Variable &var : engine.vars)
        var = Variable{};
}

QString var_sub(const QString &text, bool prompt) {
    variableRefusal.clear(); // only this substitution's refusal counts
    const QString work = forgetRepromptedNames(text);
    qsizetype amp = work.indexOf(u'&');
    if (amp < 0) return work;
    QString result;
    qsizetype from = 0;
    while (amp >= 0) {
        result += QStringView(work).mid(from, amp - from);
        const QString name = nameAt(work, amp + 1);
        result += replacementFor(name, prompt);
        from = amp + 1 + name.size();
        amp = work.indexOf(u'&', from);
    }
    result += QStringView(work).mid(from);
    return result;
}

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

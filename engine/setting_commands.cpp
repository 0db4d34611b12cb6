// OPTION, COLUMN, TEST and EXECUTE: the built-in commands that change settings or
// variables.

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/variables.h"
#include "database/session.h"
#include "engine/builtin_commands.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

// The number a text starts with (0 when none), rounded half to even; nothing when it does
// not fit 32 bits.
std::optional<int> leadingWholeNumber(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    double value = 0;
    if (match.hasMatch()) {
        QString digits = match.captured(0).trimmed();
        digits.replace(u'd', u'e').replace(u'D', u'e');
        value = digits.toDouble();
    }
    value = std::nearbyint(value);
    if (!std::isfinite(value) || value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return int(value);
}

QString formatVariable(const QString &column) {
    return u'$' + column.toUpper();
}

void freeVariable(const QString &name) {
    if (const int slot = var_find(name)) var_free(slot);
}

void clearColumnFormats() {
    for (int slot = 1; slot <= engine.varCount; ++slot)
        if (engine.vars[slot].inUse && engine.vars[slot].name.startsWith(u'$')) var_free(slot);
}

// The stored format: "A" + width, or a picture whose length is the width.
QString columnFormat(const QString &picture) {
    QString format = picture.toUpper();
    format.replace(u'9', u'#');
    // A picture with "." or "," must not read as an "A" width; its length is what counts.
    if ((format.contains(u'.') || format.contains(u',')) && format.startsWith(u'A'))
        format = QString(format.size(), u'#');
    return format;
}

} // namespace

void setMaxDisplay(int value) {
    engine.maxDisplay = std::clamp(value, kMaxDisplayLeast, kMaxDisplayMost);
    if (engine.maxRows < engine.maxDisplay) engine.maxRows = engine.maxDisplay;
}

void setMaxRows(int value) {
    engine.maxRows = std::clamp(value, kMaxRowsLeast, kMaxRowsMost);
    if (engine.maxRows < engine.maxDisplay) engine.maxRows = engine.maxDisplay;
}

void cmd_test() {
    QString text = QStringLiteral("Test Command\r------------\rParameter Count=") +
                   QString::number(engine.argCount) + u'\r';
    for (int k = 1; k <= engine.argCount; ++k)
        text += QStringLiteral("Parm(%1)=").arg(k) + engine.args[k] + u'\r';
    engine.outputText = text;
    engine.resultKind = kResultText;
}

void cmd_option() {
    const QString option = engine.args[1].toUpper();
    const QString setting = engine.args[2].toUpper();
    if (option == u"SUBSTITUTION" && (setting == u"ON" || setting == u"OFF")) {
        engine.substitution = setting == u"ON";
        return;
    }
    const std::optional<int> value = leadingWholeNumber(engine.args[2]);
    if (value && option == u"MAXDISPLAY") {
        setMaxDisplay(*value);
    } else if (value && option == u"MAXROWS") {
        setMaxRows(*value);
    } else {
        setMessage(true, -1, 0,
                   QStringLiteral("OPTION %1 %2: not an option setting. Options: MAXDISPLAY n, "
                                  "MAXROWS n, SUBSTITUTION ON|OFF.")
                       .arg(engine.args[1], engine.args[2]),
                   QStringLiteral("cmd_option"));
    }
}

void cmd_column() {
    switch (engine.argCount) {
    case 0:
        return;
    case 1:
        if (engine.args[1].toUpper() == u"CLEAR")
            clearColumnFormats();
        else
            freeVariable(formatVariable(engine.args[1]));
        return;
    case 2:
        if (engine.args[2].toUpper() == u"CLEAR") freeVariable(formatVariable(engine.args[1]));
        return;
    default:
        var_add(formatVariable(engine.args[1]), columnFormat(engine.args[3]));
    }
}

void cmd_execute() {
    const QString sql = engine.args[1];
    var_add(QStringLiteral("RESULT"),
            sql.isEmpty() ? QString() : runSilentQuery(engine, engine, sql).trimmed());
}

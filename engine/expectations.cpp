#include "engine/expectations.h"

#include "core/engine_state.h"
#include "core/run_outcome.h"
#include "core/text_search.h"
#include "engine/dispatcher.h"

#include <QRegularExpression>

namespace {

// The SQLSTATE a failure message carries ("... SQLSTATE=42704"), or empty.
QString sqlState(const QString &message) {
    static const QRegularExpression state(QStringLiteral("SQLSTATE=(\\w{5})"));
    const QRegularExpressionMatch match = state.match(message);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool failsWith(const QString &code) {
    if (code.isEmpty()) return true;
    return sqlState(engine.msgText).compare(code, Qt::CaseInsensitive) == 0 ||
           QString::number(engine.msgCode) == code ||
           engine.msgText.startsWith(code, Qt::CaseInsensitive);
}

// The run's outcome gets a new message, under whatever output it left.
void restate(const QString &message) {
    const QString old = engine.msgText;
    engine.msgText = message;
    if (QString *shown = shownText(engine))
        *shown += u'\r' + message;
    else if (engine.resultKind == kResultRows)
        engine.resultText.replace(old, message);
}

} // namespace

ExpectedFailure expectedFailure(const QString &text) {
    static const QRegularExpression mark(
        QStringLiteral("(?:^|[ \\t;])--[ \\t]*expect:[ \\t]*error(?:[ \\t]+(\\S+))?[ \\t]*\\r?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    if (!containsText(text, u"--")) return {};
    QString lines = text;
    lines.replace(u'\r', u'\n');
    const QRegularExpressionMatch match = mark.match(lines);
    if (!match.hasMatch()) return {};
    return {true, match.captured(1)};
}

void settleExpectedFailure(const ExpectedFailure &expected) {
    if (!expected.marked) return;
    const QString what = expected.code.isEmpty() ? QStringLiteral("a failure")
                                                 : QStringLiteral("failure %1").arg(expected.code);
    if (engine.msgCode == 0) {
        engine.msgCode = -1;
        engine.errorFlag = true;
        engine.runFailures = std::max(engine.runFailures, 1);
        const QString said = engine.msgText.trimmed();
        setOutcomeMessage(QStringLiteral("Expected %1, but the statement succeeded.").arg(what) +
                          (said.isEmpty() ? QString() : u'\r' + said));
        return;
    }
    if (failsWith(expected.code)) {
        restate(QStringLiteral("Failed as expected: ") + engine.msgText);
        engine.msgCode = 0;
        engine.errorFlag = false;
        engine.runFailures = 0;
        return;
    }
    restate(QStringLiteral("Expected %1, got: %2").arg(what, engine.msgText));
}

// Random script text through the statement splitter and the command parser: every
// statement is parsed into a keyword and at most 100 arguments, every SQL statement is a
// piece of the text exactly as written, and no line's code is outside the known ones.
#include "core/engine_state.h"
#include "engine/statements.h"
#include "fuzz_input.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QString text = inputText(data, size);
    text.replace(u'\n', u'\r');
    bool blockMode = false;
    for (const QString &line : text.split(u'\r')) {
        QString comment;
        const int code = classifyLine(line, comment, blockMode);
        check(code >= kLineEmpty && code <= kLineDashComment);
        stripLine(line, true);
    }
    const QStringList statements = assembleStatements(text);
    for (const QString &statement : statements) {
        summarize(statement);
        if (parseCommand(statement) == u"SQL")
            check(text.contains(QString(statement).replace(u'\n', u'\r')));
        check(engine.argCount >= 0 && engine.argCount <= kMaxArgs);
        findUnquoted(statement, QStringLiteral(";"));
        findUnquoted(statement, QStringLiteral("/;"));
    }
    return 0;
}

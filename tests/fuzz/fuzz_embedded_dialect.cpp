// Random statements through the embedded engine's rewriting: the first word is read as
// the statement starts, text inside quotes is never changed, and the helpers' answers
// stay within the text they were given.
#include "core/quoting.h"
#include "database/cli/embedded_dialect.h"
#include "fuzz_input.h"

#include <QString>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = inputText(data, size);
    const cli::Translation t =
        cli::translateForEmbedded(text, {QStringLiteral("USER1"), QStringLiteral("SAMPLE")});
    check(t.firstWord == t.firstWord.toUpper());
    // A statement that is one quoted literal comes back as it was.
    if (text.size() > 1 && text.startsWith(u'\'') && text.endsWith(u'\'') && text.count(u'\'') == 2)
        check(t.sql == text);

    const QStringList parts = cli::splitTopLevel(text);
    check(parts.join(u',').size() <= text.size());
    for (qsizetype open = text.indexOf(u'('); open >= 0; open = text.indexOf(u'(', open + 1)) {
        const qsizetype close = cli::closingParenthesis(text, open);
        check(close == -1 || (close > open && text.at(close) == u')'));
    }
    const QString literal = sqlLiteral(text);
    check(literal.startsWith(u'\'') && literal.endsWith(u'\'') &&
          literal.size() == text.size() + text.count(u'\'') + 2);
    return 0;
}

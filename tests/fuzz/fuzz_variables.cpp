// Random text through &name substitution (never prompting) against a few defined
// variables: text without "&" comes back as it was, and a reference to an unknown name
// stays in the text.
#include "core/variables.h"
#include "fuzz_input.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = inputText(data, size);
    var_free_all();
    var_add(QStringLiteral("A"), QStringLiteral("1"));
    var_add(QStringLiteral("NAME"), QStringLiteral("&A&&A"));
    var_add(QStringLiteral("EMPTY"), QString());
    const QString result = var_sub(text, false);
    if (!text.contains(u'&')) check(result == text);
    if (text == QStringLiteral("&UNKNOWN_NAME")) check(result == text);
    // The text is split at its first NUL: the first part names a variable, the rest its value.
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul > 0 && var_add(text.left(nul), text.mid(nul + 1)) > 0)
        var_sub(u'&' + text.left(nul) + u'.', false);
    return 0;
}

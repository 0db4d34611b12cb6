// Random bytes as a script file: the reader keeps at most 10,000 lines, and the parser
// turns them into rows of the known kinds in both views.
#include "document/row_model.h"
#include "document/script_lines.h"
#include "document/script_parser.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

bool knownKind(RowKind kind) {
    return kind == RowKind::comment || kind == RowKind::sql;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("script.norq"));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    static ScriptLines lines; // 10,000 slots: allocated once
    check(lines.readFile(path));
    check(lines.lineCount >= 0 && lines.lineCount <= ScriptLines::maxLines);
    for (const bool split : {false, true}) {
        parseScript(lines, split, [](RowKind kind, const QString &) { check(knownKind(kind)); });
    }
    return 0;
}

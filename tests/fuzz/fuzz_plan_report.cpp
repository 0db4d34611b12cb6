// Random text as the explain tool's report file: what is shown starts with the cost line
// and PLANCOST is set whenever a plan is shown.
#include "core/engine_state.h"
#include "core/variables.h"
#include "engine/explain.h"
#include "fuzz_input.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir work;
    static const bool entered = QDir::setCurrent(work.path());
    check(entered);
    QFile report(QStringLiteral("NORQCMDS.OUT"));
    check(report.open(QIODevice::WriteOnly | QIODevice::Truncate));
    report.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    report.close();
    var_free_all();
    engine.resultKind = 0;
    engine.outputText.clear();
    readPlanReport();
    if (engine.resultKind == kResultText) {
        check(!engine.outputText.isEmpty());
        check(var_find(QStringLiteral("PLANCOST")) > 0);
    }
    return 0;
}

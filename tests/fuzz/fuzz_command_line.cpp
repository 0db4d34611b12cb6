// Random command lines (arguments split at NUL): every one is read as a start mode, a
// usage error says why in one line, and a window-less run always names its script.
#include "app/batch_options.h"
#include "fuzz_input.h"

#include <QString>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = inputText(data, size);
    // A definitions file is a file of the user's own, read whole; not this target's input.
    if (text.contains(QLatin1String("define-f"))) return 0;
    const CommandLine line = parseCommandLine(text.split(QChar(0)));
    if (line.mode == StartMode::usageError) {
        check(!line.error.isEmpty());
        check(!line.error.contains(u'\n'));
    }
    if (line.mode == StartMode::batch) check(!line.batch.script.isEmpty());
    return 0;
}

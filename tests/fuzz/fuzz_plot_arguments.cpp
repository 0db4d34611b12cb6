// Random text after PLOT, split by the command parser and read as the plot's keywords and
// values: at most two values, each a finite number or zero, and a title always there.
#include "core/engine_state.h"
#include "engine/statements.h"
#include "fuzz_input.h"
#include "windows/plot_data.h"

#include <QString>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = inputText(data, size);
    if (parseCommand(QStringLiteral("PLOT ") + text) != QLatin1String("PLOT")) return 0;
    const PlotData plot = readPlotArguments(engine);
    check(plot.count >= 0 && plot.count <= 2);
    for (const double value : plot.values)
        check(!std::isnan(value));
    check(leadingNumber(text) == leadingNumber(text)); // never NaN
    return 0;
}

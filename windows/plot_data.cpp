#include "windows/plot_data.h"

#include "core/engine_state.h"

#include <QRegularExpression>

double leadingNumber(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(0).trimmed().toDouble() : 0.0;
}

PlotData readPlotArguments(const CommandArgs &command) {
    PlotData plot;
    for (int position = 1; position <= command.argCount; position += 2) {
        const QString keyword = command.args[position].toUpper();
        const QString value =
            position + 1 <= command.argCount ? command.args[position + 1] : QString();
        if (keyword == QLatin1String("TITLE")) {
            plot.title = value;
        } else if (keyword == QLatin1String("X1")) {
            plot.values[0] = leadingNumber(value);
            plot.count = 1;
        } else if (keyword == QLatin1String("X2")) {
            plot.values[1] = leadingNumber(value);
            plot.count = 2;
        } else if (keyword == QLatin1String("L1")) {
            plot.labels[0] = value;
        } else if (keyword == QLatin1String("L2")) {
            plot.labels[1] = value;
        }
    }
    return plot;
}

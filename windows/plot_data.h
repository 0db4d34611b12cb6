#pragma once
// The values, labels and title a PLOT command asks for.

#include <QString>
#include <array>

struct PlotData {
    QString title = QStringLiteral("Data Plot");
    std::array<double, 2> values{};
    std::array<QString, 2> labels;
    int count = 0; // 0, 1 or 2 values, set by the later of X1 and X2
};

struct CommandArgs;

// Reads the keyword/value pairs of a command's arguments from argument 1.
PlotData readPlotArguments(const CommandArgs &command);
// The number at the start of text, 0 when it starts with none ("12abc" is 12).
double leadingNumber(const QString &text);

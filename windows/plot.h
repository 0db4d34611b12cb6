#pragma once
// PLOT: a small bar chart of one or two values, handed back as a picture on the clipboard.

class QObject;

// Registers PLOT with the dispatcher.
void registerPlotCommand();

// Draws the values of the PLOT arguments (TITLE, X1, X2, L1, L2) as bars, each with its
// own colour and label, puts the picture on the clipboard and sets resultKind 4. A chart
// view passed as chart shows the plot too. Without X1 or X2 nothing happens.
void cmd_plot(QObject *chart);

#include "windows/plot.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/window_interface.h"
#include "engine/dispatch_table.h"
#include "windows/plot_data.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>

namespace {

const QSize kPictureSize(480, 360);
const std::array<QColor, 2> kBarColours{QColor(31, 119, 180), QColor(255, 127, 14)};
constexpr int kValueLabelPointSize = 12;
constexpr int kTitlePointSize = 12;

// Category names must differ, or the axis merges the bars; an empty label becomes blanks.
QStringList categoryNames(const PlotData &plot) {
    QStringList names;
    for (int k = 0; k < plot.count; ++k) {
        QString name = plot.labels[k];
        if (name.isEmpty() || names.contains(name)) name += QString(k + 1, u' ');
        names << name;
    }
    return names;
}

QString valueText(double value) {
    return QLocale::c().toString(value, 'g', 15).trimmed();
}

// Value k stands alone in category k, so each value is its own bar, series and colour.
QStackedBarSeries *barsOf(const PlotData &plot) {
    auto *series = new QStackedBarSeries;
    for (int k = 0; k < plot.count; ++k) {
        auto *set =
            new QBarSet(plot.labels[k].isEmpty() ? valueText(plot.values[k]) : plot.labels[k]);
        for (int category = 0; category < plot.count; ++category)
            set->append(category == k ? plot.values[k] : 0.0);
        set->setColor(kBarColours[k]);
        set->setLabelColor(Qt::black);
        QFont labelFont = set->labelFont();
        labelFont.setPointSize(kValueLabelPointSize);
        set->setLabelFont(labelFont);
        series->append(set);
    }
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    return series;
}

QChart *buildChart(const PlotData &plot) {
    auto *chart = new QChart;
    chart->setTitle(plot.title);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSize(kTitlePointSize);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundBrush(Qt::white);
    QStackedBarSeries *series = barsOf(plot);
    chart->addSeries(series);

    auto *categories = new QBarCategoryAxis;
    categories->append(categoryNames(plot));
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);

    const auto [low, high] =
        std::minmax({0.0, plot.values[0], plot.count > 1 ? plot.values[1] : 0.0});
    auto *values = new QValueAxis;
    values->setRange(low, high > low ? high : low + 1.0);
    values->applyNiceNumbers();
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

QImage renderChart(QChart *chart) {
    QGraphicsScene scene;
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), kPictureSize));
    QImage image(kPictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, QRectF(QPointF(0, 0), kPictureSize),
                     QRectF(QPointF(0, 0), kPictureSize));
    }
    scene.removeItem(chart);
    return image;
}

// The calling window's chart view takes the new chart; its previous one is discarded.
void showInView(QObject *target, QChart *chart) {
    auto *view = qobject_cast<QChartView *>(target);
    if (!view) {
        delete chart;
        return;
    }
    QChart *previous = view->chart();
    view->setChart(chart);
    delete previous;
}

} // namespace

void cmd_plot(QObject *chart) {
    const PlotData plot = readPlotArguments(engine);
    if (plot.count == 0) return;
    // A window-less run starts its drawing layer only for a script that names PLOT.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        setMessage(true, -1, 0,
                   QStringLiteral("PLOT cannot draw in this run: the script does not name PLOT, "
                                  "so the run started without pictures."),
                   QStringLiteral("cmd_plot"));
        engine.errorFlag = true;
        return;
    }

    QChart *built = buildChart(plot);
    const QImage picture = renderChart(built);
    showInView(chart, built);

    engine.ui->clearClipboard();
    engine.ui->setClipboardImage(picture);
    engine.resultKind = kResultPicture;
}

void registerPlotCommand() {
    registerCommand(QStringLiteral("PLOT"),
                    [](const CommandContext &context) { cmd_plot(context.chart); });
}

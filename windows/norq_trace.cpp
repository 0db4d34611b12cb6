#include "windows/norq_trace.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int kStatusCol = 2;
constexpr int kLeftCentre = 1;
constexpr int kRightCentre = 7;

QPointer<NorqTrace> sharedWindow;

} // namespace

NorqTrace::NorqTrace(QWidget *parent)
    : QWidget(parent, Qt::Window), History(new Grid), expandCell(new QPlainTextEdit) {
    setWindowTitle(QStringLiteral("Trace"));
    resize(twipsToPixels(12200), twipsToPixels(6000));
    expandCell->setFont(platformFont(QStringLiteral("Lucida Console"), 9));
    expandCell->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(History);
    splitter->addWidget(expandCell);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    prepareHistory();
    connect(History, &Grid::gridMouseDown, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { History_Click(); });
}

NorqTrace *NorqTrace::shared() {
    if (!sharedWindow) sharedWindow = new NorqTrace;
    return sharedWindow;
}

NorqTrace *NorqTrace::existing() {
    return sharedWindow.data();
}

void NorqTrace::prepareHistory() {
    History->setFixedRows(0);
    History->setFixedCols(0);
    History->setRows(1);
    History->setCols(3);
    History->setColWidth(0, 500);
    History->setColWidth(1, 6120);
    History->setColWidth(2, 5200);
    History->setColAlignment(0, kRightCentre);
    History->setColAlignment(1, kLeftCentre);
    History->setColAlignment(2, kLeftCentre);
    History->setTextMatrix(0, 0, QStringLiteral("#"));
    History->setTextMatrix(0, 1, QStringLiteral("SQL"));
    History->setTextMatrix(0, 2, QStringLiteral("Message"));
}

void NorqTrace::historyClear() {
    History->setFixedRows(0);
    while (History->rows() > 1)
        History->removeItem(1);
}

void NorqTrace::historyAppend(int number, const QString &summary, const QString &status) {
    if (History->cols() < 3) prepareHistory();
    History->addItem(QString::number(number) + QLatin1Char('\t') + summary + QLatin1Char('\t') +
                     status);
    const int row = History->rows() - 1;
    History->setRow(row);
    History->setCol(0);
    History->setCellBackColor(QColor(0, 255, 255));
    History->setCol(kStatusCol);
    History->setCellBackColor(QColor(255, 255, 0));
    History->setTopRow(std::max(row - 5, 0));
    History->refresh();
}

// Statements are numbered from 1 in each run; the latest row with the number is the one
// still waiting for its outcome.
int NorqTrace::rowOfStatement(int number) const {
    const QString key = QString::number(number);
    for (int row = History->rows() - 1; row >= 1; --row)
        if (History->textMatrix(row, 0) == key) return row;
    return -1;
}

void NorqTrace::historySetStatus(int number, const QColor &colour, const QString &text) {
    const int row = rowOfStatement(number);
    if (row < 0) return;
    History->setRow(row);
    History->setCol(kStatusCol);
    History->setCellBackColor(colour);
    History->setTextMatrix(row, kStatusCol, text);
    History->setFixedRows(1);
    History->refresh();
}

void NorqTrace::History_Click() {
    const int row = History->mouseRow();
    const int col = History->mouseCol();
    if (row < 1 || col < 0) return;
    QString text = History->textMatrix(row, col);
    text.replace(engine.lineMark, QStringLiteral("\n"));
    expandCell->setPlainText(text);
}

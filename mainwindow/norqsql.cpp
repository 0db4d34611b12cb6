#include "mainwindow/norqsql.h"

#include "document/grid.h"
#include "document/sql_highlighter.h"
#include "engine/engine_state.h"
#include "engine/platform_units.h"

#include <QChartView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The script grid is a document: its current cell is not painted as a selection.
void hidePlainSelection(Grid *grid) {
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 0, 0));
    palette.setColor(QPalette::HighlightedText, palette.color(QPalette::Text));
    grid->setPalette(palette);
    grid->setShowGrid(false);
}

} // namespace

NorqSQL::NorqSQL(QWidget *parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Pavona"));
    buildControls();
    document_.attach(CLP, &InfoRTF, TestImage, &scriptLines);
}

NorqSQL::~NorqSQL() = default;

void NorqSQL::buildControls() {
    DragBar = new QSplitter(Qt::Horizontal, this);
    DragBar->setObjectName(QStringLiteral("DragBar"));
    TV = new QTreeWidget(DragBar);
    TV->setObjectName(QStringLiteral("TV"));
    TV->setHeaderHidden(true);
    // The grid sits in a host of its own so that hiding it while a view is rebuilt
    // leaves the splitter's sizes alone.
    auto *gridHost = new QWidget(DragBar);
    auto *hostLayout = new QVBoxLayout(gridHost);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    CLP = new Grid(gridHost);
    CLP->setObjectName(QStringLiteral("CLP"));
    CLP->setCols(ScriptRow::columnCount);
    CLP->setRows(1);
    hidePlainSelection(CLP);
    hostLayout->addWidget(CLP);
    DragBar->addWidget(TV);
    DragBar->addWidget(gridHost);
    DragBar->setStretchFactor(0, 0);
    DragBar->setStretchFactor(1, 1);
    DragBar->setChildrenCollapsible(false);
    DragBar->setSizes({260, 1000});
    setCentralWidget(DragBar);

    // Overlays live on the grid so that cell geometry maps straight onto them.
    DataValues = new Grid(CLP);
    DataValues->setObjectName(QStringLiteral("DataValues"));
    DataValues->hide();
    XMLView = new QTreeWidget(CLP);
    XMLView->setObjectName(QStringLiteral("XMLView"));
    XMLView->setHeaderHidden(true);
    XMLView->hide();
    EditBox = new QWidget(CLP);
    EditBox->setObjectName(QStringLiteral("EditBox"));
    EditBox->setAutoFillBackground(true);
    EditBox->hide();
    TextEdit = new QPlainTextEdit(EditBox);
    TextEdit->setObjectName(QStringLiteral("TextEdit"));
    FullEdit = new QPlainTextEdit(CLP);
    FullEdit->setObjectName(QStringLiteral("FullEdit"));
    FullEdit->setFont(platformFont(QStringLiteral("Lucida Console"), engine.fontSize));
    FullEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    FullEdit->hide();
    setSqlHighlighting(FullEdit, true);
    TB = new QToolBar(CLP);
    TB->setObjectName(QStringLiteral("TB"));
    TB->setOrientation(Qt::Vertical);
    TB->hide();
    Chart = new QChartView(this);
    Chart->setObjectName(QStringLiteral("Chart"));
    Chart->hide();
    TestImage = new QLabel(this);
    TestImage->setObjectName(QStringLiteral("TestImage"));
    TestImage->hide();
}

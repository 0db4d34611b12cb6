#include "mainwindow/norqsql.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "document/help_links.h"
#include "document/sql_highlighter.h"
#include "mainwindow/find_bar.h"

#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

NorqSQL::NorqSQL(QWidget *parent, EngineState &state)
    : QMainWindow(parent), settings_(state), outcome_(state), memory_(state), session_(state),
      pane_(this), CLP(pane_.grid()), DataValues(pane_.overlay()), InfoRTF(pane_.measure()),
      Chart(pane_.chart()), TestImage(pane_.testImage()), scriptLines(pane_.lines()),
      search_(*this, state, state), layout_(*this, pane_, state), changes_(*this, pane_, state) {
    setWindowTitle(QStringLiteral("Pavona"));
    // Anchors are kept upper-cased; the help file keeps the case it has on disk.
    pane_.setPageOpener([](const QString &target) { openHelpFile(target); });
    pane_.setRunHint(QStringLiteral("Run this statement (Ctrl+Enter)"));
    buildControls();
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
    hostLayout->addWidget(CLP);
    DragBar->addWidget(TV);
    DragBar->addWidget(gridHost);
    DragBar->setStretchFactor(0, 0);
    DragBar->setStretchFactor(1, 1);
    DragBar->setChildrenCollapsible(false);
    DragBar->setSizes({260, 1000});
    setCentralWidget(DragBar);

    // Overlays live on the grid so that cell geometry maps straight onto them.
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
    FullEdit->setFont(platformFont(QStringLiteral("Lucida Console"), settings_.fontSize));
    FullEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    FullEdit->hide();
    setSqlHighlighting(FullEdit, true);
    findBar_ = new FindBar(CLP, gridHost);
    TB = new QToolBar(CLP);
    TB->setObjectName(QStringLiteral("TB"));
    TB->setOrientation(Qt::Vertical);
    TB->hide();
}

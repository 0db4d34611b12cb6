#include "mainwindow/norqfind.h"

#include "core/engine_state.h"
#include "document/row_model.h"
#include "mainwindow/norqsql.h"
#include "mainwindow/script_search.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {
QPointer<NorqFind> sharedDialog;
const QString kCaption = QStringLiteral("Search Script");
} // namespace

NorqFind::NorqFind(QWidget *parent, ScriptSearch &search)
    : QWidget(parent, Qt::Tool), SearchString(new QLineEdit(this)),
      FindPattern(new QPushButton(QStringLiteral("Find"), this)), search_(search) {
    setWindowTitle(kCaption);
    SearchString->setObjectName(QStringLiteral("SearchString"));
    FindPattern->setObjectName(QStringLiteral("FindPattern"));
    FindPattern->setDefault(true);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(SearchString, 1);
    layout->addWidget(FindPattern);
    resize(320, sizeHint().height());
    connect(FindPattern, &QPushButton::clicked, this, [this] { FindPattern_Click(); });
    connect(SearchString, &QLineEdit::returnPressed, this, [this] { FindPattern_Click(); });
}

NorqFind *NorqFind::shared(QWidget *parent, ScriptSearch &search) {
    if (!sharedDialog) sharedDialog = new NorqFind(parent, search);
    return sharedDialog;
}

NorqFind *NorqFind::existing() {
    return sharedDialog.data();
}

void NorqFind::FindPattern_Click() {
    const int mode = engine.viewMode;
    if (mode == ViewMode::sql) return;
    // A text of blanks searches for nothing.
    if (SearchString->text().trimmed().isEmpty()) return;
    if (search_.highlightMatches(SearchString->text())) {
        setWindowTitle(kCaption);
        if (mode == ViewMode::text) SearchString->clear();
        hide();
        return;
    }
    setWindowTitle(QStringLiteral("String not found"));
    SearchString->setFocus();
    SearchString->selectAll();
}

void NorqFind::Form_KeyPress(int keyCode) {
    if (keyCode == 27) hide();
}

void NorqFind::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        Form_KeyPress(27);
        return;
    }
    QWidget::keyPressEvent(event);
}

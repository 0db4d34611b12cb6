#include "mainwindow/norqsearch.h"

#include "mainwindow/script_search.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {
QPointer<NorqSearch> sharedDialog;
const QString kCaption = QStringLiteral("Search Examples");
} // namespace

NorqSearch::NorqSearch(QWidget *parent, ScriptSearch &search)
    : QWidget(parent, Qt::Tool), SearchString(new QLineEdit(this)),
      FindSearch(new QPushButton(QStringLiteral("Find"), this)), search_(search) {
    setWindowTitle(kCaption);
    SearchString->setObjectName(QStringLiteral("SearchString"));
    FindSearch->setObjectName(QStringLiteral("FindSearch"));
    FindSearch->setDefault(true);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(SearchString, 1);
    layout->addWidget(FindSearch);
    resize(320, sizeHint().height());
    connect(FindSearch, &QPushButton::clicked, this, [this] { FindSearch_Click(); });
    connect(SearchString, &QLineEdit::returnPressed, this, [this] { FindSearch_Click(); });
}

NorqSearch *NorqSearch::shared(QWidget *parent, ScriptSearch &search) {
    if (!sharedDialog) sharedDialog = new NorqSearch(parent, search);
    return sharedDialog;
}

NorqSearch *NorqSearch::existing() {
    return sharedDialog.data();
}

void NorqSearch::FindSearch_Click() {
    const QString text = SearchString->text().trimmed().toUpper();
    if (text.isEmpty()) return;
    if (search_.searchLibrary(text)) {
        setWindowTitle(kCaption);
        hide();
        return;
    }
    SearchString->setFocus();
    SearchString->selectAll();
    setWindowTitle(QStringLiteral("String not found"));
    search_.collapseLibrary();
}

void NorqSearch::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

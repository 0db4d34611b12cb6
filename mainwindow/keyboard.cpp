#include "mainwindow/keyboard.h"

#include "core/engine_state.h"
#include "document/grid.h"
#include "mainwindow/norqsql.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>
#include <QShortcut>

namespace {

// The caption with an ampersand before its first free letter: a word's initial first,
// then any letter.
QString withMnemonic(const QString &caption, QSet<QChar> &used) {
    if (caption.contains(u'&')) {
        const qsizetype at = caption.indexOf(u'&');
        if (at + 1 < caption.size()) used.insert(caption[at + 1].toLower());
        return caption;
    }
    const auto take = [&](qsizetype at) {
        used.insert(caption[at].toLower());
        return caption.left(at) + u'&' + caption.mid(at);
    };
    for (qsizetype at = 0; at < caption.size(); ++at)
        if (caption[at].isLetterOrNumber() && (at == 0 || caption[at - 1].isSpace()) &&
            !used.contains(caption[at].toLower()))
            return take(at);
    for (qsizetype at = 0; at < caption.size(); ++at)
        if (caption[at].isLetterOrNumber() && !used.contains(caption[at].toLower()))
            return take(at);
    return caption;
}

void markActions(const QList<QAction *> &actions) {
    QSet<QChar> used;
    for (QAction *action : actions)
        if (!action->isSeparator() && action->text().contains(u'&'))
            withMnemonic(action->text(), used);
    for (QAction *action : actions) {
        if (action->isSeparator() || action->text().isEmpty()) continue;
        action->setText(withMnemonic(action->text(), used));
        if (QMenu *sub = action->menu()) markActions(sub->actions());
    }
}

QString viewHelpEntry(int viewMode) {
    switch (viewMode) {
    case ViewMode::edit:
        return QStringLiteral("helpEditMode");
    case ViewMode::text:
        return QStringLiteral("helpTextMode");
    case ViewMode::sql:
        return QStringLiteral("helpSQLMode");
    default:
        return QStringLiteral("helpScriptMode");
    }
}

void runFromKeyboard(NorqSQL *window, int viewMode) {
    if (!isDocumentView(viewMode)) {
        window->TB_ButtonClick(QStringLiteral("run"));
        return;
    }
    const int row = window->editRow >= 0 ? window->editRow : window->CLP->row();
    if (row < 0 || row >= window->CLP->rows() || rowKindAt(window->CLP, row) != RowKind::sql)
        return;
    window->currentRow = row;
    window->runStatementRow();
}

// F6: the panel views have two places to type or read in; the keyboard goes to the other.
void switchPanelFocus(NorqSQL *window, int viewMode) {
    QWidget *other = nullptr;
    if (viewMode == ViewMode::text)
        other = window->FullEdit;
    else if (viewMode == ViewMode::sql)
        other = window->DataValues;
    if (!other) return;
    if (window->TextEdit->hasFocus())
        other->setFocus(Qt::ShortcutFocusReason);
    else
        window->TextEdit->setFocus(Qt::ShortcutFocusReason);
}

// The handler is given the view the window is in when the keys are pressed.
void addShortcut(NorqSQL *window, const Settings &settings, const QKeySequence &keys,
                 void (*handler)(NorqSQL *, int viewMode)) {
    auto *shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [window, &settings, handler] { handler(window, settings.viewMode); });
}

} // namespace

void assignMnemonics(QWidget *root) {
    if (auto *bar = qobject_cast<QMenuBar *>(root)) {
        markActions(bar->actions());
        return;
    }
    if (auto *menu = qobject_cast<QMenu *>(root)) markActions(menu->actions());
}

void installKeyboardAccess(NorqSQL *window, const Settings &settings) {
    assignMnemonics(window->menuBar());
    for (QMenu *popup : {window->editmnu, window->mnuScript, window->viewMenu})
        if (popup) assignMnemonics(popup);
    if (QAction *runAll = window->menuEntry(QStringLiteral("runAll")))
        runAll->setShortcut(QKeySequence(Qt::Key_F5));
    if (QAction *search = window->menuEntry(QStringLiteral("searchScript")))
        search->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    if (QAction *save = window->menuEntry(QStringLiteral("saveFile")))
        save->setShortcut(QKeySequence::Save);
    if (QAction *saveAs = window->menuEntry(QStringLiteral("saveFileAs")))
        saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    addShortcut(window, settings, QKeySequence(Qt::CTRL | Qt::Key_Return), runFromKeyboard);
    addShortcut(window, settings, QKeySequence(Qt::CTRL | Qt::Key_Enter), runFromKeyboard);
    addShortcut(window, settings, QKeySequence(Qt::Key_F6), switchPanelFocus);
    addShortcut(window, settings, QKeySequence(Qt::Key_F1),
                [](NorqSQL *w, int viewMode) { w->help_Click(viewHelpEntry(viewMode)); });
}

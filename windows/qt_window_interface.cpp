#include "windows/qt_window_interface.h"

#include "core/engine_state.h"
#include "core/text_files.h"
#include "windows/norq_connect.h"
#include "windows/norq_trace.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QString boxTitle(const QString &title) {
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

bool haveWidgets() {
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

QClipboard *clipboard() {
    return haveWidgets() ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

QString QtWindowInterface::inputBox(const QString &title, const QString &prompt,
                                    const QString &defaultText) {
    if (!haveWidgets()) return {};
    bool accepted = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), boxTitle(title),
                                               prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

namespace {

bool question(const QString &title, const QString &text, QMessageBox::StandardButton proposed) {
    if (!haveWidgets()) return false;
    return QMessageBox::question(QApplication::activeWindow(), boxTitle(title), text,
                                 QMessageBox::Yes | QMessageBox::No, proposed) == QMessageBox::Yes;
}

} // namespace

bool QtWindowInterface::askYesNo(const QString &title, const QString &text) {
    return question(title, text, QMessageBox::No);
}

bool QtWindowInterface::offerYesNo(const QString &title, const QString &text) {
    return question(title, text, QMessageBox::Yes);
}

void QtWindowInterface::messageBox(const QString &title, const QString &text) {
    if (!haveWidgets()) return;
    QMessageBox::information(QApplication::activeWindow(), boxTitle(title), text, QMessageBox::Ok);
}

void QtWindowInterface::processEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

// Kept as an on/off state rather than a stack, so unbalanced calls never leave the
// hourglass behind.
void QtWindowInterface::setBusyPointer(bool busy) {
    if (!haveWidgets() || busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

void QtWindowInterface::clearClipboard() {
    if (QClipboard *board = clipboard()) board->clear();
}

// The program's line separator is a lone CR; other programs on Linux expect LF.
void QtWindowInterface::setClipboardText(const QString &text) {
    if (QClipboard *board = clipboard()) board->setText(withLineFeeds(text));
}

QString QtWindowInterface::clipboardText() {
    QClipboard *board = clipboard();
    return board ? board->text() : QString();
}

void QtWindowInterface::setClipboardImage(const QImage &image) {
    if (QClipboard *board = clipboard()) board->setImage(image);
}

QImage QtWindowInterface::clipboardImage() {
    QClipboard *board = clipboard();
    return board ? board->image() : QImage();
}

RunHistorySink *QtWindowInterface::historySink() {
    if (sink_) return sink_;
    return NorqTrace::shared();
}

void QtWindowInterface::historyClear() {
    historySink()->historyClear();
}

void QtWindowInterface::historyAppend(int number, const QString &summary, const QString &status) {
    historySink()->historyAppend(number, summary, status);
}

void QtWindowInterface::historySetStatus(int number, const QColor &colour, const QString &text) {
    historySink()->historySetStatus(number, colour, text);
}

void QtWindowInterface::connectStatus(const QString &text) {
    if (NorqConnect *dialog = NorqConnect::visibleInstance()) dialog->setStatus(text);
}

QtWindowInterface *installQtWindowInterface() {
    static QtWindowInterface windows;
    engine.ui = &windows;
    return &windows;
}

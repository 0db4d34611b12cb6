#include "windows/norq_sql_window.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/run_outcome.h"
#include "core/text_files.h"
#include "core/window_interface.h"
#include "database/session.h"
#include "document/grid.h"
#include "document/help_links.h"
#include "document/row_style.h"
#include "document/sql_highlighter.h"
#include "engine/busy_pointer.h"
#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "windows/toolbar_icons.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QToolBar>
#include <QTreeWidget>

namespace {

constexpr int kMinWidth = 5250;
constexpr int kMinHeight = 4410;
constexpr int kMargin = 100;         // left margin; the controls span the width less 200
constexpr int kHeightReserve = 1515; // toolbar, message line and gaps
constexpr int kGap = 30;
constexpr int kMessageHeight = 300;
constexpr int kMinPaneHeight = 1000;
constexpr int kSmallestFont = 8;
constexpr int kLargestFont = 14;
constexpr int kHistorySlots = 5;
constexpr int kTreeWidth = 5000;

int barHeightTwips() {
    return std::max(kGap, pixelsToTwips(4));
}

} // namespace

NorqSQLWindow::NorqSQLWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), TextEdit(new QPlainTextEdit(this)), TB(new QToolBar(this)),
      DragBar(new QWidget(this)), NorqMSG(new QLabel(this)), DataValues(new Grid(this)),
      SingleView(new Grid(this)), XMLView(new QTreeWidget(this)),
      ExtendedMsg(new QPlainTextEdit(this)), Chart(new QChartView(this)), Picture(new QLabel(this)),
      Running(new QLabel(QStringLiteral(" Running..."), this)),
      panes_(DataValues, SingleView, XMLView) {
    setAttribute(Qt::WA_DeleteOnClose);
    run_control::letWindowsStopStatements();
    setWindowTitle(QStringLiteral("SQL Window"));
    setMinimumSize(twipsToPixels(kMinWidth), twipsToPixels(kMinHeight));
    resize(twipsToPixels(11000), twipsToPixels(8000));

    const QFont code = platformFont(QStringLiteral("Lucida Console"), fontSize_);
    TextEdit->setFont(code);
    TextEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    setSqlHighlighting(TextEdit, true);
    DataValues->setFontSize(fontSize_);
    SingleView->setFontSize(fontSize_);
    DataValues->setRunningIndicator(Running);
    ExtendedMsg->setFont(platformFont(QStringLiteral("Lucida Console"), 9));
    ExtendedMsg->setReadOnly(true);
    ExtendedMsg->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    XMLView->setHeaderHidden(true);
    XMLView->resize(twipsToPixels(kTreeWidth), XMLView->height());
    Picture->setAlignment(Qt::AlignCenter);
    Picture->setAutoFillBackground(true);
    Picture->setBackgroundRole(QPalette::Base);
    Running->setAutoFillBackground(true);
    DragBar->setCursor(Qt::SplitVCursor);
    DragBar->setAutoFillBackground(true);
    DragBar->setBackgroundRole(QPalette::Mid);
    NorqMSG->setCursor(Qt::PointingHandCursor);
    NorqMSG->setToolTip(tr("Click for an explanation of the message"));
    failureMark_ = new QLabel(RowStyle::failureMarker, NorqMSG);
    failureMark_->setObjectName(QStringLiteral("FailureMark"));
    failureMark_->setAlignment(Qt::AlignCenter);
    QPalette markPalette = failureMark_->palette();
    markPalette.setColor(QPalette::WindowText, RowStyle::failureMarkerColour);
    failureMark_->setPalette(markPalette);
    failureMark_->hide();

    for (QWidget *pane : {static_cast<QWidget *>(SingleView), static_cast<QWidget *>(XMLView),
                          static_cast<QWidget *>(ExtendedMsg), static_cast<QWidget *>(Chart),
                          static_cast<QWidget *>(Picture), static_cast<QWidget *>(Running)})
        pane->hide();

    buildToolbar();
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { runQuery(); });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [this] { TB_ButtonClick(QStringLiteral("info")); });
    for (QObject *watched : {static_cast<QObject *>(TextEdit), static_cast<QObject *>(DataValues),
                             static_cast<QObject *>(SingleView), static_cast<QObject *>(XMLView),
                             static_cast<QObject *>(ExtendedMsg), static_cast<QObject *>(Chart),
                             static_cast<QObject *>(DragBar), static_cast<QObject *>(NorqMSG)})
        watched->installEventFilter(this);
    connect(
        DataValues, &Grid::gridMouseDown, this,
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int x, int) { DataValues_MouseDown(x); });
}

void NorqSQLWindow::buildToolbar() {
    TB->setMovable(false);
    TB->setIconSize(QSize(20, 20));
    addButton(QStringLiteral("run"), QStringLiteral("Run query"));
    addButton(QStringLiteral("trash"), QStringLiteral("Clear SQL"));
    addButton(QStringLiteral("recycle"), QStringLiteral("Show previous command"));
    addButton(QStringLiteral("stop"), QStringLiteral("Stop the run"));
    addButton(QStringLiteral("paste"), QStringLiteral("Paste"));
    addButton(QStringLiteral("fontsize"), QString());
    addButton(QStringLiteral("newsql"), QStringLiteral("Open new SQL window"));
    addButton(QStringLiteral("info"), QStringLiteral("Help"));
}

QAction *NorqSQLWindow::addButton(const QString &key, const QString &tip) {
    QAction *action = TB->addAction(toolbarIcon(key), tip);
    action->setObjectName(key);
    action->setToolTip(tip);
    connect(action, &QAction::triggered, this, [this, key] { TB_ButtonClick(key); });
    return action;
}

void NorqSQLWindow::TB_ButtonClick(const QString &key) {
    if (key == QLatin1String("run"))
        runQuery();
    else if (key == QLatin1String("stop"))
        run_control::stopRunByUser();
    else if (key == QLatin1String("trash"))
        TextEdit->setPlainText(QString());
    else if (key == QLatin1String("recycle"))
        recallHistory();
    else if (key == QLatin1String("paste"))
        TextEdit->setPlainText(engine.ui->clipboardText());
    else if (key == QLatin1String("fontsize"))
        nextFontSize();
    else if (key == QLatin1String("newsql"))
        openNewWindow();
    else if (key == QLatin1String("info"))
        openHelpFile(QStringLiteral("norq-help-sqlwindow.norq"));
}

void NorqSQLWindow::hideResultPanes() {
    SingleView->hide();
    XMLView->hide();
    Chart->hide();
    Picture->hide();
    ExtendedMsg->hide();
}

void NorqSQLWindow::runQuery() {
    hideResultPanes();
    DataValues->clear();
    DataValues->setGridVisible(true);
    engine.msgText.clear();

    const QString edited = TextEdit->toPlainText();
    const QString text = withCarriageReturns(edited).trimmed();
    if (text.isEmpty()) return;

    historyPos_ = historyPos_ >= kHistorySlots ? 1 : historyPos_ + 1;
    history_[historyPos_] = edited;

    engine.gridMode = true;
    DataValues->setRows(0);
    DataValues->setCols(0);
    // The chart draws at its own size; give it the rectangle it will be shown in.
    Chart->setGeometry(DataValues->geometry());
    QPointer<NorqSQLWindow> self(this);
    RunOutcome outcome;
    {
        const BusyPointer busy;
        outcome = runScript(text, DataValues, Chart);
    }
    if (!self) return; // closed while the run let events through
    showResult(outcome);
    setWindowTitle(captionWithTransaction(QStringLiteral("SQL Window")));
    const QString message = engine.msgText.trimmed();
    if (!message.isEmpty()) NorqMSG->setText(message);
    showMessageOutcome(engine.msgCode != 0 && !message.isEmpty());
}

// A failure must not pass for a success at a glance: the script's failure marker and
// background, the text left as it is for a click to explain.
void NorqSQLWindow::showMessageOutcome(bool failed) {
    QPalette palette = NorqMSG->parentWidget()->palette();
    if (failed) palette.setColor(QPalette::Window, RowStyle::failureBackground);
    NorqMSG->setPalette(palette);
    NorqMSG->setAutoFillBackground(failed);
    const int mark = NorqMSG->fontMetrics().height() + 4;
    NorqMSG->setIndent(failed ? mark : -1);
    failureMark_->setGeometry(0, 0, mark, NorqMSG->height());
    failureMark_->setVisible(failed);
}

void NorqSQLWindow::showResult(const RunOutcome &outcome) {
    if (const QString *text = shownText(outcome))
        showTextResult(*text);
    else if (outcome.resultKind == kResultRows)
        DataValues->setGridVisible(true);
    else if (outcome.resultKind == kResultPicture)
        showPicture();
}

void NorqSQLWindow::showTextResult(const QString &text) {
    ExtendedMsg->setPlainText(withLineFeeds(text));
    coverGrid(ExtendedMsg);
    DataValues->setGridVisible(false);
    ExtendedMsg->setFocus();
}

// A plot is copied to the clipboard as a picture, like a picture file viewed; both are
// shown from there so a viewed picture never shows an older plot.
void NorqSQLWindow::showPicture() {
    const QImage image = engine.ui->clipboardImage();
    QWidget *pane = Chart;
    if (!image.isNull()) {
        Picture->setGeometry(DataValues->geometry());
        QPixmap pixmap = QPixmap::fromImage(image);
        if (pixmap.width() > Picture->width() || pixmap.height() > Picture->height())
            pixmap = pixmap.scaled(Picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        Picture->setPixmap(pixmap);
        pane = Picture;
    }
    DataValues->setGridVisible(false);
    coverGrid(pane);
}

void NorqSQLWindow::coverGrid(QWidget *pane) {
    pane->setGeometry(DataValues->geometry());
    pane->show();
    pane->raise();
}

void NorqSQLWindow::showExtendedMessage(const QString &message) {
    DataValues->setGridVisible(false);
    XMLView->hide();
    ExtendedMsg->hide();
    SingleView->hide();
    ExtendedMsg->setPlainText(withLineFeeds(message));
    coverGrid(ExtendedMsg);
    ExtendedMsg->setFocus();
}

void NorqSQLWindow::recallHistory() {
    historyPos_ = historyPos_ < 2 ? kHistorySlots : historyPos_ - 1;
    TextEdit->setPlainText(history_[historyPos_]);
}

void NorqSQLWindow::nextFontSize() {
    fontSize_ = fontSize_ >= kLargestFont ? kSmallestFont : fontSize_ + 1;
    TextEdit->setFont(platformFont(QStringLiteral("Lucida Console"), fontSize_));
    DataValues->setFontSize(fontSize_);
    SingleView->setFontSize(fontSize_);
}

void NorqSQLWindow::openNewWindow() {
    auto *window = new NorqSQLWindow;
    lastOpened_ = window;
    window->show();
    window->activateWindow();
    window->TextEdit->setFocus();
}

void NorqSQLWindow::NorqMSG_Click() {
    const QString caption = NorqMSG->text().trimmed();
    if (caption.isEmpty()) return;
    if (caption.startsWith(QLatin1String("SQL"))) {
        if (caption.indexOf(QLatin1Char(' ')) != 8) return;
        const QString explanation = sqlErrorMessage(caption.left(8));
        if (explanation.isEmpty()) return;
        showExtendedMessage(crLfAsCr(withoutLeadingLineBreaks(explanation)));
        return;
    }
    if (caption.contains(QLatin1String("Command completed."))) return;
    showExtendedMessage(withoutLeadingLineBreaks(caption));
}

void NorqSQLWindow::DataValues_MouseDown(int x) {
    panes_.gridMouseDown(x, pixelsToTwips(width()));
}

void NorqSQLWindow::escapeKey() {
    if (run_control::stopRunByUser()) return;
    SingleView->hide();
    XMLView->hide();
    ExtendedMsg->hide();
    Chart->hide();
    Picture->hide();
    DataValues->setGridVisible(true);
    TextEdit->setFocus();
}

void NorqSQLWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        escapeKey();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The window sees keys before its controls, the message label acts as a button, and the
// drag bar moves the border between editor and results.
bool NorqSQLWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        escapeKey();
        return true;
    }
    if (watched == NorqMSG && event->type() == QEvent::MouseButtonPress) {
        NorqMSG_Click();
        return true;
    }
    if (watched == DragBar) {
        if (event->type() == QEvent::MouseButtonPress) {
            grabY_ = static_cast<QMouseEvent *>(event)->position().toPoint().y();
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            auto *move = static_cast<QMouseEvent *>(event);
            if (move->buttons() & Qt::LeftButton)
                dragSplitter(pixelsToTwips(move->position().toPoint().y() - grabY_));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NorqSQLWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (isMinimized()) return;
    const int available = pixelsToTwips(height()) - kHeightReserve;
    layoutControls(std::max(available / 3, 0));
}

// Places every control for an editor of the given height; the message line keeps its
// place at the bottom and the grid takes what is left between.
void NorqSQLWindow::layoutControls(int editorHeight) {
    const int width = pixelsToTwips(this->width()) - 2 * kMargin;
    const int toolbarHeight = pixelsToTwips(TB->sizeHint().height());
    TB->setGeometry(0, 0, this->width(), TB->sizeHint().height());
    const int editorTop = toolbarHeight + kGap;
    const int available = pixelsToTwips(height()) - kHeightReserve;
    const int bar = barHeightTwips();
    const int messageTop = editorTop + available + bar + kGap;
    const int gridTop = editorTop + editorHeight + bar;
    const int gridHeight = messageTop - kGap - gridTop;

    TextEdit->setGeometry(twipsRect(kMargin, editorTop, width, editorHeight));
    DragBar->setGeometry(twipsRect(kMargin, editorTop + editorHeight, width, bar));
    DataValues->setGridGeometry(kMargin, gridTop, width, std::max(gridHeight, 0));
    NorqMSG->setGeometry(twipsRect(kMargin, messageTop, width, kMessageHeight));
    for (QWidget *pane : {static_cast<QWidget *>(SingleView), static_cast<QWidget *>(ExtendedMsg),
                          static_cast<QWidget *>(Chart), static_cast<QWidget *>(Picture)})
        if (pane->isVisible()) coverGrid(pane);
}

bool NorqSQLWindow::dragSplitter(int dy) {
    if (dy == 0) return false;
    const int editorTop = pixelsToTwips(TextEdit->y());
    const int editorHeight = pixelsToTwips(TextEdit->height()) + dy;
    const int gridTop = editorTop + editorHeight + barHeightTwips();
    const int gridHeight = pixelsToTwips(NorqMSG->y()) - kGap - gridTop;
    if (editorHeight < kMinPaneHeight || gridHeight < kMinPaneHeight) return false;
    layoutControls(editorHeight);
    return true;
}

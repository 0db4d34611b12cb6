// The window's life: load, resize, minimise and close, the splitter bar, the mouse wheel,
// the Escape key, the library tree press and the toolbar of the interactive panel.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/run_outcome.h"
#include "core/text_files.h"
#include "core/window_interface.h"
#include "database/cli/cli.h"
#include "database/session.h"
#include "document/editor_text.h"
#include "document/grid.h"
#include "document/scroll_grid.h"
#include "engine/busy_pointer.h"
#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "mainwindow/find_bar.h"
#include "mainwindow/keyboard.h"
#include "mainwindow/norqfind.h"
#include "mainwindow/norqsearch.h"
#include "mainwindow/norqsql.h"
#include "mainwindow/run_guard.h"
#include "mainwindow/search_colours.h"
#include "windows/norq_connect.h"
#include "windows/norq_trace.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

namespace {

// Twips: the interactive panel and the tree fit whole, and the window on a 1024 x 600
// screen with room for its frame.
constexpr int kMinimumWidth = 11400;
constexpr int kMinimumHeight = 6600;
constexpr int kBarMargin = 180; // the bar stays this far inside the right edge
constexpr int kRecallSlots = 5;

void closeSatelliteWindows() {
    if (NorqFind *find = NorqFind::existing()) find->close();
    if (NorqConnect *connect = NorqConnect::visibleInstance()) connect->close();
    if (NorqSearch *search = NorqSearch::existing()) search->close();
    if (NorqTrace *trace = NorqTrace::existing()) trace->close();
}

bool isGridSurface(QObject *object, Grid *grid) {
    return object == grid || object == grid->viewport() || object == grid->verticalScrollBar() ||
           object == grid->horizontalScrollBar();
}

} // namespace

// ---- load ---------------------------------------------------------------------------

void NorqSQL::Form_Load() {
    if (commandsLoaded_) return;
    commandsLoaded_ = true;
    run_control::letWindowsStopStatements();
    buildMenus();
    buildToolbar();
    connectEvents();
    installKeyboardAccess(this, engine);
    qApp->installEventFilter(this); // the wheel hook
    splitterGap = 30;
    dragging = false;
    setMinimumSize(twipsToPixels(kMinimumWidth), twipsToPixels(kMinimumHeight));
    DragBar->raise();
    refreshCaption();
}

void NorqSQL::connectEvents() {
    // A press may change a row (a heading's level, a statement run from its editor).
    connect(CLP, &Grid::gridMouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                CLP_MouseDown(button, shift, x, y);
                refreshCaption();
            });
    connect(CLP, &Grid::gridDoubleClick, this, [this] { CLP_DblClick(); });
    connect(CLP->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { CLP_Scroll(); });
    connect(DataValues, &Grid::gridMouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                DataValues_MouseDown(button, shift, x, y);
            });
    connect(DataValues->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { DataValues_Scroll(); });
    connect(DataValues->horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { DataValues_Scroll(); });

    // Presses on the tree and the splitter bar, the editor's focus and the wheel reach
    // eventFilter through the application-wide filter that Form_Load installs.

    connect(FullEdit->document(), &QTextDocument::contentsChanged, this, [this] {
        if (settings_.viewMode == ViewMode::text) refreshCaption();
    });
    connect(TextEdit->document(), &QTextDocument::modificationChanged, this, [this] {
        if (isDocumentView(settings_.viewMode)) refreshCaption();
    });

    FullEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FullEdit, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        FullEdit_MouseDown(Qt::RightButton, pixelsToTwips(pos.x()), pixelsToTwips(pos.y()));
    });

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    // Escape belongs to the window with the focus: the tool windows take their own.
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { Form_KeyPress(27); });
}

// ---- resize, minimise, close --------------------------------------------------------

void NorqSQL::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    if (commandsLoaded_) Form_Resize();
}

void NorqSQL::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) closeSatelliteWindows();
    // Back from the connect dialog the caption names the database now connected.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && commandsLoaded_)
        refreshCaption();
}

void NorqSQL::Form_Resize() {
    if (isMinimized()) {
        closeSatelliteWindows();
        return;
    }
    // The minimum size and the split between tree and grid are kept by the window's
    // layout; the views re-fit to the grid's new size.
    resizeView();
    measureWrapWidths();
    if (isDocumentView(settings_.viewMode)) cellWidthRefresh();
}

// Closing or exiting in the middle of a run (its wait lets window events in) must not pull
// the session from under the statement being fetched: the run is told to stop, and the
// command comes back once it has unwound.
namespace {
bool deferWhileRunning(NorqSQL *window, const std::function<void()> &retry) {
    if (runDepth() == 0) return false;
    window->setProperty(kClosingProperty, true);
    run_control::requestStop(QStringLiteral("Stopped: the window was closed."));
    engine.stopRun = true;
    engine.busy = false;
    QTimer::singleShot(100, window, retry);
    return true;
}
} // namespace

void NorqSQL::closeEvent(QCloseEvent *event) {
    if (!closeAgreed_ && !mayDiscardScript()) {
        event->ignore();
        return;
    }
    // A close deferred for a run comes back here: the user answered already.
    closeAgreed_ = true;
    if (deferWhileRunning(this, [this] { close(); })) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void NorqSQL::Form_Unload() {
    closeSatelliteWindows();
    Norq_disconnect(engine);
    if (session_.envHandle) {
        cli::SQLFreeEnv(session_.envHandle);
        session_.envHandle = nullptr;
    }
    // A child still being waited for is given up: the wait loop ends.
    outcome_.busy = false;
    qApp->removeEventFilter(this);
    QCoreApplication::exit(0);
}

void NorqSQL::mnuExit_Click() {
    if (!closeAgreed_ && !mayDiscardScript()) return;
    closeAgreed_ = true;
    if (deferWhileRunning(this, [this] { mnuExit_Click(); })) return;
    Norq_close(engine);
    QCoreApplication::exit(0);
}

// ---- keys and focus -----------------------------------------------------------------

void NorqSQL::Form_KeyPress(int keyCode) {
    if (keyCode != 27) return;
    if (run_control::stopRunByUser()) return;
    if (XMLView->isVisible()) {
        XMLView->hide();
        return;
    }
    if (findBar_->isVisible()) {
        findBar_->dismiss();
        return;
    }
    if (!isDocumentView(settings_.viewMode)) return;
    SaveCellEdit(editRow);
    editRow = -1;
    EditBox->hide();
}

void NorqSQL::EditBox_LostFocus() {
    if (EditBox->isHidden()) editRow = -1;
}

// ---- splitter bar -------------------------------------------------------------------

void NorqSQL::DragBar_MouseDown(Qt::MouseButton, int x) {
    dragStartX = x;
    if (dragging) return;
    SaveCellEdit(editRow);
    ResetCellEdit();
    dragging = true;
}

void NorqSQL::DragBar_MouseMove(Qt::MouseButtons buttons, int x) {
    if (!(buttons & Qt::LeftButton) || x == dragStartX || DragBar->count() < 2) return;
    const int barLeft = pixelsToTwips(DragBar->handle(1)->x());
    const int windowWidth = pixelsToTwips(DragBar->width());
    int newLeft = std::max(0, barLeft - (dragStartX - x));
    if (windowWidth < newLeft + kBarMargin) newLeft = windowWidth - kBarMargin;
    const int treeWidth = std::max(0, newLeft - splitterGap);
    const int handle = DragBar->handleWidth();
    const int treePixels = twipsToPixels(treeWidth);
    DragBar->setSizes({treePixels, std::max(0, DragBar->width() - treePixels - handle)});
    resizeView();
    if (isDocumentView(settings_.viewMode) && CLP->gridWidth() > 4000) cellWidthRefresh();
    DragBar->raise();
}

void NorqSQL::DragBar_MouseUp() {
    dragging = false;
}

// ---- the wheel hook and mouse presses on child controls ----------------------------

bool NorqSQL::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::Wheel: {
        if (!isGridSurface(watched, CLP) && !isGridSurface(watched, DataValues)) break;
        auto *wheel = static_cast<QWheelEvent *>(event);
        // A horizontal wheel or tilt is not a turn down: the view scrolls sideways itself.
        if (wheel->angleDelta().y() == 0) break;
        const QPoint global = wheel->globalPosition().toPoint();
        const int notches = wheelNotches(wheelRemainder_, wheel->angleDelta().y());
        for (int notch = 0; notch < std::abs(notches); ++notch)
            MouseWheel(static_cast<int>(wheel->buttons()), notches > 0 ? 120 : -120, global.x(),
                       global.y());
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint pos = mouse->position().toPoint();
        if (watched == TV->viewport() && event->type() == QEvent::MouseButtonPress) {
            TV_MouseDown(mouse->button(), mouse->modifiers(), pixelsToTwips(pos.x()),
                         pixelsToTwips(pos.y()));
            break;
        }
        if (DragBar->count() > 1 && watched == DragBar->handle(1)) {
            const int x = pixelsToTwips(pos.x());
            if (event->type() == QEvent::MouseButtonPress)
                DragBar_MouseDown(mouse->button(), x);
            else if (event->type() == QEvent::MouseMove)
                DragBar_MouseMove(mouse->buttons(), x);
            else
                DragBar_MouseUp();
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
        if (watched == TextEdit) EditBox_LostFocus();
        break;
    case QEvent::KeyPress:
        // Keys a read-only message does not take end at its box, not in the grid's
        // type-ahead beneath it.
        if (watched == EditBox) return true;
        break;
    case QEvent::Hide:
        // A message shown for reading leaves the box read-only; the next use of the box
        // (a cell edit or the interactive panel's entry box) types again.
        if (watched == EditBox) TextEdit->setReadOnly(false);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// One notch scrolls one row of the grid under the pointer; the overlay, when shown there,
// takes the wheel rather than the script beneath it.
void NorqSQL::MouseWheel(int, int rotation, int x, int y) {
    const auto contains = [x, y](Grid *grid) {
        if (!grid->isVisible()) return false;
        const QPoint origin = grid->mapToGlobal(QPoint(0, 0));
        return x >= origin.x() && x <= origin.x() + grid->width() && y >= origin.y() &&
               y <= origin.y() + grid->height();
    };
    if (contains(DataValues)) {
        scrollGrid(DataValues, rotation);
        DataValues_Scroll();
        return;
    }
    if (contains(CLP)) {
        scrollGrid(CLP, rotation);
        CLP_Scroll();
    }
}

// ---- library tree -------------------------------------------------------------------

void NorqSQL::TV_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    openTreeNode(TV->itemAt(twipsToPixels(x), twipsToPixels(y)));
}

void NorqSQL::openTreeNode(QTreeWidgetItem *node) {
    if (!node) return;
    const QString path = node->data(0, Qt::UserRole).toString();
    if (path.trimmed().isEmpty() || !openScriptFile(path)) return;
    if (settings_.viewMode != ViewMode::sql && node->background(0).color() == searchHitColour() &&
        !memory_.lastSearch.isEmpty())
        highlightMatches(memory_.lastSearch);
}

// ---- Text View editor ---------------------------------------------------------------

void NorqSQL::FullEdit_MouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton) return;
    editmnu->popup(FullEdit->mapToGlobal(QPoint(twipsToPixels(x), twipsToPixels(y))));
}

// ---- toolbar of the interactive panel -----------------------------------------------

void NorqSQL::TB_ButtonClick(const QString &key) {
    if (key == QLatin1String("stop")) {
        run_control::stopRunByUser();
        return;
    }
    if (key == QLatin1String("run")) {
        const QString typed = withCarriageReturns(TextEdit->toPlainText());
        const QString statement = typed.trimmed();
        if (statement.isEmpty()) return;
        memory_.recallPos = memory_.recallPos >= kRecallSlots ? 1 : memory_.recallPos + 1;
        recallList[memory_.recallPos] = typed;
        settings_.gridMode = true;
        RunOutcome outcome;
        {
            const BusyPointer busy;
            outcome = runScript(statement, DataValues, Chart);
        }
        const QString *text = shownText(outcome);
        const QString output = text ? *text : engine.msgText;
        const bool write = text || outcome.resultKind == kResultRows ||
                           (outcome.resultKind == kResultMessage && !output.trimmed().isEmpty());
        if (write && CLP->rows() > 3) {
            RowKind kind = RowKind::message;
            addRow(kind, output, QString(), 3);
        }
    } else if (key == QLatin1String("trash")) {
        TextEdit->clear();
    } else if (key == QLatin1String("recycle")) {
        memory_.recallPos = memory_.recallPos < 2 ? kRecallSlots : memory_.recallPos - 1;
        TextEdit->setPlainText(textForEditor(recallList[memory_.recallPos]));
    } else if (key == QLatin1String("paste")) {
        TextEdit->setPlainText(engine.ui->clipboardText());
    }
}

#include "document/norqhelp.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "document/script_text.h"
#include "engine/busy_pointer.h"
#include "engine/text_layout.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

using namespace ScriptRow;

namespace {

constexpr int kMinHeight = 3000;
constexpr int kMinWidth = 6000;

} // namespace

NorqHelp::NorqHelp(QWidget *parent)
    : QWidget(parent, Qt::Window), pane_(this), CLP(pane_.grid()), DataValues(pane_.overlay()),
      Chart(pane_.chart()), TestImage(pane_.testImage()), InfoRTF(pane_.measure()),
      lines(pane_.lines()) {
    setObjectName(QStringLiteral("NorqHelp"));
    // Closing the main window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Pavona Help"));
    setMinimumSize(twipsToPixels(kMinWidth), twipsToPixels(kMinHeight));
    resize(twipsToPixels(12000), twipsToPixels(10000));

    auto *layout = new QVBoxLayout(this);
    // The grid is 220 twips narrower and 600 twips less high than the window.
    const int side = twipsToPixels(110), vertical = twipsToPixels(300);
    layout->setContentsMargins(side, vertical, side, vertical);
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("HelpHistory"));
    back_ = bar->addAction(QStringLiteral("\u25C0 Back"), this, [this] { goBack(); });
    back_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    back_->setToolTip(QStringLiteral("Back (Alt+Left)"));
    forward_ = bar->addAction(QStringLiteral("Forward \u25B6"), this, [this] { goForward(); });
    forward_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    forward_->setToolTip(QStringLiteral("Forward (Alt+Right)"));
    updateHistoryActions();
    layout->addWidget(bar);
    layout->addWidget(CLP);
    missingFile_ = new QLabel(this);
    missingFile_->setWordWrap(true);
    missingFile_->hide();
    layout->addWidget(missingFile_);

    ScriptDocument &document = pane_.document();
    document.setHelpMode(true);
    document.setTitleHandler([this](const QString &title) { setWindowTitle(title); });
    pane_.setPageOpener([this](const QString &target) { openPage(target); });
    CLP->viewport()->installEventFilter(this);
    connect(CLP->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { ResetCellEdit(); });
}

NorqHelp::~NorqHelp() = default;

NorqHelp *NorqHelp::shared() {
    static QPointer<NorqHelp> viewer;
    if (!viewer) viewer = new NorqHelp;
    return viewer;
}

// ---- loading and rendering ----------------------------------------------------------

void NorqHelp::setHelpMode() {
    ResetCellEdit();
    CLP->setGridVisible(false);
    missingFile_->hide();
    CLP->setFixedRows(0);
    CLP->setFixedCols(0);
    CLP->setRows(1);
    CLP->clear();
    pane_.takeFinalSize();
    resizeView();
    measureWrapWidth();
}

void NorqHelp::measureWrapWidth() {
    pane_.document().setWrapWidth(maxFixedHelp(RowStyle::proseFont, engine.fontSize));
}

void NorqHelp::fileToMemory(const QString &path) {
    pane_.document().clearTitle();
    folder_ = QFileInfo(path).absolutePath();
    if (!lines.readFile(path)) {
        missingFile_->setText(QStringLiteral("The help file %1 could not be read.").arg(path));
        missingFile_->show();
    }
}

void NorqHelp::memoryToScript() {
    pane_.document().memoryToScript();
    currentRow = 0;
}

void NorqHelp::addRow(RowKind &DataType, const QString &datain, const QString &dataSQL,
                      int location) {
    currentRow = pane_.document().addRow(DataType, datain, dataSQL, location);
}

int NorqHelp::getHeight(RowKind DataType, const QString &inText, const QString &displayFont,
                        double displaySize) {
    return pane_.document().getHeight(DataType, inText, displayFont, displaySize);
}

int NorqHelp::getHeightJPG(const QString &FileName) {
    return pane_.document().getHeightJPG(FileName);
}

CellInfo NorqHelp::getCellInfo(int row, int col) {
    return cellInfoAt(CLP, row, col);
}

void NorqHelp::cellWidthRefresh() {
    pane_.document().cellWidthRefresh();
}

void NorqHelp::resizeView() {
    pane_.layOutColumns();
}

void NorqHelp::ResetCellEdit() {
    DataValues->hide();
}

QString NorqHelp::wrapText(const QString &txtIN, const QString &prefix, bool first) {
    return pane_.document().wrapAtWrapWidth(txtIN, prefix, first);
}

QString NorqHelp::toText(const QString &txtIN) {
    return pane_.document().proseAtWrapWidth(txtIN);
}

int NorqHelp::maxFixedHelp(const QString &fontName, int fontSize) {
    return measureLineWidth(fontName, fontSize, InfoRTF.widthTwips());
}

void NorqHelp::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (isMinimized()) return;
    ScriptDocument &document = pane_.document();
    const int wrapBefore = document.wrapWidth();
    resizeView();
    measureWrapWidth();
    if (document.wrapWidth() != wrapBefore) document.rewrapProse();
    cellWidthRefresh();
}

// ---- presses ------------------------------------------------------------------------

bool NorqHelp::eventFilter(QObject *watched, QEvent *event) {
    if (watched == CLP->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        const QPoint at = press->position().toPoint();
        const int row = CLP->rowAt(at.y());
        const int col = CLP->columnAt(at.x());
        if (row >= 0 && col >= 0) CLP_MouseDown(press->button(), row, col);
    }
    return QWidget::eventFilter(watched, event);
}

void NorqHelp::CLP_MouseDown(Qt::MouseButton button, int row, int col) {
    if (button == Qt::RightButton || row < 0 || row >= CLP->rows()) return;
    currentRow = row;
    const RowKind kind = pane_.document().kindOf(row);
    if (col == textCol && kind == RowKind::heading) {
        const int top = CLP->topRow();
        const int target = pane_.followLink(row);
        if (target >= 0) {
            currentRow = target;
            if (at_ >= 0) history_[at_].topRow = top;
            visit({path_, CLP->topRow()});
        }
    } else if (col == markerCol && kind == RowKind::sql) {
        ResetCellEdit();
        runStatementRow(row);
    } else if (col == markerCol && kind == RowKind::result) {
        pane_.toggleResult(row);
    } else {
        ResetCellEdit();
    }
}

// Another help page opens in this viewer, matching the name's case on disk.
void NorqHelp::openPage(const QString &target) {
    const QDir folder(folder_);
    for (const QString &entry : folder.entryList(QDir::Files)) {
        if (entry.compare(target, Qt::CaseInsensitive) != 0) continue;
        if (at_ >= 0) history_[at_].topRow = CLP->topRow();
        showFile(folder.filePath(entry));
        return;
    }
}

// ---- history ------------------------------------------------------------------------

void NorqHelp::load(const QString &path) {
    setHelpMode();
    fileToMemory(path);
    memoryToScript();
    path_ = path;
}

void NorqHelp::showFile(const QString &path) {
    load(path);
    visit({path, 0});
}

void NorqHelp::visit(const Place &place) {
    history_.resize(at_ + 1); // a new way drops the places ahead
    history_.append(place);
    at_ = static_cast<int>(history_.size()) - 1;
    updateHistoryActions();
}

void NorqHelp::goTo(int index) {
    if (index < 0 || index >= history_.size()) return;
    if (at_ >= 0) history_[at_].topRow = CLP->topRow();
    at_ = index;
    const Place &place = history_[at_];
    if (place.path != path_) load(place.path);
    if (place.topRow < CLP->rows()) CLP->setTopRow(place.topRow);
    updateHistoryActions();
}

void NorqHelp::goBack() {
    goTo(at_ - 1);
}

void NorqHelp::goForward() {
    goTo(at_ + 1);
}

void NorqHelp::updateHistoryActions() {
    back_->setEnabled(at_ > 0);
    forward_->setEnabled(at_ + 1 < history_.size());
}

void NorqHelp::runStatementRow(int row) {
    const QString statement = ScriptText::removeComments(CLP->textMatrix(row, sqlCol));
    engine.gridMode = false;
    {
        const BusyPointer busy;
        if (!pane_.run(statement)) return;
    }
    // A second run rewrites the output under the statement instead of stacking.
    const ScriptPane::Output output = pane_.placeOutput(row + 1);
    if (output.row >= 0) currentRow = output.row;
}

// ---- opening ------------------------------------------------------------------------

void showHelp(const QString &fileName) {
    NorqHelp *viewer = NorqHelp::shared();
    const QString folder = engine.helpFolder.isEmpty() ? QDir::currentPath() : engine.helpFolder;
    viewer->showFile(QDir(folder).filePath(fileName));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

#include "document/norqhelp.h"

#include "document/grid.h"
#include "document/row_style.h"
#include "document/script_text.h"
#include "engine/busy_pointer.h"
#include "engine/dispatcher.h"
#include "engine/engine_state.h"
#include "engine/platform_units.h"
#include "engine/text_files.h"
#include "engine/text_layout.h"
#include "engine/window_interface.h"
#include "mainwindow/norqsql.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

using namespace ScriptRow;

namespace {

constexpr int kMarkerWidth = 500;
constexpr int kDocumentMargin = 855;
constexpr int kMinHeight = 3000;
constexpr int kMinWidth = 6000;

} // namespace

NorqHelp::NorqHelp(QWidget *parent) : QWidget(parent, Qt::Window) {
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
    CLP = new Grid(this);
    CLP->setObjectName(QStringLiteral("CLP"));
    CLP->setCols(columnCount);
    CLP->setRows(1);
    QPalette palette = CLP->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 0, 0));
    palette.setColor(QPalette::HighlightedText, palette.color(QPalette::Text));
    CLP->setPalette(palette);
    CLP->setShowGrid(false);
    layout->addWidget(CLP);
    missingFile_ = new QLabel(this);
    missingFile_->setWordWrap(true);
    missingFile_->hide();
    layout->addWidget(missingFile_);

    DataValues = new Grid(CLP);
    DataValues->setObjectName(QStringLiteral("DataValues"));
    DataValues->hide();
    Chart = new QChartView(this);
    Chart->setObjectName(QStringLiteral("Chart"));
    Chart->hide();
    TestImage = new QLabel(this);
    TestImage->hide();

    document_.attach(CLP, &InfoRTF, TestImage, &lines);
    document_.setHelpMode(true);
    document_.setTitleHandler([this](const QString &title) { setWindowTitle(title); });
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
    // Before the first showing the grid still has a child's default size: measure the
    // page at the size the window gives it.
    if (!isVisible()) layout()->activate();
    resizeView();
    document_.setWrapWidth(maxFixedHelp(RowStyle::proseFont, engine.fontSize));
}

void NorqHelp::fileToMemory(const QString &path) {
    document_.clearTitle();
    folder_ = QFileInfo(path).absolutePath();
    if (!lines.readFile(path)) {
        missingFile_->setText(QStringLiteral("The help file %1 could not be read.").arg(path));
        missingFile_->show();
    }
}

void NorqHelp::memoryToScript() {
    document_.memoryToScript();
    currentRow = 0;
}

void NorqHelp::addRow(int &DataType, const QString &datain, const QString &dataSQL, int location) {
    currentRow = document_.addRow(DataType, datain, dataSQL, location);
}

int NorqHelp::getHeight(int DataType, const QString &inText, const QString &displayFont,
                        double displaySize) {
    return document_.getHeight(DataType, inText, displayFont, displaySize);
}

int NorqHelp::getHeightJPG(const QString &FileName) {
    return document_.getHeightJPG(FileName);
}

CellInfo NorqHelp::getCellInfo(int row, int col) {
    return cellInfoAt(CLP, row, col);
}

void NorqHelp::cellWidthRefresh() {
    document_.cellWidthRefresh();
}

void NorqHelp::resizeView() {
    const int width = std::max(kMarkerWidth, CLP->gridWidth() - kDocumentMargin);
    CLP->setColWidth(markerCol, kMarkerWidth);
    CLP->setColAlignment(markerCol, 4);
    CLP->setColWidth(textCol, width);
    CLP->setColAlignment(textCol, 1);
    for (int col = kindCol; col < columnCount; ++col)
        CLP->setColWidth(col, 0);
    InfoRTF.setWidthTwips(width);
}

void NorqHelp::ResetCellEdit() {
    DataValues->hide();
}

QString NorqHelp::wrapText(const QString &txtIN, const QString &prefix, bool first) {
    const int saved = engine.textLineWidth;
    if (document_.wrapWidth() > 0) engine.textLineWidth = document_.wrapWidth();
    const QString wrapped = ::wrapText(txtIN, prefix, first);
    engine.textLineWidth = saved;
    return wrapped;
}

QString NorqHelp::toText(const QString &txtIN) {
    const int saved = engine.textLineWidth;
    if (document_.wrapWidth() > 0) engine.textLineWidth = document_.wrapWidth();
    const QString text = formatProse(txtIN);
    engine.textLineWidth = saved;
    return text;
}

int NorqHelp::maxFixedHelp(const QString &fontName, int fontSize) {
    return measureLineWidth(fontName, fontSize, InfoRTF.widthTwips());
}

void NorqHelp::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (isMinimized()) return;
    const int wrapBefore = document_.wrapWidth();
    resizeView();
    document_.setWrapWidth(maxFixedHelp(RowStyle::proseFont, engine.fontSize));
    if (document_.wrapWidth() != wrapBefore) document_.rewrapProse();
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
    const int kind = document_.kindOf(row);
    if (col == textCol && kind == RowKind::heading) {
        followLink(row);
    } else if (col == markerCol && kind == RowKind::sql) {
        ResetCellEdit();
        runStatementRow(row);
    } else if (col == markerCol && kind == RowKind::result) {
        toggleResult(row);
    } else {
        ResetCellEdit();
    }
}

void NorqHelp::followLink(int row) {
    if (CLP->textMatrix(row, tagCol) != QLatin1String("0")) return;
    const QString target = CLP->textMatrix(row, rawCol).trimmed().toUpper();
    if (target.isEmpty()) return;
    if (target.contains(QLatin1String(".NORQ"))) {
        // Another help page: open it in this viewer, matching the name's case on disk.
        const QDir folder(folder_);
        for (const QString &entry : folder.entryList(QDir::Files)) {
            if (entry.compare(target, Qt::CaseInsensitive) != 0) continue;
            setHelpMode();
            fileToMemory(folder.filePath(entry));
            memoryToScript();
            return;
        }
        return;
    }
    for (int r = 0; r < CLP->rows(); ++r) {
        if (CLP->textMatrix(r, rawCol).toUpper() != target) continue;
        if (CLP->textMatrix(r, tagCol) == QLatin1String("0")) continue;
        currentRow = r;
        CLP->setRow(r);
        CLP->setTopRow(r);
        return;
    }
}

void NorqHelp::runStatementRow(int row) {
    const QString statement = ScriptText::removeComments(CLP->textMatrix(row, sqlCol));
    engine.gridMode = false;
    {
        const BusyPointer busy;
        runScript(statement, DataValues, Chart);
    }
    placeOutput(row + 1);
}

// The statement's output under it; a second run rewrites it instead of stacking.
void NorqHelp::placeOutput(int position) {
    int kind = RowKind::message;
    switch (engine.resultKind) {
    case kResultMessage:
        if (engine.msgText.trimmed().isEmpty()) return;
        addRow(kind, crLfAsCr(engine.msgText), QString(), position);
        return;
    case kResultRows:
        kind = RowKind::result;
        addRow(kind, engine.resultText, engine.currentStatement, position);
        return;
    case kResultText:
        addRow(kind, crLfAsCr(engine.outputText), QString(), position);
        return;
    case kResultServerOutput:
        addRow(kind, engine.serverOutput, QString(), position);
        return;
    case kResultPicture: {
        kind = RowKind::chart;
        addRow(kind, QString(), QString(), position);
        const QImage picture = engine.ui ? engine.ui->clipboardImage() : QImage();
        CLP->setRow(currentRow);
        CLP->setCol(textCol);
        CLP->setCellAlignment(4);
        CLP->setCellPicture(QPixmap::fromImage(picture));
        return;
    }
    default:
        return;
    }
}

void NorqHelp::toggleResult(int row) {
    if (DataValues->isVisible()) {
        DataValues->hide();
        return;
    }
    const QString statement = CLP->textMatrix(row, tagCol);
    if (statement.isEmpty()) return;
    const BusyPointer busy;
    engine.gridMode = true;
    const CellInfo cell = getCellInfo(row, textCol);
    DataValues->setGeometry(twipsRect(cell.left, cell.top, cell.width, cell.height));
    DataValues->setEnabled(true);
    runScript(statement, DataValues, Chart);
    if (engine.resultKind == kResultRows) {
        DataValues->show();
        DataValues->raise();
    }
}

// ---- opening ------------------------------------------------------------------------

void showHelp(const QString &fileName) {
    NorqHelp *viewer = NorqHelp::shared();
    const QString folder = engine.helpFolder.isEmpty() ? QDir::currentPath() : engine.helpFolder;
    viewer->setHelpMode();
    viewer->fileToMemory(QDir(folder).filePath(fileName));
    viewer->memoryToScript();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

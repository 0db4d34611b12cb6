#include "document/script_document.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "document/document_model.h"
#include "document/grid.h"
#include "document/measure_box.h"
#include "document/row_style.h"
#include "document/script_lines.h"
#include "document/script_parser.h"
#include "document/script_text.h"
#include "engine/text_layout.h"

#include <QImageReader>
#include <QLabel>
#include <algorithm>
#include <cmath>

using namespace ScriptRow;

namespace {

constexpr int kMeasureMargin = 100;
constexpr int kCommentExtra = 150;
constexpr int kOtherExtra = 250;
constexpr int kLinkLowering = 150;
constexpr int kChartHeight = 4500;
constexpr int kPictureExtra = 240;
constexpr int kMissingPictureHeight = 400;
// A comment row is never measured beyond this many lines: taller rows serve no reader,
// and a megabyte of prose must not stall the view.
constexpr int kMaxCommentLines = 2000;

} // namespace

void ScriptDocument::attach(Grid *grid, MeasureBox *measure, QLabel *testImage,
                            ScriptLines *lines) {
    grid_ = grid;
    measure_ = measure;
    testImage_ = testImage;
    lines_ = lines;
}

int ScriptDocument::viewMode() const {
    return helpMode_ ? ViewMode::script : engine.viewMode;
}

RowKind ScriptDocument::kindOf(int row) const {
    return rowKindAt(grid_, row);
}

QString ScriptDocument::commentDisplayText(const QString &joined) const {
    return proseAtWrapWidth(ScriptText::removeCarets(joined));
}

int ScriptDocument::proseWidth() const {
    return wrapWidth_ > 0 ? wrapWidth_ : engine.textLineWidth;
}

QString ScriptDocument::wrapAtWrapWidth(const QString &text, const QString &prefix,
                                        bool first) const {
    return wrapText(text, prefix, first, proseWidth());
}

QString ScriptDocument::proseAtWrapWidth(const QString &text) const {
    return formatProse(text, proseWidth());
}

// ---- addRow -------------------------------------------------------------------------

int ScriptDocument::addRow(RowKind &kind, const QString &datain, const QString &dataSQL,
                           int location) {
    const Grid::QuietMoves moves(grid_);
    QString pictureFile;
    const QStringList cells =
        buildCells(kind, ScriptText::trimCarriageReturns(datain), dataSQL, pictureFile);
    const int row = placeRow(kind, cells, location);
    styleRow(row, kind);
    sizeRow(row, kind, pictureFile);
    if (helpMode_ && kind == RowKind::heading) takeTitle(row);
    return row;
}

// The cells of a new row, written cell by cell: texts may hold tabs, which a
// tab-separated record would split.
QStringList ScriptDocument::buildCells(RowKind &kind, const QString &text, const QString &dataSQL,
                                       QString &pictureFile) const {
    const DocumentRow row = rowFromText(
        kind, text, dataSQL, [this](const QString &joined) { return proseAtWrapWidth(joined); },
        &pictureFile);
    QStringList cells(columnCount);
    cells[textCol] = row.text;
    cells[tagCol] = row.tag;
    cells[rawCol] = row.raw;
    cells[sqlCol] = row.sql;
    cells[kindCol] = rowKindText(kind);
    return cells;
}

int ScriptDocument::placeRow(RowKind kind, const QStringList &cells, int location) {
    const auto writeCells = [&](int row) {
        for (int col = 0; col < columnCount; ++col)
            grid_->setTextMatrix(row, col, cells.value(col));
    };
    if (location < 0 || location >= grid_->rows()) {
        grid_->addItem(QString());
        const int row = grid_->rows() - 1;
        writeCells(row);
        return row;
    }
    const RowKind existing = kindOf(location);
    if (kind == RowKind::chart && existing == RowKind::chart) return location;
    if (traitsOf(kind).textOutput && traitsOf(existing).textOutput) {
        grid_->setTextMatrix(location, textCol, cells.value(textCol));
        grid_->setTextMatrix(location, kindCol, cells.value(kindCol));
        grid_->setTextMatrix(location, tagCol, cells.value(tagCol));
        return location;
    }
    grid_->addItem(QString(), location);
    writeCells(location);
    return location;
}

// The help viewer's caption: its file's first heading that is not a link.
void ScriptDocument::takeTitle(int row) {
    if (!title_.isEmpty() || grid_->textMatrix(row, tagCol).toInt() == 0) return;
    title_ = grid_->textMatrix(row, textCol);
    if (titleHandler_) titleHandler_(title_);
}

// ---- styles -------------------------------------------------------------------------

namespace {

void setCellFont(Grid *grid, const QString &name, double size, bool bold = false,
                 bool italic = false, bool underline = false) {
    grid->setCellFontName(name);
    grid->setCellFontSize(size);
    grid->setCellFontBold(bold);
    grid->setCellFontItalic(italic);
    grid->setCellFontUnderline(underline);
}

void setMarker(Grid *grid, const QString &symbol, double size, const QColor &colour) {
    grid->setText(symbol);
    grid->setCellFontName(RowStyle::markerFont);
    grid->setCellFontSize(size);
    grid->setCellForeColor(colour);
}

// The background of a row's text; invalid where the row keeps the grid's own.
QColor shadeColour(RowShade shade, bool scriptView) {
    using namespace RowStyle;
    switch (shade) {
    case RowShade::prose:
        return scriptView ? scriptViewBackground : commentEditBackground;
    case RowShade::statement:
        return sqlBackground;
    case RowShade::output:
        return outputBackground;
    case RowShade::example:
        return exampleBackground;
    case RowShade::picture:
        return scriptView ? scriptViewBackground : QColor(Qt::white);
    case RowShade::heading:
    case RowShade::none:
        break;
    }
    return {};
}

} // namespace

void ScriptDocument::styleRow(int row, RowKind kind) {
    using namespace RowStyle;
    const int mode = viewMode();
    const bool scriptView = mode == ViewMode::script;
    const bool editView = mode == ViewMode::edit && !helpMode_;
    const double size = engine.fontSize;

    grid_->setRow(row);
    grid_->setCol(markerCol);
    grid_->setCellFontSize(defaultMarkerSize);
    grid_->setCellBackColor(markerBackground);
    grid_->setCellAlignment(4);
    const RowKindTraits &traits = traitsOf(kind);
    styleMarker(row, traits.marker, editView);

    grid_->setCol(textCol);
    grid_->setCellAlignment(1);
    if (traits.shade == RowShade::heading) {
        styleHeadingText(row, scriptView);
        return;
    }
    if (traits.font != RowFont::none)
        setCellFont(grid_, traits.font == RowFont::prose ? proseFont : codeFont, size);
    const QColor shade = shadeColour(traits.shade, scriptView);
    if (shade.isValid()) grid_->setCellBackColor(shade);
}

void ScriptDocument::styleMarker(int row, RowMarker marker, bool editView) {
    using namespace RowStyle;
    switch (marker) {
    case RowMarker::run:
        setMarker(grid_, sqlMarker, sqlMarkerSize, sqlMarkerColour);
        break;
    case RowMarker::message:
        setMarker(grid_, messageMarker, defaultMarkerSize, Qt::black);
        break;
    case RowMarker::result:
        setMarker(grid_, resultMarker, defaultMarkerSize, Qt::black);
        break;
    case RowMarker::level:
        if (editView)
            setMarker(grid_, headingMarker(grid_->textMatrix(row, tagCol).toInt()),
                      defaultMarkerSize, Qt::black);
        break;
    case RowMarker::example:
        if (editView) setMarker(grid_, exampleMarker, defaultMarkerSize, Qt::black);
        break;
    case RowMarker::picture:
        if (editView) setMarker(grid_, pictureMarker, defaultMarkerSize, Qt::black);
        break;
    case RowMarker::end:
        grid_->setCellFontSize(endMarkerSize);
        break;
    case RowMarker::none:
        break;
    }
}

void ScriptDocument::styleHeadingText(int row, bool scriptView) {
    using namespace RowStyle;
    const double size = engine.fontSize;
    setCellFont(grid_, proseFont, size);
    if (!scriptView) {
        grid_->setCellBackColor(headingEditBackground);
        grid_->setCellForeColor(Qt::black);
        return;
    }
    grid_->setCellBackColor(scriptViewBackground);
    grid_->setCellAlignment(2);
    const double levelSize = headingSize(row);
    switch (grid_->textMatrix(row, tagCol).toInt()) {
    case 1:
    case 4:
        setCellFont(grid_, proseFont, levelSize, false, false, true);
        break;
    case 2:
        setCellFont(grid_, proseFont, levelSize, true);
        break;
    case 3:
        setCellFont(grid_, proseFont, levelSize, false, true);
        break;
    default:
        setCellFont(grid_, proseFont, size, false, false, true);
        grid_->setCellForeColor(linkColour);
        grid_->setCellAlignment(1);
        break;
    }
}

// ---- heights ------------------------------------------------------------------------

void ScriptDocument::sizeRow(int row, RowKind kind, const QString &pictureFile) {
    const int mode = viewMode();
    if (!helpMode_ && mode != ViewMode::script && mode != ViewMode::edit) return;
    switch (traitsOf(kind).height) {
    case RowHeight::chart:
        grid_->setRowHeight(row, kChartHeight);
        break;
    case RowHeight::hidden:
        grid_->setRowHeight(row, 0);
        break;
    case RowHeight::picture:
        showPicture(row, pictureFile);
        break;
    case RowHeight::measured:
        grid_->setRowHeight(row, measuredRowHeight(row, mode == ViewMode::script));
        break;
    }
}

int ScriptDocument::measuredRowHeight(int row, bool lowerLinks) const {
    const RowKind kind = kindOf(row);
    const QString text = grid_->textMatrix(row, textCol);
    const double size = engine.fontSize;
    if (traitsOf(kind).font != RowFont::prose)
        return getHeight(kind, text, RowStyle::codeFont, size);
    const bool heading = kind == RowKind::heading;
    int height = getHeight(kind, text, RowStyle::proseFont, heading ? headingSize(row) : size);
    if (lowerLinks && kind == RowKind::heading && grid_->textMatrix(row, tagCol).toInt() == 0)
        height -= kLinkLowering;
    return height;
}

double ScriptDocument::headingSize(int row) const {
    const double size = engine.fontSize;
    if (viewMode() != ViewMode::script) return size;
    switch (grid_->textMatrix(row, tagCol).toInt()) {
    case 1:
        return size + 4;
    case 2:
    case 3:
    case 4:
        return size + 1;
    default:
        return size;
    }
}

int ScriptDocument::getHeight(RowKind kind, const QString &text, const QString &fontName,
                              double size) const {
    MeasureBox box = *measure_;
    box.setWidthTwips(measure_->widthTwips() - kMeasureMargin);
    const double lineHeight = box.lineHeightTwips(fontName, size);
    if (kind == RowKind::heading) {
        // A heading too long for the width wraps: its first line is measured at the
        // prose size as it always was, further lines at the heading's own size.
        const int more = std::clamp(box.lineCount(text, fontName, size, 30), 1, 30) - 1;
        const double first = box.lineHeightTwips(fontName, engine.fontSize);
        return static_cast<int>(std::lround(first + more * lineHeight + kOtherExtra));
    }
    if (kind == RowKind::comment) {
        int lines = box.lineCount(text, fontName, size, kMaxCommentLines);
        if (viewMode() == ViewMode::edit && !helpMode_) lines = std::max(lines, 3);
        return static_cast<int>(std::lround(lines * lineHeight + kCommentExtra));
    }
    const int lines =
        std::clamp(box.lineCount(text, fontName, size, 30), traitsOf(kind).minLines, 30);
    return static_cast<int>(std::lround(lines * lineHeight + kOtherExtra));
}

QPixmap ScriptDocument::loadPicture(const QString &fileName) {
    const auto cached = pictures_.constFind(fileName);
    if (cached != pictures_.constEnd()) return cached.value();
    QPixmap picture;
    if (!fileName.isEmpty() && unreadablePicture(fileName).isEmpty()) {
        QImageReader reader(fileName);
        const QImage image = reader.read();
        if (!image.isNull()) picture = QPixmap::fromImage(image);
    }
    pictures_.insert(fileName, picture);
    return picture;
}

int ScriptDocument::getHeightJPG(const QString &fileName) {
    const QPixmap picture = loadPicture(fileName);
    if (picture.isNull()) return 0;
    if (testImage_) {
        testImage_->setPixmap(picture);
        testImage_->adjustSize();
    }
    return pixelsToTwips(picture.height());
}

void ScriptDocument::showPicture(int row, const QString &fileName) {
    grid_->setTextMatrix(row, tagCol, fileName);
    const int height = getHeightJPG(var_sub(fileName, false));
    grid_->setRow(row);
    grid_->setCol(textCol);
    if (height > 0) {
        grid_->setTextMatrix(row, textCol, QString());
        grid_->setCellPicture(pictures_.value(var_sub(fileName, false)));
        grid_->setCellAlignment(4);
        grid_->setRowHeight(row, height + kPictureExtra);
    } else {
        // A device, a pipe or a huge file shows why it is not shown.
        const QString unreadable = unreadablePicture(var_sub(fileName, false));
        grid_->setTextMatrix(row, textCol,
                             unreadable.isEmpty() ? fileName
                                                  : fileName + QStringLiteral(": ") + unreadable);
        grid_->setCellPicture(QPixmap());
        grid_->setRowHeight(row, kMissingPictureHeight);
    }
    grid_->refresh();
}

void ScriptDocument::cellWidthRefresh() {
    if (helpMode_ && grid_->rows() < 2) return;
    for (int row = 0; row < grid_->rows(); ++row) {
        const RowKind kind = kindOf(row);
        if (kind == RowKind::endMarker) break;
        if (traitsOf(kind).picture) continue;
        grid_->setRowHeight(row, measuredRowHeight(row, true));
    }
}

void ScriptDocument::rewrapProse() {
    for (int row = 0; row < grid_->rows(); ++row)
        if (kindOf(row) == RowKind::comment)
            grid_->setTextMatrix(row, textCol, commentDisplayText(grid_->textMatrix(row, rawCol)));
}

// ---- between lines and rows ------------------------------------------------------------

void ScriptDocument::memoryToScript() {
    if (lines_->lineCount == 0) return;
    if (!helpMode_) deleteDollarVariables();
    pictures_.clear();
    // Rows left from an earlier rendering would otherwise stay above the new ones.
    if (grid_->rows() != 1) {
        grid_->setRows(1);
        grid_->clear();
    }
    const bool scriptView = viewMode() == ViewMode::script;
    parseScript(*lines_, scriptView,
                [this](RowKind kind, const QString &text) { addRow(kind, text, QString(), -1); });
    RowKind end = RowKind::endMarker;
    addRow(end, QString(), QString(), -1);
    grid_->removeItem(0);
    grid_->setGridVisible(true);
    grid_->setRow(0);
    grid_->setCol(textCol);
    grid_->setTopRow(0);
}

void ScriptDocument::deleteDollarVariables() {
    for (int slot = 1; slot <= kVariableSlots; ++slot) {
        const Variable &variable = engine.vars[slot];
        if (variable.inUse && variable.name.startsWith(u'$')) var_free(slot);
    }
}

std::vector<RowSource> ScriptDocument::rowSources() const {
    std::vector<RowSource> rows;
    rows.reserve(grid_->rows());
    for (int row = 0; row < grid_->rows(); ++row) {
        RowSource source;
        source.kind = kindOf(row);
        source.text = grid_->textMatrix(row, textCol);
        source.tag = grid_->textMatrix(row, tagCol);
        source.raw = grid_->textMatrix(row, rawCol);
        source.sql = grid_->textMatrix(row, sqlCol);
        rows.push_back(std::move(source));
    }
    return rows;
}

bool ScriptDocument::scriptToMemory() {
    return regenerateScript(rowSources(), *lines_);
}

QStringList ScriptDocument::regeneratedLines() const {
    return ::regeneratedLines(rowSources());
}

#include "document/document_model.h"

#include "core/engine_state.h"
#include "core/run_outcome.h"
#include "core/shown_text.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "document/script_parser.h"
#include "document/script_text.h"
#include "engine/text_layout.h"

#include <QImageReader>

using namespace ScriptRow;

DocumentRow rowFromText(RowKind &kind, const QString &text, const QString &dataSQL,
                        const std::function<QString(const QString &)> &prose,
                        QString *pictureFile) {
    DocumentRow row;
    if (kind == RowKind::comment) {
        QStringList lines = text.split(u'\r');
        const ScriptText::CommentTag tag = ScriptText::parseCommentTag(lines.first());
        const QChar code = tag.code;
        if (code >= u'0' && code <= u'4') {
            kind = RowKind::heading;
            row.text = tag.content;
            row.tag = QString(code);
            row.raw = tag.anchor;
        } else if (code == u'I') {
            kind = RowKind::image;
            *pictureFile = tag.content;
        } else if (code == u'S') {
            kind = RowKind::example;
            lines.first() = tag.content;
            const QString joined = ScriptText::joinCommentLines(lines, true);
            row.text = ScriptText::removeCarets(joined);
            row.raw = joined;
        } else {
            const QString joined = ScriptText::joinCommentLines(lines, false);
            row.text = prose(ScriptText::removeCarets(joined));
            row.raw = joined;
        }
    } else if (kind == RowKind::message) {
        row.text = text;
        row.tag = dataSQL;
    } else if (kind == RowKind::chart) {
        // Only the kind.
    } else if (kind == RowKind::image) {
        *pictureFile = dataSQL;
    } else if (kind == RowKind::example) {
        row.text = ScriptText::removeCarets(text);
        row.raw = text;
    } else {
        row.text = ScriptText::getRawSQL(text);
        row.tag = dataSQL;
        row.sql = text;
    }
    row.kind = kind;
    return row;
}

namespace {

// An image row as the window shows it: the picture, or its file name and why it is not
// shown.
void loadPicture(DocumentRow &row, const QString &fileName) {
    row.tag = fileName;
    const QString file = var_sub(fileName, false);
    const QString unreadable = unreadablePicture(file);
    if (!file.isEmpty() && unreadable.isEmpty()) row.picture = QImageReader(file).read();
    if (!row.picture.isNull()) return;
    row.text = unreadable.isEmpty() ? fileName : fileName + QStringLiteral(": ") + unreadable;
}

} // namespace

DocumentModel documentFromLines(const ScriptLines &lines) {
    DocumentModel document;
    const auto prose = [](const QString &text) { return formatProse(text, engine.textLineWidth); };
    const auto add = [&](RowKind kind, const QString &text) {
        QString pictureFile;
        DocumentRow row = rowFromText(kind, ScriptText::trimCarriageReturns(text), QString(), prose,
                                      &pictureFile);
        if (kind == RowKind::image) loadPicture(row, pictureFile);
        document.push_back(std::move(row));
    };
    parseScript(lines, true, add);
    DocumentRow end;
    end.kind = RowKind::endMarker;
    document.push_back(std::move(end));
    return document;
}

RunOutput runOutput(const RunOutcome &outcome, const MessageTable &messages) {
    RunOutput output;
    output.shown = true;
    output.outcome.code = messages.msgCode;
    if (const QString *text = shownText(outcome)) {
        output.text = outcome.resultKind == kResultText ? crLfAsCr(*text) : *text;
        output.step = 1;
        return output;
    }
    switch (outcome.resultKind) {
    case kResultMessage:
        if (messages.msgText.trimmed().isEmpty()) return {};
        output.text = crLfAsCr(messages.msgText);
        break;
    case kResultRows:
        output.kind = RowKind::result;
        output.text = outcome.resultText;
        output.statement = outcome.currentStatement;
        output.outcome.result = outcome.lastResult;
        if (outcome.lastResult)
            output.outcome.trailer = outcome.resultText.mid(outcome.resultTableLength);
        output.step = 1;
        break;
    case kResultPicture:
        output.kind = RowKind::chart;
        output.picture = engine.ui ? engine.ui->clipboardImage() : QImage();
        break;
    default:
        return {};
    }
    return output;
}

QString textAsRan(const QString &shown) {
    QString ran;
    qsizetype from = 0;
    for (const auto &[written, substituted] : engine.ranStatements) {
        const qsizetype at = shown.indexOf(written, from);
        // A statement the shown text does not hold word for word (a hidden section):
        // the values it ran with are those of now, which the run just left.
        if (at < 0) return withPasswordsMasked(var_sub(shown, false));
        ran += shown.mid(from, at - from) + substituted;
        from = at + written.size();
    }
    return withPasswordsMasked(ran + shown.mid(from));
}

DocumentRow documentRowAt(const Grid *grid, int r) {
    DocumentRow row;
    row.kind = rowKindAt(grid, r);
    row.text = grid->textMatrix(r, textCol);
    row.tag = grid->textMatrix(r, tagCol);
    row.raw = grid->textMatrix(r, rawCol);
    row.sql = grid->textMatrix(r, sqlCol);
    row.outcome = grid->rowData(r).value<RowOutcome>();
    if (traitsOf(row.kind).picture) row.picture = grid->pictureAt(r, textCol).toImage();
    return row;
}

DocumentModel documentFromGrid(const Grid *grid) {
    DocumentModel document;
    document.reserve(grid->rows());
    for (int r = 0; r < grid->rows(); ++r)
        document.push_back(documentRowAt(grid, r));
    return document;
}

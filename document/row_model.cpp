#include "document/row_model.h"

#include "document/grid.h"

#include <QString>

namespace {

// One line per kind: kind, font, source, marker, shade, height, minLines, then runs,
// output, textOutput, picture, written.
// clang-format off
constexpr RowKindTraits kTraits[] = {
    {RowKind::comment, RowFont::prose, SourceField::raw, RowMarker::none, RowShade::prose, RowHeight::measured, 2, false, false, false, false, true},
    {RowKind::plainStatement, RowFont::code, SourceField::none, RowMarker::none, RowShade::none, RowHeight::measured, 2, true, false, false, false, false},
    {RowKind::sql, RowFont::code, SourceField::statement, RowMarker::run, RowShade::statement, RowHeight::measured, 3, true, false, false, false, true},
    {RowKind::message, RowFont::code, SourceField::none, RowMarker::message, RowShade::output, RowHeight::measured, 3, false, true, true, false, false},
    {RowKind::result, RowFont::code, SourceField::none, RowMarker::result, RowShade::output, RowHeight::measured, 2, false, true, true, false, false},
    {RowKind::chart, RowFont::none, SourceField::none, RowMarker::picture, RowShade::picture, RowHeight::chart, 2, false, true, false, true, false},
    {RowKind::heading, RowFont::prose, SourceField::heading, RowMarker::level, RowShade::heading, RowHeight::measured, 2, false, false, false, false, true},
    {RowKind::endMarker, RowFont::none, SourceField::none, RowMarker::end, RowShade::none, RowHeight::hidden, 2, false, false, false, false, false},
    {RowKind::image, RowFont::none, SourceField::picture, RowMarker::picture, RowShade::picture, RowHeight::picture, 2, false, false, false, true, true},
    {RowKind::example, RowFont::code, SourceField::raw, RowMarker::example, RowShade::example, RowHeight::measured, 2, false, false, false, false, true},
};
// clang-format on

constexpr RowKindTraits kUnknown{RowKind::none,
                                 RowFont::none,
                                 SourceField::none,
                                 RowMarker::none,
                                 RowShade::none,
                                 RowHeight::measured,
                                 2,
                                 false,
                                 false,
                                 false,
                                 false,
                                 false};

} // namespace

const RowKindTraits &traitsOf(RowKind kind) {
    for (const RowKindTraits &traits : kTraits)
        if (traits.kind == kind) return traits;
    return kUnknown;
}

QString rowKindText(RowKind kind) {
    return QString::number(static_cast<int>(kind));
}

RowKind rowKindFromText(const QString &text) {
    return static_cast<RowKind>(text.trimmed().toInt());
}

RowKind rowKindAt(const Grid *grid, int row) {
    return rowKindFromText(grid->textMatrix(row, ScriptRow::kindCol));
}

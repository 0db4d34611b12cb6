#pragma once
// The script grid's row model, shared by the main window and the help viewer: one grid
// row per document element, six columns of which only the first two are shown.

class Grid;
class QString;

namespace ScriptRow {

inline constexpr int markerCol = 0; // symbol marking the row kind
inline constexpr int textCol = 1;   // what the reader sees, or a picture
inline constexpr int kindCol = 2;   // RowKind as decimal text
inline constexpr int tagCol = 3;    // heading level, picture file name or caller's attribute
inline constexpr int rawCol = 4;    // source of a comment or example; a heading's anchor
inline constexpr int sqlCol = 5;    // full statement text before hidden sections are removed
inline constexpr int columnCount = 6;

} // namespace ScriptRow

// The columns under the name of a window that shows a script (NorqSQL::textCol).
struct ScriptColumns {
    static constexpr int markerCol = ScriptRow::markerCol;
    static constexpr int textCol = ScriptRow::textCol;
    static constexpr int kindCol = ScriptRow::kindCol;
    static constexpr int tagCol = ScriptRow::tagCol;
    static constexpr int rawCol = ScriptRow::rawCol;
    static constexpr int sqlCol = ScriptRow::sqlCol;
};

// Kinds of script rows. kindCol holds the number as decimal text, as the rows a snapshot
// or a view change keeps do: the numbers never change.
enum class RowKind {
    none = 0, // a blank kind cell: the grid's placeholder row
    comment = 1,
    // Never produced here, but a row of this kind still runs in Run all as a statement does.
    plainStatement = 2,
    sql = 3,
    message = 4,
    result = 5,
    chart = 7,
    heading = 8,
    endMarker = 10,
    image = 11,
    example = 98,
};

// The font a row's text is drawn and measured in; pictures and the end marker have none.
enum class RowFont { none, prose, code };

// Where a row keeps the text it was written from: what its editor opens with, what an
// edit is compared with and what the row clipboard takes.
enum class SourceField {
    none,      // nothing the user wrote (outputs, the end marker)
    raw,       // rawCol: a comment's or an example's source, carets included
    statement, // sqlCol: the full statement, hidden sections included
    heading,   // textCol and the anchor in rawCol
    picture,   // tagCol: the picture's file name
};

// The symbol in a row's marker column.
enum class RowMarker {
    none,
    run,     // a statement's run triangle, in every view
    message, // information sign, in every view
    result,  // table, in every view
    level,   // a heading's level, in Edit View only
    example, // pencil, in Edit View only
    picture, // framed square, in Edit View only
    end,     // no symbol: the end marker's row shrinks to nothing
};

// The background of a row's text.
enum class RowShade { none, prose, statement, output, example, heading, picture };

// How a row's height is found.
enum class RowHeight {
    measured, // from its text, at least minLines lines
    chart,    // a chart's fixed height
    picture,  // the picture's own
    hidden,   // none: the end marker
};

// What a kind of row is; one line per kind in rowKindTraits.
struct RowKindTraits {
    RowKind kind;
    RowFont font;
    SourceField source;
    RowMarker marker;
    RowShade shade;
    RowHeight height;
    int minLines;    // a measured row's least height in lines
    bool runs;       // Run all runs it as a statement
    bool output;     // a statement's output: Reset drops it, a view change keeps it
    bool textOutput; // an output in words, overwritten in place by the statement's next one
    bool picture;    // drawn, not written: no text to wrap or search
    bool written;    // regenerated into the script's lines
};

// The traits of a kind; a kind no line names (a number read from elsewhere) has none.
const RowKindTraits &traitsOf(RowKind kind);
// The kind as kindCol and saved rows hold it, and back.
QString rowKindText(RowKind kind);
RowKind rowKindFromText(const QString &text);
// The kind of a grid row, from its kindCol.
RowKind rowKindAt(const Grid *grid, int row);

// The four views of the main window (engine.viewMode).
namespace ViewMode {

inline constexpr int text = 1;
inline constexpr int script = 2;
inline constexpr int sql = 3;
inline constexpr int edit = 4;

} // namespace ViewMode

// Script View and Edit View show the script as a document; the other two are panels.
inline constexpr bool isDocumentView(int mode) {
    return mode == ViewMode::script || mode == ViewMode::edit;
}

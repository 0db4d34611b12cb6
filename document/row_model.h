#pragma once
// The script grid's row model, shared by the main window and the help viewer: one grid
// row per document element, six columns of which only the first two are shown.

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

// Kinds of script rows; kindCol holds them as decimal text.
namespace RowKind {

inline constexpr int comment = 1;
// Never produced here, but a row of this kind still runs in Run all as a statement does.
inline constexpr int plainStatement = 2;
inline constexpr int sql = 3;
inline constexpr int message = 4;
inline constexpr int result = 5;
inline constexpr int chart = 7;
inline constexpr int heading = 8;
inline constexpr int endMarker = 10;
inline constexpr int image = 11;
inline constexpr int example = 98;

} // namespace RowKind

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

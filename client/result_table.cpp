#include "client/result_table.h"

#include "database/result_set.h"

#include "client/client_session.h"
#include "client/tool_output.h"
#include "database/cli/cli.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

// Widths are taken from the first rows; later, longer values widen only their own line.
constexpr int kRowsForWidths = 1000;
constexpr int kMaxWidth = 256;
const QString kNullMark = QStringLiteral("-");

QStringList readRow(const ClientStatement &statement) {
    QStringList row;
    for (int col = 0; col < static_cast<int>(statement.columns().size()); ++col)
        row << (statement.isNull(col) ? kNullMark : statement.value(col));
    return row;
}

QString formatRow(const QStringList &cells, const std::vector<int> &widths,
                  const std::vector<bool> &rightAligned) {
    QStringList parts;
    for (qsizetype col = 0; col < cells.size(); ++col) {
        const QString cell = QString(cells[col]).replace(u'\n', u' ').replace(u'\r', u' ');
        parts << (rightAligned[col] ? cell.rightJustified(widths[col])
                                    : cell.leftJustified(widths[col]));
    }
    QString line = parts.join(u' ');
    while (line.endsWith(u' '))
        line.chop(1);
    return line;
}

} // namespace

bool printResultTable(ClientStatement &statement, ToolOutput &out) {
    const std::vector<ClientColumn> &columns = statement.columns();
    std::vector<QStringList> firstRows;
    bool more = true;
    while (static_cast<int>(firstRows.size()) < kRowsForWidths && (more = statement.fetch()))
        firstRows.push_back(readRow(statement));

    std::vector<int> widths;
    std::vector<bool> rightAligned;
    QStringList names, dashes;
    for (size_t col = 0; col < columns.size(); ++col) {
        int width = static_cast<int>(columns[col].name.size());
        for (const QStringList &row : firstRows)
            width = std::max(width, static_cast<int>(row[col].size()));
        width = std::clamp(width, 1, kMaxWidth);
        widths.push_back(width);
        rightAligned.push_back(isNumericType(columns[col].type));
        names << columns[col].name;
        dashes << QString(width, u'-');
    }
    const std::vector<bool> namesLeft(columns.size(), false);
    out.line(formatRow(names, widths, namesLeft));
    out.line(dashes.join(u' '));

    long long count = 0;
    for (const QStringList &row : firstRows) {
        out.line(formatRow(row, widths, rightAligned));
        ++count;
    }
    while (more && statement.fetch()) {
        out.line(formatRow(readRow(statement), widths, rightAligned));
        ++count;
    }
    out.line();
    out.line(QStringLiteral("  %1 record(s) selected.").arg(count));
    return statement.result() != cli::kError;
}

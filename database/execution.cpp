#include "database/execution.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/quoting.h"
#include "core/result_grid.h"
#include "core/window_interface.h"
#include "database/cli/cli.h"
#include "database/number_fit.h"
#include "database/result_set.h"
#include "database/session.h"

#include <QElapsedTimer>
#include <QStringList>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr int kGridStartRows = 1000;
constexpr int kMaxColumnSize = 4000;
constexpr int kRowNumberColumnTwips = 500;
constexpr int kLeft = 1;
constexpr int kRight = 7;

// Seconds as plain decimal text: no exponent, no trailing zeros.
QString plainSeconds(double seconds) {
    QString text = QString::number(seconds, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

struct Layout {
    int alignment = kLeft;
    int width = 0;
};

Layout layoutForType(int type, int size, int decimals) {
    switch (type) {
    case cli::kTypeChar:
    case cli::kTypeVarchar:
    case cli::kTypeXml:
        return {kLeft, size};
    case cli::kTypeNumeric:
    case cli::kTypeDecimal:
        return {kRight, size + 2};
    case cli::kTypeInteger:
        return {kRight, 11};
    case cli::kTypeSmallint:
        return {kRight, 6};
    case cli::kTypeBigint:
        return {kRight, 20};
    case cli::kTypeDecfloat:
        return {kRight, size == 16 ? 24 : 42};
    case cli::kTypeFloat:
    case cli::kTypeDouble:
        return {kRight, 22};
    case cli::kTypeReal:
        return {kRight, 13};
    case cli::kTypeTime:
        return {kRight, 8};
    case cli::kTypeDate:
        return {kRight, 10};
    case cli::kTypeTimestamp:
        return {kRight, decimals == 0 ? 19 : decimals + 20};
    default:
        return {kLeft, size};
    }
}

// The width a COLUMN format gives ("A30" -> 30, "99999" -> 5), or 0.
int formatWidth(const QString &columnName) {
    const std::optional<QString> kept = lookupValue(QLatin1Char('$') + columnName);
    if (!kept) return 0;
    const QString &format = *kept;
    if (format.startsWith(QLatin1Char('A'), Qt::CaseInsensitive)) return format.mid(1).toInt();
    return static_cast<int>(format.size());
}

QString fitLeft(const QString &value, int width) {
    return value.leftJustified(width, QLatin1Char(' '), true);
}

// A number too wide for its column is rounded to fit, never cut into another number;
// other text keeps its beginning.
QString fitRight(const QString &value, int width) {
    if (value.size() <= width) return value.rightJustified(width, QLatin1Char(' '));
    const QString number = numberInWidth(value, width);
    return number.isEmpty() ? value.left(width) : number.rightJustified(width, QLatin1Char(' '));
}

// An XML value loses its declaration.
QString withoutDeclaration(const QString &value) {
    if (!value.startsWith(QLatin1String("<?xml"))) return value;
    const qsizetype end = value.indexOf(QLatin1String("?>"), 5);
    return end < 0 ? value : value.mid(end + 2);
}

// Ends a grid load that stopped before any row: the grid is shown again, empty.
void restoreGrid(ResultGrid *grid) {
    if (!grid) return;
    grid->setRows(1);
    grid->setGridVisible(true);
    grid->showRunning(false);
}

class SqlRun {
public:
    SqlRun(ResultGrid *grid, SessionState &session, FetchBuffer &buffer, RunOutcome &outcome,
           const Settings &settings)
        : grid_(grid), gridMode_(settings.gridMode && grid), session_(session), buffer_(buffer),
          outcome_(outcome), settings_(settings) {}

    void run(const QString &statement, bool showResults);

private:
    bool describeAndBind(int columns);
    void fetchRows();
    ResultValue fetchedValue(int column) const;
    QString cellValue(int column, int row) const;
    QString textLine(const std::vector<ResultValue> &values) const;
    QString withTime(const QString &message) const { return withElapsed(message, elapsed_); }

    ResultGrid *grid_;
    bool gridMode_;
    SessionState &session_;
    FetchBuffer &buffer_;
    RunOutcome &outcome_;
    const Settings &settings_;
    int limit_ = 0;
    QElapsedTimer timer_;
    double elapsed_ = 0;
    std::vector<int16_t> sqlTypes_;
    std::shared_ptr<ResultSet> result_ = std::make_shared<ResultSet>();
    QStringList headers_, separators_;
    bool cutLines_ = false;
    int boundEnd_ = 1; // first byte after the bound columns
    // Bound with the columns: the call-level interface writes them on every fetch.
    std::array<int32_t, kMaxResultColumns + 1> lengthIndicators_{};

    // Only the bound bytes can hold anything of the last row.
    void clearFetchBuffer() const {
        std::fill(buffer_.fetchBuffer.begin() + 1, buffer_.fetchBuffer.begin() + boundEnd_, '\0');
    }
};

void SqlRun::run(const QString &statement, bool showResults) {
    reportValue(QStringLiteral("ROWS"), QStringLiteral("0"));
    reportValue(QStringLiteral("TIME"), QStringLiteral("0"));
    if (gridMode_) {
        grid_->setRows(kGridStartRows);
        limit_ = settings_.maxRows;
    } else {
        limit_ = settings_.maxDisplay;
    }
    outcome_.resultText.clear();
    outcome_.lastResult.reset();
    outcome_.resultTableLength = 0;

    QString text = statement.trimmed();
    if (text.endsWith(QLatin1Char(';'))) text.chop(1);
    if (text.trimmed().isEmpty()) return;

    session_.lastRc = cli::SQLAllocStmt(session_.connHandle, &session_.stmtHandle);
    if (session_.lastRc == cli::kSuccess)
        session_.lastRc =
            cli::SQLSetStmtAttr(session_.stmtHandle, cli::kAttrNoScan, 1, cli::kNullTerminated);
    // One row past the limit, so "Maximum rows" still shows, and a driver reads no more.
    if (session_.lastRc == cli::kSuccess)
        cli::SQLSetStmtAttr(session_.stmtHandle, cli::kAttrMaxRows, limit_ + 1,
                            cli::kNullTerminated);
    timer_.start();
    int executed = session_.lastRc;
    if (executed == cli::kSuccess) {
        const QByteArray bytes = text.toUtf8();
        executed = cli::SQLExecDirect(session_.stmtHandle, bytes.constData(),
                                      static_cast<int>(bytes.size()));
        session_.lastRc = executed;
    }
    if (executed < 0) {
        reportCliError(session_);
        if (gridMode_) grid_->setRows(0);
        return;
    }
    if (executed == cli::kSuccessWithInfo) collectServerNotices(session_);
    elapsed_ = timer_.nsecsElapsed() / 1e9;
    int16_t columns = 0;
    cli::SQLNumResultCols(session_.stmtHandle, &columns);
    reportValue(QStringLiteral("TIME"), plainSeconds(elapsed_));
    outcome_.elapsedSeconds = elapsed_;

    if (!showResults || columns <= 0) {
        Norq_close(session_);
        if (executed == cli::kNoData) {
            session_.errorFlag = true;
            setMessage(false, 0, 12, QString(), QStringLiteral("Norq_sql"));
        } else {
            setMessage(true, 0, 0, withTime(QStringLiteral("Command completed.")),
                       QStringLiteral("Norq_sql"));
        }
        return;
    }
    columns = std::min<int16_t>(columns, kMaxResultColumns);
    if (gridMode_) {
        grid_->setGridVisible(false);
        grid_->clear();
        grid_->setCols(columns + 1);
        grid_->setColWidth(0, kRowNumberColumnTwips);
        grid_->setColAlignment(0, kRight);
        grid_->showRunning(false);
        grid_->showRunning(true);
    }
    if (buffer_.columnWidthLimit == 0) buffer_.columnWidthLimit = settings_.columnSize;
    if (!describeAndBind(columns)) return;
    fetchRows();
}

bool SqlRun::describeAndBind(int columns) {
    int offset = 1;
    const int limit = buffer_.columnWidthLimit;
    for (int c = 1; c <= columns; ++c) {
        char nameBuffer[257];
        std::fill(std::begin(nameBuffer), std::end(nameBuffer), ' ');
        int16_t nameLength = 0, type = 0, decimals = 0, nullable = 0;
        uint32_t size = 0;
        cli::SQLDescribeCol(session_.stmtHandle, static_cast<int16_t>(c), nameBuffer, 128,
                            &nameLength, &type, &size, &decimals, &nullable);
        const QString name = QString::fromUtf8(nameBuffer, std::clamp<int>(nameLength, 0, 127));
        ColumnDescriptor &column = buffer_.columnTable[c];
        result_->columns.push_back({name, type, static_cast<int>(size), decimals});
        if (type == cli::kTypeXml || size > kMaxColumnSize) size = kMaxColumnSize;
        column.bindLength = static_cast<int>(size) + 16;
        column.sqlType = type;

        Layout layout = layoutForType(type, static_cast<int>(size), decimals);
        const int format = formatWidth(name);
        const bool formatted = format > 0;
        if (formatted) layout.width = format;
        const bool fullWidth = limit >= layout.width || layout.alignment == kRight || formatted;
        column.width =
            std::max<int>(fullWidth ? layout.width : limit, static_cast<int>(name.size()));
        column.alignment = layout.alignment;

        if (grid_) grid_->setTextMatrix(0, c, name);
        if (gridMode_) {
            int twips =
                grid_->textWidthTwips(QString(fullWidth ? layout.width : limit, QLatin1Char('O'))) +
                100;
            twips = std::max(twips, grid_->textWidthTwips(name) + 100);
            grid_->setColWidth(c, twips);
            grid_->setColAlignment(c, layout.alignment);
        } else {
            headers_ << fitLeft(name, column.width);
            separators_ << QString(column.width, QLatin1Char('-'));
        }

        // The row buffer is shared by all columns: a row too wide for it is refused
        // before anything is bound past its end.
        if (offset + column.bindLength >= kFetchBufferSize) {
            setMessage(false, 0, 28, QString(), QStringLiteral("Norq_sql"));
            Norq_close(session_);
            if (gridMode_) restoreGrid(grid_);
            return false;
        }
        column.offset = offset;
        if (cli::SQLBindCol(session_.stmtHandle, static_cast<int16_t>(c), cli::kCChar,
                            &buffer_.fetchBuffer[offset], column.bindLength,
                            &lengthIndicators_[c]) == cli::kError) {
            Norq_error(session_);
            Norq_close(session_);
            if (gridMode_) restoreGrid(grid_);
            return false;
        }
        offset += column.bindLength;
        boundEnd_ = offset;
    }
    sqlTypes_.resize(columns + 1);
    for (int c = 1; c <= columns; ++c)
        sqlTypes_[c] = static_cast<int16_t>(buffer_.columnTable[c].sqlType);

    if (!gridMode_) {
        const QString header = headers_.join(QLatin1Char(' '));
        const QString separator = separators_.join(QLatin1Char(' '));
        const int width = settings_.sqlLineWidth;
        cutLines_ = header.size() > width;
        outcome_.resultText = cutLines_ ? header.left(width) + QStringLiteral("...") +
                                              QLatin1Char('\r') + separator.left(width)
                                        : header + QLatin1Char('\r') + separator;
    }
    return true;
}

// A column's value of the fetched row as the database gave it.
ResultValue SqlRun::fetchedValue(int c) const {
    if (lengthIndicators_[c] == cli::kNullData) return std::nullopt;
    const ColumnDescriptor &column = buffer_.columnTable[c];
    const char *first = &buffer_.fetchBuffer[column.offset];
    const int available = std::min(column.bindLength, kFetchBufferSize - column.offset + 1);
    // A value the buffer held whole may hold a NUL: its length says where it ends.
    const int32_t length = lengthIndicators_[c];
    if (length >= 0 && length < available) return QString::fromUtf8(first, length);
    return QString::fromUtf8(first, static_cast<qsizetype>(strnlen(first, available)));
}

// A column's value of the fetched row as shown: XML without its declaration, "-" for
// nothing. The first value of the first row becomes RESULT.
QString SqlRun::cellValue(int c, int row) const {
    const ColumnDescriptor &column = buffer_.columnTable[c];
    QString value = bytesToText(buffer_, column.offset, column.bindLength);
    if (row == 1 && c == 1) reportValue(QStringLiteral("RESULT"), value.trimmed());
    if (sqlTypes_[c] == cli::kTypeXml) value = withoutDeclaration(value);
    if (value.isEmpty()) value = QStringLiteral("-");
    return value;
}

// One row of the fixed-width text, each value fitted to its column.
QString SqlRun::textLine(const std::vector<ResultValue> &values) const {
    QStringList cells;
    for (int c = 1; c <= static_cast<int>(values.size()); ++c) {
        const ColumnDescriptor &column = buffer_.columnTable[c];
        QString value = values[c - 1].value_or(QString());
        if (value.contains(u'\n')) value.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        if (sqlTypes_[c] == cli::kTypeXml) value = withoutDeclaration(value);
        if (value.isEmpty()) value = QStringLiteral("-");
        cells << (column.alignment == kRight ? fitRight(value, column.width)
                                             : fitLeft(value, column.width));
    }
    const QString line = cells.join(QLatin1Char(' '));
    return cutLines_ ? line.left(settings_.sqlLineWidth) + QStringLiteral("...") : line;
}

void SqlRun::fetchRows() {
    const int columns = static_cast<int>(sqlTypes_.size()) - 1;
    clearFetchBuffer();
    int rows = 0;
    int rc = cli::SQLFetch(session_.stmtHandle);
    if (rc == cli::kNoData) {
        session_.errorFlag = true;
        setMessage(false, 0, 12, QString(), QStringLiteral("Norq_sql"));
        if (gridMode_) restoreGrid(grid_);
        outcome_.resultText += QStringLiteral("\r\r") + engine.messages[12];
        Norq_close(session_);
        return;
    }
    if (rc != cli::kSuccess && rc != cli::kSuccessWithInfo) {
        if (gridMode_) restoreGrid(grid_);
        reportCliError(session_);
        outcome_.resultText.clear();
        return;
    }
    outcome_.resultKind = kResultRows;
    if (grid_) grid_->setTextMatrix(0, 0, QStringLiteral("#"));
    bool limitHit = false;
    while (rc == cli::kSuccess || rc == cli::kSuccessWithInfo) {
        if (rows % 100 == 0) engine.ui->processEvents();
        if (rows >= limit_) {
            limitHit = true;
            break;
        }
        ++rows;
        if (gridMode_) grid_->setRow(rows);
        if (gridMode_) {
            // The row number, then each value.
            std::vector<QString> cells;
            cells.reserve(columns + 1);
            cells.push_back(QString::number(rows));
            for (int c = 1; c <= columns; ++c)
                cells.push_back(cellValue(c, rows));
            grid_->addCells(std::move(cells), rows);
        } else {
            std::vector<ResultValue> values;
            values.reserve(columns);
            for (int c = 1; c <= columns; ++c)
                values.push_back(fetchedValue(c));
            if (rows == 1) {
                QString first = values[0].value_or(QString());
                first.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
                reportValue(QStringLiteral("RESULT"), first.trimmed());
            }
            result_->rows.push_back(std::move(values));
        }
        clearFetchBuffer();
        rc = cli::SQLFetch(session_.stmtHandle);
    }

    const bool fetchFailed =
        rc != cli::kSuccess && rc != cli::kSuccessWithInfo && rc != cli::kNoData;
    if (!gridMode_) {
        for (const std::vector<ResultValue> &values : result_->rows)
            outcome_.resultText += QLatin1Char('\r') + textLine(values);
        result_->more = limitHit;
        outcome_.resultTableLength = static_cast<int>(outcome_.resultText.size());
        outcome_.lastResult = result_;
    }
    if (limitHit && gridMode_)
        outcome_.resultText += QStringLiteral("\rMaximum rows (1000) exceeded.");
    if (gridMode_) grid_->setRows(rows + 1);
    elapsed_ = timer_.nsecsElapsed() / 1e9;
    outcome_.elapsedSeconds = elapsed_;
    reportValue(QStringLiteral("TIME"), plainSeconds(elapsed_));
    if (gridMode_) {
        grid_->setFixedRows(1);
        grid_->setFixedCols(1);
        grid_->setLeftCol(0);
        grid_->setTopRow(1);
        grid_->setGridVisible(true);
        grid_->showRunning(false);
        grid_->bringToFront();
    }
    reportValue(QStringLiteral("ROWS"), QString::number(rows));
    reportValue(QStringLiteral("TIME"), plainSeconds(elapsed_));
    const QString count = QString::number(rows);
    const QString message =
        !gridMode_ && limitHit
            ? withTime(QStringLiteral("Only ") + count + QStringLiteral(" record(s) shown."))
            : withTime(count + QStringLiteral(" record(s) selected."));
    if (fetchFailed) {
        // The rows before the failure stay shown; the failure is the statement's outcome.
        reportCliError(session_);
        if (!gridMode_) outcome_.resultText += QStringLiteral("\r\r") + engine.msgText;
        return;
    }
    if (!gridMode_) outcome_.resultText += QStringLiteral("\r\r") + message;
    setMessage(true, 0, 0, message, QStringLiteral("Norq_sql"));
    Norq_close(session_);
}

} // namespace

QString bytesToText(const FetchBuffer &buffer, int start, int length) {
    if (start < 1 || length <= 0 || start > kFetchBufferSize) return {};
    const int end = std::min(start + length - 1, kFetchBufferSize);
    const char *first = &buffer.fetchBuffer[start];
    const int available = end - start + 1;
    const int used = static_cast<int>(strnlen(first, available));
    QString text = QString::fromUtf8(first, used);
    if (std::memchr(first, '\n', used)) text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

int Norq_sql(QString &sql, bool showResults, ResultGrid *grid, bool checkConnection) {
    reportValue(QStringLiteral("RESULT"), QString());
    if (checkConnection && !engine.connected) {
        engine.stopRun = true;
        setMessage(false, -1, 13, QString(), QStringLiteral("Norq_sql"));
        return 0;
    }
    SqlRun run(grid, engine, engine, engine, engine);
    run.run(sql, showResults);
    return 0;
}

void adminCommand(const QString &command, ResultGrid *grid) {
    QString sql =
        QStringLiteral("CALL ADMIN_CMD(") + sqlLiteral(command + u' ') + QStringLiteral(")");
    Norq_sql(sql, true, grid, false);
}

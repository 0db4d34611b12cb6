#pragma once
// A query's result as data: its columns as the database described them and the fetched
// rows with every value as fetched, NULL kept apart from an empty text. The fixed-width
// text of a result row, the exports and the data files are all written from it.

#include <QString>
#include <optional>
#include <vector>

struct ResultColumn {
    QString name;
    int type = 0; // the call-level interface's type code (cli::kType...)
    int size = 0; // as described, before any cap for binding
    int decimals = 0;
};

using ResultValue = std::optional<QString>; // nullopt: NULL

struct ResultSet {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<ResultValue>> rows;
    // More rows were there than the fetch limit let in.
    bool more = false;

    // Exact and approximate numbers: written as numbers where a format has them.
    bool isNumeric(int column) const;
};

// Whether a type code stands for a number.
bool isNumericType(int type);

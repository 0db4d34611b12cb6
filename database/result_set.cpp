#include "database/result_set.h"

#include "database/cli/cli.h"

bool isNumericType(int type) {
    switch (type) {
    case cli::kTypeNumeric:
    case cli::kTypeDecimal:
    case cli::kTypeInteger:
    case cli::kTypeSmallint:
    case cli::kTypeBigint:
    case cli::kTypeDecfloat:
    case cli::kTypeFloat:
    case cli::kTypeDouble:
    case cli::kTypeReal:
        return true;
    default:
        return false;
    }
}

bool ResultSet::isNumeric(int column) const {
    return column >= 0 && column < static_cast<int>(columns.size()) &&
           isNumericType(columns[column].type);
}

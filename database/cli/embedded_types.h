#pragma once
// Type codes, sizes and decimals of the embedded engine's columns, from their declared
// types (CHAR(10), DECIMAL(9,2), TIMESTAMP(3), BLOB(1M) ...).

#include <QString>
#include <cstdint>
#include <optional>

namespace cli {

struct DeclaredType {
    int16_t type = 12;
    uint32_t size = 0;
    int16_t decimals = 0;
    QString name;              // the base type name, upper case ("VARCHAR", "DECIMAL" ...)
    bool explicitSize = false; // the declaration gave a length or precision
};

// The type a declaration names, or nothing for declarations outside the known set
// (their columns are typed from their values).
std::optional<DeclaredType> parseDeclaredType(const QString &declaration);

} // namespace cli

#include "database/cli/embedded_types.h"

#include "database/cli/cli.h"

#include <QRegularExpression>

namespace cli {
namespace {

struct Arguments {
    bool present = false;
    uint32_t first = 0;
    int16_t second = 0;
};

// "(12)", "(9,2)", "(1M)", "(64 K)" after the type name.
Arguments parseArguments(const QString &text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*\(\s*(\d+)\s*([KMG])?\s*(?:,\s*(\d+)\s*)?\))"),
        QRegularExpression::CaseInsensitiveOption);
    Arguments args;
    const auto match = pattern.match(text);
    if (!match.hasMatch()) return args;
    args.present = true;
    uint64_t value = match.captured(1).toULongLong();
    const QString unit = match.captured(2).toUpper();
    if (unit == QLatin1String("K")) value *= 1024;
    if (unit == QLatin1String("M")) value *= 1024 * 1024;
    if (unit == QLatin1String("G")) value *= 1024ull * 1024 * 1024;
    args.first = static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX));
    if (!match.captured(3).isEmpty()) args.second = static_cast<int16_t>(match.captured(3).toInt());
    return args;
}

struct Known {
    const char *name;
    int16_t type;
    uint32_t defaultSize;
};

// Longest names first, so "DOUBLE PRECISION" wins over "DOUBLE".
constexpr Known kKnownTypes[] = {
    {"CHARACTER VARYING", kTypeVarchar, 1},
    {"CHAR VARYING", kTypeVarchar, 1},
    {"DOUBLE PRECISION", kTypeDouble, 15},
    {"TIMESTAMP", kTypeTimestamp, 26},
    {"CHARACTER", kTypeChar, 1},
    {"SMALLINT", kTypeSmallint, 5},
    {"DECFLOAT", kTypeDecfloat, 34},
    {"DECIMAL", kTypeDecimal, 5},
    {"NUMERIC", kTypeNumeric, 5},
    {"INTEGER", kTypeInteger, 10},
    {"VARCHAR", kTypeVarchar, 1},
    {"BIGINT", kTypeBigint, 19},
    {"DOUBLE", kTypeDouble, 15},
    {"FLOAT", kTypeFloat, 15},
    {"REAL", kTypeReal, 7},
    {"DATE", kTypeDate, 10},
    {"TIME", kTypeTime, 8},
    {"BLOB", kTypeBlob, 1048576},
    {"CLOB", kTypeClob, 1048576},
    {"CHAR", kTypeChar, 1},
    {"DEC", kTypeDecimal, 5},
    {"INT", kTypeInteger, 10},
    {"NUM", kTypeNumeric, 5},
    {"XML", kTypeXml, 0},
};

QString canonicalName(const char *name) {
    const QString n = QString::fromLatin1(name);
    if (n == QLatin1String("CHARACTER VARYING") || n == QLatin1String("CHAR VARYING"))
        return QStringLiteral("VARCHAR");
    if (n == QLatin1String("CHARACTER")) return QStringLiteral("CHAR");
    if (n == QLatin1String("DOUBLE PRECISION")) return QStringLiteral("DOUBLE");
    if (n == QLatin1String("DEC")) return QStringLiteral("DECIMAL");
    if (n == QLatin1String("INT")) return QStringLiteral("INTEGER");
    if (n == QLatin1String("NUM")) return QStringLiteral("NUMERIC");
    return n;
}

void applyArguments(DeclaredType &t, const Arguments &args) {
    t.explicitSize = args.present;
    switch (t.type) {
    case kTypeDecimal:
    case kTypeNumeric:
        if (args.present) {
            t.size = std::clamp<uint32_t>(args.first, 1, 31);
            t.decimals = args.second;
        }
        break;
    case kTypeTimestamp: {
        const int precision = args.present ? std::min<int>(args.first, 12) : 6;
        t.decimals = static_cast<int16_t>(precision);
        t.size = precision == 0 ? 19 : 20 + precision;
        break;
    }
    case kTypeDecfloat:
        t.size = args.present && args.first == 16 ? 16 : 34;
        break;
    case kTypeFloat:
        // FLOAT(n) up to 24 bits of precision is single precision.
        if (args.present && args.first <= 24) {
            t.type = kTypeReal;
            t.size = 7;
        }
        break;
    case kTypeChar:
    case kTypeVarchar:
    case kTypeBlob:
    case kTypeClob:
        if (args.present) t.size = args.first;
        break;
    default:
        break;
    }
}

} // namespace

std::optional<DeclaredType> parseDeclaredType(const QString &declaration) {
    const QString decl = declaration.simplified().toUpper();
    for (const Known &known : kKnownTypes) {
        const QString name = QString::fromLatin1(known.name);
        if (!decl.startsWith(name)) continue;
        const QString rest = decl.mid(name.size());
        // A longer word ("INTERVAL", "DATETIME", "CHARSET") is another type.
        if (!rest.isEmpty() && (rest[0].isLetterOrNumber() || rest[0] == QLatin1Char('_')))
            continue;
        DeclaredType t;
        t.type = known.type;
        t.size = known.defaultSize;
        t.name = canonicalName(known.name);
        applyArguments(t, parseArguments(rest));
        return t;
    }
    return std::nullopt;
}

} // namespace cli

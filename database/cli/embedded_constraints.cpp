#include "database/cli/embedded_constraints.h"

#include "core/sql_scanner.h"
#include "database/cli/cli.h"
#include "database/cli/embedded_dialect.h"
#include "database/cli/embedded_types.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace cli {
namespace {

constexpr auto kPrefix = "PAVONA_";

struct Rule {
    const char *state;
    QString check;
};

// Every rule lets NULL pass (a CHECK fails only when false) and is as few expression
// nodes as it can be: the engine copies and compiles each CHECK for every INSERT it
// prepares, which made them most of a long dump's time. A column's rules are checked in
// order and the first that fails names the state, so a range rule meets only numbers.
const QString kDatePattern = QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]");

// The value is a number after the column's affinity: numbers sort before every text, and
// '' is the least text in every built-in collation; blobs sort after texts.
QString numeric(const QString &c) {
    return QStringLiteral("%1 < ''").arg(c);
}

QString inRange(const QString &c, const QString &low, const QString &high) {
    return QStringLiteral("%1 BETWEEN %2 AND %3").arg(c, low, high);
}

QList<Rule> rulesFor(const DeclaredType &t, const QString &c) {
    QList<Rule> rules;
    switch (t.type) {
    case kTypeChar:
    case kTypeVarchar:
    case kTypeClob:
        // A length-less VARCHAR or CLOB is the engine's unbounded text.
        if (t.explicitSize || t.type == kTypeChar)
            rules.append(
                {"22001", QStringLiteral("length(%1) <= %2").arg(c, QString::number(t.size))});
        break;
    case kTypeSmallint:
        rules.append({"22018", numeric(c)});
        rules.append({"22003", inRange(c, QStringLiteral("-32768"), QStringLiteral("32767"))});
        break;
    case kTypeInteger:
        rules.append({"22018", numeric(c)});
        rules.append(
            {"22003", inRange(c, QStringLiteral("-2147483648"), QStringLiteral("2147483647"))});
        break;
    case kTypeDecimal:
    case kTypeNumeric: {
        rules.append({"22018", numeric(c)});
        const int whole = std::max<int>(0, static_cast<int>(t.size) - t.decimals);
        rules.append({"22003", QStringLiteral("abs(%1) < 1e%2").arg(c, QString::number(whole))});
        break;
    }
    case kTypeBigint:
    case kTypeFloat:
    case kTypeReal:
    case kTypeDouble:
    case kTypeDecfloat:
        rules.append({"22018", numeric(c)});
        break;
    case kTypeDate:
        rules.append(
            {"22007",
             QStringLiteral("%1 GLOB '%2' AND date(%1, '+0 days') IS %1").arg(c, kDatePattern)});
        break;
    case kTypeTime:
        // NULL GLOB ... AND time(NULL) IS NOT NULL is false, not NULL.
        rules.append({"22007", QStringLiteral("%1 IS NULL OR (%1 GLOB '[0-9][0-9]:[0-9][0-9]*' "
                                              "AND time(%1) IS NOT NULL)")
                                   .arg(c)});
        break;
    case kTypeTimestamp:
        rules.append({"22007", QStringLiteral("%1 GLOB '%2*' AND "
                                              "date(%1, '+0 days') IS substr(%1, 1, 10)")
                                   .arg(c, kDatePattern)});
        break;
    default:
        break;
    }
    return rules;
}

QString quotedIdentifier(QString name) {
    name.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// The column name of a definition ("NAME VARCHAR(3) NOT NULL", "\"a b\" INT") and the
// rest, or nothing for a table constraint.
bool splitDefinition(const QString &definition, QString &name, QString &rest) {
    const QString d = definition.trimmed();
    if (d.startsWith(QLatin1Char('"'))) {
        const qsizetype end = closingQuoteEnd(d, 1, QLatin1Char('"'));
        if (end < 0) return false;
        name = d.mid(1, end - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
        rest = d.mid(end);
        return true;
    }
    static const QRegularExpression word(QStringLiteral(R"(^([A-Za-z_][A-Za-z0-9_$#@]*)(.*)$)"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const auto match = word.match(d);
    if (!match.hasMatch()) return false;
    static const QStringList tableConstraints = {
        QStringLiteral("CONSTRAINT"), QStringLiteral("PRIMARY"), QStringLiteral("UNIQUE"),
        QStringLiteral("CHECK"), QStringLiteral("FOREIGN")};
    name = match.captured(1);
    if (tableConstraints.contains(name.toUpper())) return false;
    rest = match.captured(2);
    return true;
}

QString constrainedDefinition(const QString &definition) {
    QString name, rest;
    if (!splitDefinition(definition, name, rest)) return definition;
    const auto type = parseDeclaredType(rest);
    if (!type) return definition;
    QString out = definition;
    const QString column = quotedIdentifier(name);
    for (const Rule &rule : rulesFor(*type, column))
        out += QStringLiteral(" CONSTRAINT %1 CHECK (%2)")
                   .arg(quotedIdentifier(QLatin1String(kPrefix) + QLatin1String(rule.state) +
                                         QLatin1Char('_') + name),
                        rule.check);
    return out;
}

} // namespace

QString withTypeConstraints(const QString &sql) {
    static const QRegularExpression create(
        QStringLiteral(R"(^\s*CREATE\s+(?:TEMP(?:ORARY)?\s+)?TABLE\s+(?:IF\s+NOT\s+EXISTS\s+)?)"
                       R"((?:"[^"]*"|[^\s("]+)(?:\.(?:"[^"]*"|[^\s("]+))?\s*\()"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = create.match(sql);
    if (!match.hasMatch()) return sql;
    const qsizetype open = match.capturedEnd() - 1;
    const qsizetype close = closingParenthesis(sql, open);
    const QString body = sql.mid(open + 1, close - open - 1);
    // Comments could hide commas and parentheses: such a statement is left as written.
    if (close < 0 || body.contains(QLatin1String("--")) || body.contains(QLatin1String("/*")))
        return sql;
    QStringList definitions;
    for (const QString &definition : splitTopLevel(body))
        definitions << constrainedDefinition(definition);
    return sql.left(open + 1) + definitions.join(QLatin1Char(',')) + sql.mid(close);
}

ConstraintFailure typeConstraintFailure(const QString &engineMessage) {
    static const QRegularExpression failed(
        QStringLiteral(R"(CHECK constraint failed: PAVONA_(\d{5})_(.*)$)"));
    ConstraintFailure failure;
    const auto match = failed.match(engineMessage);
    if (!match.hasMatch()) return failure;
    const QString state = match.captured(1);
    const QString column = match.captured(2);
    struct Known {
        const char *state;
        int32_t native;
        const char *text;
    };
    static constexpr Known known[] = {
        {"22001", -302, "The value for column \"%1\" is too long for its declared length."},
        {"22018", -420, "The value for column \"%1\" is not a valid number."},
        {"22003", -413, "The value for column \"%1\" is out of range for its declared type."},
        {"22007", -181, "The value for column \"%1\" is not a valid date, time or timestamp."},
    };
    for (const Known &k : known) {
        if (state != QLatin1String(k.state)) continue;
        failure.found = true;
        failure.state = k.state;
        failure.native = k.native;
        failure.text =
            QString::fromLatin1(k.text).arg(column) + QStringLiteral("  SQLSTATE=") + state;
    }
    return failure;
}

} // namespace cli

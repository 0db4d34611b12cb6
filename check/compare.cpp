#include "check/compare.h"

#include <algorithm>
#include <cmath>

namespace snapshot {

namespace {

// Beyond this many cells the middle of two lists is paired by position instead.
constexpr long long kMostCells = 4'000'000;

bool sameValue(const ResultValue &a, const ResultValue &b, bool approximate, double tolerance) {
    if (!a || !b) return !a && !b;
    if (*a == *b) return true;
    if (!approximate) return false;
    bool okA = false;
    bool okB = false;
    const double x = a->trimmed().toDouble(&okA);
    const double y = b->trimmed().toDouble(&okB);
    if (!okA || !okB) return false;
    return std::fabs(x - y) <= tolerance * std::max(std::fabs(x), std::fabs(y));
}

// "-" expected, "+" got, " " both; an unchanged line shows only next to a change.
void addDiff(QStringList &out, const QStringList &expected, const QStringList &got,
             const std::function<bool(int, int)> &same) {
    const auto pairs = align(static_cast<int>(expected.size()), static_cast<int>(got.size()), same);
    const auto changed = [&](size_t k) {
        return k < pairs.size() && (pairs[k].first < 0 || pairs[k].second < 0);
    };
    bool skipped = false;
    for (size_t k = 0; k < pairs.size(); ++k) {
        const auto [e, g] = pairs[k];
        if (e >= 0 && g >= 0) {
            if (changed(k + 1) || (k > 0 && changed(k - 1))) {
                out << QStringLiteral("     ") + expected.at(e);
                skipped = false;
            } else if (!skipped) {
                out << QStringLiteral("    ...");
                skipped = true;
            }
        } else {
            out << (e >= 0 ? QStringLiteral("    -") + expected.at(e)
                           : QStringLiteral("    +") + got.at(g));
            skipped = false;
        }
    }
}

void addLineDiff(QStringList &out, const QStringList &expected, const QStringList &got) {
    addDiff(out, expected, got, [&](int e, int g) { return expected.at(e) == got.at(g); });
}

QString failureName(const Output &output) {
    return output.sqlState.isEmpty() ? QString::number(output.code) : output.sqlState;
}

QString firstMessageLine(const Output &output) {
    for (const QString &line : output.message)
        if (!line.trimmed().isEmpty()) return line.trimmed();
    return {};
}

QString kindName(const Output &output) {
    switch (output.kind) {
    case Output::Kind::result:
        return QStringLiteral("a result");
    case Output::Kind::chart:
        return QStringLiteral("a chart");
    case Output::Kind::message:
        break;
    }
    return QStringLiteral("a message");
}

void compareResults(QStringList &out, const Output &expected, const Output &got, double tolerance) {
    QStringList expectedLines{resultLine({expected.columns.cbegin(), expected.columns.cend()})};
    QStringList gotLines{resultLine({got.columns.cbegin(), got.columns.cend()})};
    for (const auto &row : expected.rows)
        expectedLines << resultLine(row);
    for (const auto &row : got.rows)
        gotLines << resultLine(row);
    const auto approximate = [&](size_t column) {
        return column < got.approximate.size() && got.approximate[column];
    };
    const auto same = [&](int e, int g) {
        if (e == 0 || g == 0) return e == g && expected.columns == got.columns;
        const auto &a = expected.rows[e - 1];
        const auto &b = got.rows[g - 1];
        if (a.size() != b.size()) return false;
        for (size_t c = 0; c < a.size(); ++c)
            if (!sameValue(a[c], b[c], approximate(c), tolerance)) return false;
        return true;
    };
    bool differs = expected.columns != got.columns || expected.rows.size() != got.rows.size();
    for (size_t r = 0; !differs && r < expected.rows.size(); ++r)
        differs = !same(static_cast<int>(r) + 1, static_cast<int>(r) + 1);
    if (differs) addDiff(out, expectedLines, gotLines, same);
    if (expected.more != got.more)
        out << (expected.more ? QStringLiteral("  expected more rows than fetched, got them all")
                              : QStringLiteral("  expected every row fetched, got more rows"));
    // The count line follows from the rows; it is compared only when they match.
    if (!differs && expected.message != got.message)
        addLineDiff(out, expected.message, got.message);
}

// What changed between two outputs, as indented lines; none when they match.
QStringList outputChanges(const Output &expected, const Output &got, double tolerance) {
    QStringList out;
    if (expected.failed() && !got.failed()) {
        out << QStringLiteral("  expected failure %1, got success").arg(failureName(expected));
        return out;
    }
    if (!expected.failed() && got.failed()) {
        out << QStringLiteral("  expected success, got failure %1: %2")
                   .arg(failureName(got), firstMessageLine(got));
        return out;
    }
    if (expected.failed()) {
        if (expected.code != got.code || expected.sqlState != got.sqlState)
            out << QStringLiteral("  expected failure %1, got failure %2: %3")
                       .arg(failureName(expected), failureName(got), firstMessageLine(got));
        return out;
    }
    if (expected.kind != got.kind) {
        out << QStringLiteral("  expected %1, got %2").arg(kindName(expected), kindName(got));
        if (got.kind != Output::Kind::chart && expected.kind != Output::Kind::chart)
            addLineDiff(out, expected.message, got.message);
        return out;
    }
    if (expected.kind == Output::Kind::result)
        compareResults(out, expected, got, tolerance);
    else if (expected.kind == Output::Kind::message && expected.message != got.message)
        addLineDiff(out, expected.message, got.message);
    return out;
}

} // namespace

QStringList statementChanges(const Statement &expected, const Statement &got, double tolerance) {
    QStringList out;
    if (expected.ran != got.ran) {
        out << QStringLiteral("  ran as:");
        addLineDiff(out, expected.ran.split(u'\n'), got.ran.split(u'\n'));
    }
    const size_t outputs = std::max(expected.outputs.size(), got.outputs.size());
    for (size_t i = 0; i < outputs; ++i) {
        if (i >= got.outputs.size()) {
            out << QStringLiteral("  expected %1, got none").arg(kindName(expected.outputs[i]));
            addLineDiff(out, expected.outputs[i].message, {});
        } else if (i >= expected.outputs.size()) {
            out << QStringLiteral("  expected no output, got %1").arg(kindName(got.outputs[i]));
            addLineDiff(out, {}, got.outputs[i].message);
        } else {
            out += outputChanges(expected.outputs[i], got.outputs[i], tolerance);
        }
    }
    return out;
}

std::vector<std::pair<int, int>> align(int expected, int got,
                                       const std::function<bool(int, int)> &same) {
    int head = 0;
    while (head < expected && head < got && same(head, head))
        ++head;
    int tail = 0;
    while (tail < expected - head && tail < got - head && same(expected - 1 - tail, got - 1 - tail))
        ++tail;
    const int n = expected - head - tail;
    const int m = got - head - tail;
    std::vector<std::pair<int, int>> pairs;
    for (int i = 0; i < head; ++i)
        pairs.emplace_back(i, i);
    if (static_cast<long long>(n + 1) * (m + 1) > kMostCells) {
        for (int i = 0; i < std::max(n, m); ++i)
            pairs.emplace_back(i < n ? head + i : -1, i < m ? head + i : -1);
    } else {
        // lengths[i][j]: the longest common subsequence of the middles from i and j on.
        std::vector<std::vector<int>> lengths(n + 1, std::vector<int>(m + 1, 0));
        for (int i = n - 1; i >= 0; --i)
            for (int j = m - 1; j >= 0; --j)
                lengths[i][j] = same(head + i, head + j)
                                    ? lengths[i + 1][j + 1] + 1
                                    : std::max(lengths[i + 1][j], lengths[i][j + 1]);
        int i = 0;
        int j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && same(head + i, head + j)) {
                pairs.emplace_back(head + i++, head + j++);
            } else if (i < n && (j == m || lengths[i + 1][j] >= lengths[i][j + 1])) {
                pairs.emplace_back(head + i++, -1); // what went before what came instead
            } else {
                pairs.emplace_back(-1, head + j++);
            }
        }
    }
    for (int k = tail; k > 0; --k)
        pairs.emplace_back(expected - k, got - k);
    return pairs;
}

QString CheckReport::summary() const {
    return QStringLiteral("pavona: check: %1 statement(s), %2 changed, %3 added, %4 removed")
        .arg(statements)
        .arg(changed)
        .arg(added)
        .arg(removed);
}

CheckReport compare(const Snapshot &expected, const Snapshot &got, double tolerance) {
    CheckReport report;
    report.statements = static_cast<int>(got.statements.size());
    const auto pairs = align(
        static_cast<int>(expected.statements.size()), static_cast<int>(got.statements.size()),
        [&](int e, int g) { return expected.statements[e].written == got.statements[g].written; });
    for (const auto &[e, g] : pairs) {
        if (e < 0 || g < 0) {
            const Statement &alone = e < 0 ? got.statements[g] : expected.statements[e];
            ++(e < 0 ? report.added : report.removed);
            report.lines << QStringLiteral("statement %1: %2. %3")
                                .arg(e < 0 ? QStringLiteral("added") : QStringLiteral("removed"))
                                .arg(alone.number)
                                .arg(firstLine(alone.written));
            continue;
        }
        const QStringList changes =
            statementChanges(expected.statements[e], got.statements[g], tolerance);
        if (changes.isEmpty()) continue;
        ++report.changed;
        report.lines << QStringLiteral("statement changed: %1. %2")
                            .arg(got.statements[g].number)
                            .arg(firstLine(got.statements[g].written));
        report.lines += changes;
    }
    return report;
}

} // namespace snapshot

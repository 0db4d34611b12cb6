#pragma once
// A run's outcomes against its snapshot. Statements are first aligned by their text as
// written, so that one added or removed is reported as such and the others still meet
// their own; matched pairs are then compared output by output: results by their values
// (approximate numbers within a relative tolerance), messages line by line, failures by
// their code alone (their messages vary with the server's wording).

#include "check/snapshot.h"

#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace snapshot {

inline constexpr double kDefaultTolerance = 1e-9;

struct CheckReport {
    QStringList lines;  // what changed, readable; empty when all matches
    int statements = 0; // of the run
    int changed = 0;
    int added = 0;
    int removed = 0;

    bool matches() const { return changed == 0 && added == 0 && removed == 0; }
    QString summary() const;
};

// How one statement's outcome differs from the snapshot's: readable lines (a diff of
// its rows and messages), empty when it matches.
QStringList statementChanges(const Statement &expected, const Statement &got,
                             double tolerance = kDefaultTolerance);

CheckReport compare(const Snapshot &expected, const Snapshot &got,
                    double tolerance = kDefaultTolerance);

// A longest common subsequence alignment of two lists: pairs of indexes in order, -1 on
// the side that has no counterpart.
std::vector<std::pair<int, int>> align(int expected, int got,
                                       const std::function<bool(int, int)> &same);

} // namespace snapshot

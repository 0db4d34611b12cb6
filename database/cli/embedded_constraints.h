#pragma once
// Declared column types enforced as a server enforces them: CREATE TABLE gets a named
// CHECK constraint per rule, and a failed one is reported with a server's SQLSTATE.

#include <QString>

namespace cli {

// The CREATE TABLE statement with the type constraints of its columns added; any other
// statement unchanged.
QString withTypeConstraints(const QString &sql);

struct ConstraintFailure {
    bool found = false;
    const char *state = "";
    int32_t native = 0;
    QString text;
};

// The server's diagnostic for the engine's "CHECK constraint failed: NAME" message
// when NAME is one of the type constraints.
ConstraintFailure typeConstraintFailure(const QString &engineMessage);

} // namespace cli

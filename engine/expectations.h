#pragma once
// Statements meant to fail: a "-- expect: error" comment (or "-- expect: error CODE",
// CODE a SQLSTATE or the database's own error number) ending a line of a statement's
// text, on a line of its own or after the statement, marks it. Such a
// statement that fails as said counts as a success; one that succeeds, or fails with
// another code, counts as a failure. The line is a comment to every database.

#include <QString>

struct ExpectedFailure {
    bool marked = false;
    QString code; // empty: any failure will do
};

// The mark in a run text, if any.
ExpectedFailure expectedFailure(const QString &text);

// Turns the outcome the run left in the engine state into the one the mark asks for.
void settleExpectedFailure(const ExpectedFailure &expected);

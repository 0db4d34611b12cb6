#pragma once
// Reading a run's outcome: which text each kind of result shows beside its message.

#include "core/engine_state.h"

// The text an outcome of text or server output shows (outputText, serverOutput); null for
// a message, rows or a picture, which show their message, grid or image instead.
const QString *shownText(const RunOutcome &outcome);
QString *shownText(RunOutcome &outcome);

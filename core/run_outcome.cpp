#include "core/run_outcome.h"

const QString *shownText(const RunOutcome &outcome) {
    switch (outcome.resultKind) {
    case kResultText:
        return &outcome.outputText;
    case kResultServerOutput:
        return &outcome.serverOutput;
    default:
        return nullptr;
    }
}

QString *shownText(RunOutcome &outcome) {
    return const_cast<QString *>(shownText(std::as_const(outcome)));
}

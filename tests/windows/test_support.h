#pragma once
// Shared set-up for the window tests: the engine started once, a window layer whose
// modal boxes answer from a queue, and embedded databases in a temporary catalog.

#include "core/engine_state.h"
#include "windows/qt_window_interface.h"

#include <QStringList>
#include <deque>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

// The real window layer except for the modal boxes, which never block a test.
class ScriptedWindows : public QtWindowInterface {
public:
    std::deque<bool> yesNoAnswers; // empty: No
    QStringList questions;
    QStringList messages;

    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    bool askYesNo(const QString &, const QString &text) override {
        questions << text;
        if (yesNoAnswers.empty()) return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    void messageBox(const QString &, const QString &text) override { messages << text; }
};

// Starts the engine once with its catalog in a temporary folder; returns the window layer.
ScriptedWindows &testWindows();
// Points the embedded catalog at a fresh empty folder (no ODBC data sources either).
void useEmptyCatalog();
// Creates an embedded database in the current catalog and runs the statements in it.
void createDatabase(const QString &name, const QStringList &statements = {});
// Creates the sample database SAMPLE from the project's creation script.
void createSampleDatabase();

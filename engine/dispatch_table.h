#pragma once
// Keyword -> handler table of the dispatcher. Handlers that live outside the engine core
// (runners, plan display, plotting) register themselves here, so adding them changes no
// dispatcher code.

#include <QString>
#include <functional>

class ResultGrid;
class QObject;

// What the window that started the run passed along.
struct CommandContext {
    ResultGrid *grid = nullptr; // result grid of the calling window (may be null)
    QObject *chart = nullptr;   // chart control of the calling window (may be null)
};

using CommandHandler = std::function<void(const CommandContext &)>;

// Registers, or replaces, the handler of an upper-case keyword.
void registerCommand(const QString &keyword, CommandHandler handler);
// The handler of a keyword, or null when it has none (such a statement does nothing).
const CommandHandler *findCommand(const QString &keyword);

#include "engine/dispatch_table.h"

#include <QHash>

namespace {

QHash<QString, CommandHandler> &handlers() {
    static QHash<QString, CommandHandler> table;
    return table;
}

} // namespace

void registerCommand(const QString &keyword, CommandHandler handler) {
    if (handler)
        handlers().insert(keyword.toUpper(), std::move(handler));
    else
        handlers().remove(keyword.toUpper());
}

const CommandHandler *findCommand(const QString &keyword) {
    const auto found = handlers().constFind(keyword);
    return found == handlers().constEnd() ? nullptr : &found.value();
}

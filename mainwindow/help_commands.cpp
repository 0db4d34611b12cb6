// The Help menu's entries.

#include "document/help_links.h"
#include "mainwindow/norqsql.h"

void NorqSQL::help_Click(const QString &entry) {
    const QString file = helpEntryFile(entry);
    if (!file.isEmpty()) openHelpFile(file);
}

#include "document/help_links.h"

#include "core/engine_state.h"
#include "document/norqhelp.h"

#include <QDir>
#include <QHash>

QString helpEntryFile(const QString &entry) {
    static const QHash<QString, QString> files{
        {"helpIntro", "norq-help-intro.norq"},
        {"helpPanels", "norq-help-menus.norq"},
        {"helpmFile", "norq-help-file.norq"},
        {"helpmSearch", "norq-help-search.norq"},
        {"helpmView", "norq-help-view.norq"},
        {"helpmOptions", "norq-help-options.norq"},
        {"helpviews", "norq-help-viewoverview.norq"},
        {"helpScriptMode", "norq-help-scriptview.norq"},
        {"helpEditMode", "norq-help-editview.norq"},
        {"helpTextMode", "norq-help-textmode.norq"},
        {"helpSQLMode", "norq-help-sql.norq"},
        {"helpSQLWindow", "norq-help-sqlwindow.norq"},
        {"helpSQLSupport", "norq-help-SQL-Support.norq"},
        {"helpCommandSupport", "norq-help-Commands.norq"},
        {"helpFormat", "norq-help-formats.norq"},
        {"helpLegal", "norq-help-disclaimer.norq"},
        {"helpAbout", "norq-help-about.norq"},
    };
    return files.value(entry);
}

QString helpFileNamed(const QString &name) {
    const QDir folder(engine.helpFolder.isEmpty() ? QDir::currentPath() : engine.helpFolder);
    if (folder.exists(name)) return name;
    const QStringList entries = folder.entryList(QDir::Files);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return name;
}

void openHelpFile(const QString &name) {
    showHelp(helpFileNamed(name));
}

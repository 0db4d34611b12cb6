// The menu bar, the three pop-up menus and the toolbar of the interactive panel.

#include "core/engine_state.h"
#include "mainwindow/norqsql.h"
#include "windows/toolbar_icons.h"

#include "engine/run_control.h"
#include "export/export.h"
#include "export/shared_exports.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

QAction *NorqSQL::menuEntry(const QString &name) const {
    return menuEntries_.value(name, nullptr);
}

QAction *NorqSQL::addEntry(QMenu *menu, const QString &name, const QString &caption,
                           std::function<void()> handler) {
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    // Any command may have changed the script; the caption says so.
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] {
            handler();
            refreshCaption();
        });
    menuEntries_.insert(name, action);
    return action;
}

namespace {

QMenu *addSubmenu(QMenu *parent, const QString &name, const QString &caption) {
    QMenu *menu = parent->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

} // namespace

void NorqSQL::buildMenus() {
    QMenuBar *bar = menuBar();
    auto topMenu = [&](const QString &name, const QString &caption) {
        QMenu *menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        menuEntries_.insert(name, menu->menuAction());
        return menu;
    };

    QMenu *file = topMenu(QStringLiteral("mnuFile"), QStringLiteral("File"));
    addEntry(file, QStringLiteral("mnuOpen"), QStringLiteral("Open File"),
             [this] { mnuOpen_Click(); });
    addEntry(file, QStringLiteral("mnuExamples"), QStringLiteral("Open Library"),
             [this] { mnuExamples_Click(); });
    addEntry(file, QStringLiteral("saveFile"), QStringLiteral("Save"),
             [this] { saveFile_Click(); });
    addEntry(file, QStringLiteral("saveFileAs"), QStringLiteral("Save As..."),
             [this] { saveFileAs_Click(); });
    addEntry(file, QStringLiteral("editNew"), QStringLiteral("New Script"),
             [this] { editNew_Click(); });
    addEntry(file, QStringLiteral("updateSnapshot"), QStringLiteral("Update Snapshot"),
             [this] { updateSnapshot_Click(); });
    file->addSeparator();
    QMenu *exportMenu = addSubmenu(file, QStringLiteral("fileExport"), QStringLiteral("Export"));
    menuEntries_.insert(QStringLiteral("fileExport"), exportMenu->menuAction());
    addEntry(exportMenu, QStringLiteral("exportHTML"), QStringLiteral("HTML"),
             [this] { exportHTML_Click(); });
    addEntry(exportMenu, QStringLiteral("exportHTMLP"), QStringLiteral("HTML Plain"),
             [this] { exportHTMLP_Click(); });
    addEntry(exportMenu, QStringLiteral("exportText"), QStringLiteral("Plain Text"),
             [this] { exportText_Click(); });
    for (const int type : {ExportType::markdown, ExportType::notebook, ExportType::htmlStandalone,
                           ExportType::json}) {
        const SharedExportFormat *format = sharedExportFormat(type);
        addEntry(exportMenu, QString::fromLatin1(format->menuName),
                 QString::fromLatin1(format->menuCaption), [this, type] { exportScript(type); });
    }
    file->addSeparator();
    addEntry(file, QStringLiteral("mnuExit"), QStringLiteral("Exit"), [this] { mnuExit_Click(); });

    QMenu *search = topMenu(QStringLiteral("mnuSearch"), QStringLiteral("Search"));
    addEntry(search, QStringLiteral("searchExamples"), QStringLiteral("Search Examples"),
             [this] { searchExamples_Click(); });
    addEntry(search, QStringLiteral("searchScript"), QStringLiteral("Search Script"),
             [this] { searchScript_Click(); });
    addEntry(search, QStringLiteral("searchReset"), QStringLiteral("Reset"),
             [this] { searchReset_Click(); });
    addEntry(search, QStringLiteral("nextFailure"), QStringLiteral("Next Failure"), [this] {
        nextFailure_Click();
    })->setShortcut(QKeySequence(Qt::Key_F8));
    search->addSeparator();
    addEntry(search, QStringLiteral("findInView"), QStringLiteral("Find in View"), [this] {
        findInView_Click();
    })->setShortcut(QKeySequence::Find);
    addEntry(search, QStringLiteral("findNext"), QStringLiteral("Find Next"), [this] {
        findNext_Click();
    })->setShortcut(QKeySequence(Qt::Key_F3));
    addEntry(search, QStringLiteral("findPrevious"), QStringLiteral("Find Previous"), [this] {
        findPrevious_Click();
    })->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));

    QMenu *view = topMenu(QStringLiteral("mnuView"), QStringLiteral("View"));
    addEntry(view, QStringLiteral("modeScript"), QStringLiteral("Script View"),
             [this] { modeScript_Click(); });
    addEntry(view, QStringLiteral("modeEdit"), QStringLiteral("Edit View"),
             [this] { modeEdit_Click(); });
    addEntry(view, QStringLiteral("modeText"), QStringLiteral("Text View"),
             [this] { modeText_Click(); });
    addEntry(view, QStringLiteral("modeSQL"), QStringLiteral("SQL View"),
             [this] { modeSQL_Click(); });
    view->addSeparator();
    addEntry(view, QStringLiteral("compareSnapshot"), QStringLiteral("Compare with Snapshot"),
             [this] { compareSnapshot_Click(); });
    addEntry(view, QStringLiteral("openSQLWindow"), QStringLiteral("SQL Window"),
             [this] { openSQLWindow_Click(); });

    QMenu *options = topMenu(QStringLiteral("mnuOptions"), QStringLiteral("Options"));
    QMenu *fontSize =
        addSubmenu(options, QStringLiteral("mnuFontSize"), QStringLiteral("Font Size"));
    const QStringList sizes{"8", "9", "10", "11", "12", "14"};
    for (int index = 0; index < sizes.size(); ++index) {
        QAction *entry = addEntry(fontSize, QStringLiteral("mnuFontSizeValue%1").arg(index),
                                  sizes[index], [this, index] { mnuFontSizeValue_Click(index); });
        entry->setCheckable(true);
        entry->setChecked(sizes[index] == QLatin1String("10"));
        mnuFontSizeValue.append(entry);
    }
    QMenu *colWidth =
        addSubmenu(options, QStringLiteral("mnuColWidth"), QStringLiteral("Column Width"));
    const QStringList widths{"10", "15", "20", "25", "30"};
    for (int index = 0; index < widths.size(); ++index) {
        QAction *entry = addEntry(colWidth, QStringLiteral("mnuColSize%1").arg(index),
                                  widths[index], [this, index] { mnuColSize_Click(index); });
        entry->setCheckable(true);
        entry->setChecked(widths[index] == QLatin1String("20"));
        mnuColSize.append(entry);
    }
    addEntry(options, QStringLiteral("mnuStop"), QStringLiteral("Stop Run"),
             [] { run_control::stopRunByUser(); });
    addEntry(options, QStringLiteral("mnuReset"), QStringLiteral("Reset Examples"),
             [this] { mnuReset_Click(); });
    options->addSeparator();
    addEntry(options, QStringLiteral("mnuConnection"), QStringLiteral("Connection"),
             [this] { mnuConnection_Click(); });
    options->addSeparator();
    addEntry(options, QStringLiteral("mnuDetach"), QStringLiteral("Detach Results"), [this] {
        mnuDetach_Click();
    })->setCheckable(true);
    addEntry(options, QStringLiteral("runAll"), QStringLiteral("Run all"),
             [this] { runAll_Click(); });
    addEntry(options, QStringLiteral("mnutrace"), QStringLiteral("Trace Statements"), [this] {
        mnutrace_Click();
    })->setCheckable(true);
    QAction *stopOnError = addEntry(options, QStringLiteral("mnuStopOnError"),
                                    QStringLiteral("Stop Run on Error"), [] {});
    stopOnError->setCheckable(true);
    stopOnError->setChecked(settings_.stopOnError);
    connect(stopOnError, &QAction::toggled, this, [this](bool on) { settings_.stopOnError = on; });

    QMenu *help = topMenu(QStringLiteral("mnuHelp"), QStringLiteral("Help"));
    auto helpEntry = [this](QMenu *menu, const QString &name, const QString &caption) {
        addEntry(menu, name, caption, [this, name] { help_Click(name); });
    };
    helpEntry(help, QStringLiteral("helpIntro"), QStringLiteral("Introduction"));
    QMenu *panels =
        addSubmenu(help, QStringLiteral("mhelpPanels"), QStringLiteral("Menus and Panels"));
    helpEntry(panels, QStringLiteral("helpPanels"), QStringLiteral("Overview"));
    helpEntry(panels, QStringLiteral("helpmFile"), QStringLiteral("File"));
    helpEntry(panels, QStringLiteral("helpmSearch"), QStringLiteral("Search"));
    helpEntry(panels, QStringLiteral("helpmView"), QStringLiteral("View"));
    helpEntry(panels, QStringLiteral("helpmOptions"), QStringLiteral("Options"));
    QMenu *modes = addSubmenu(help, QStringLiteral("s33"), QStringLiteral("View Modes"));
    helpEntry(modes, QStringLiteral("helpviews"), QStringLiteral("Overview"));
    modes->addSeparator();
    helpEntry(modes, QStringLiteral("helpScriptMode"), QStringLiteral("Script Mode"));
    helpEntry(modes, QStringLiteral("helpEditMode"), QStringLiteral("Edit Mode"));
    helpEntry(modes, QStringLiteral("helpTextMode"), QStringLiteral("Text Mode"));
    helpEntry(modes, QStringLiteral("helpSQLMode"), QStringLiteral("SQL Mode"));
    modes->addSeparator();
    helpEntry(modes, QStringLiteral("helpSQLWindow"), QStringLiteral("SQL Window"));
    help->addSeparator();
    helpEntry(help, QStringLiteral("helpSQLSupport"), QStringLiteral("Supported SQL Statements"));
    helpEntry(help, QStringLiteral("helpCommandSupport"), QStringLiteral("Supported Commands"));
    helpEntry(help, QStringLiteral("helpFormat"), QStringLiteral("File Formats"));
    help->addSeparator();
    helpEntry(help, QStringLiteral("helpLegal"), QStringLiteral("Legal Disclaimers"));
    helpEntry(help, QStringLiteral("helpAbout"), QStringLiteral("About"));

    // The pop-ups are not on the menu bar.
    editmnu = new QMenu(QStringLiteral("Edit"), this);
    editmnu->setObjectName(QStringLiteral("editmnu"));
    addEntry(editmnu, QStringLiteral("editCut"), QStringLiteral("Cut"),
             [this] { editCut_Click(); });
    addEntry(editmnu, QStringLiteral("copyCell"), QStringLiteral("Copy"),
             [this] { copyCell_Click(); });
    addEntry(editmnu, QStringLiteral("copySQL"), QStringLiteral("Copy to SQL"),
             [this] { copySQL_Click(); });
    addEntry(editmnu, QStringLiteral("editPaste"), QStringLiteral("Paste"),
             [this] { editPaste_Click(); });
    addEntry(editmnu, QStringLiteral("editDelete"), QStringLiteral("Delete"),
             [this] { editDelete_Click(); });
    addEntry(editmnu, QStringLiteral("editUpper"), QStringLiteral("Uppercase"),
             [this] { editUpper_Click(); });
    QMenu *insert = addSubmenu(editmnu, QStringLiteral("mnuInsert"), QStringLiteral("Insert"));
    addEntry(insert, QStringLiteral("insertComment"), QStringLiteral("Comment"),
             [this] { insertComment_Click(); });
    addEntry(insert, QStringLiteral("insertHeading"), QStringLiteral("Heading"),
             [this] { insertHeading_Click(); });
    addEntry(insert, QStringLiteral("insertSQL"), QStringLiteral("Example"),
             [this] { insertSQL_Click(); });
    addEntry(insert, QStringLiteral("insertImage"), QStringLiteral("Image"),
             [this] { insertImage_Click(); });
    editmnu->addSeparator();
    addEntry(editmnu, QStringLiteral("editViewScript"), QStringLiteral("View Script"),
             [this] { editViewScript_Click(); });

    mnuScript = new QMenu(QStringLiteral("Script"), this);
    mnuScript->setObjectName(QStringLiteral("mnuScript"));
    addEntry(mnuScript, QStringLiteral("scriptEdit"), QStringLiteral("Edit"),
             [this] { scriptEdit_Click(); });
    addEntry(mnuScript, QStringLiteral("scriptCut"), QStringLiteral("Cut"),
             [this] { scriptCut_Click(); });
    addEntry(mnuScript, QStringLiteral("scriptCopy"), QStringLiteral("Copy"),
             [this] { scriptCopy_Click(); });
    addEntry(mnuScript, QStringLiteral("scriptPaste"), QStringLiteral("Paste"),
             [this] { scriptPaste_Click(); });
    addEntry(mnuScript, QStringLiteral("scriptDuplicate"), QStringLiteral("Duplicate"),
             [this] { scriptDuplicate_Click(); });
    QMenu *rowInsert =
        addSubmenu(mnuScript, QStringLiteral("scriptInsertMenu"), QStringLiteral("Insert"));
    addEntry(rowInsert, QStringLiteral("scriptInsertSQL"), QStringLiteral("SQL"),
             [this] { scriptInsertSQL_Click(); });
    addEntry(rowInsert, QStringLiteral("scriptInsertComment"), QStringLiteral("Comment"),
             [this] { scriptInsertComment_Click(); });
    addEntry(rowInsert, QStringLiteral("scriptInsertXMP"), QStringLiteral("Example"),
             [this] { scriptInsertXMP_Click(); });
    addEntry(rowInsert, QStringLiteral("scriptInsertTitle"), QStringLiteral("Heading"),
             [this] { scriptInsertTitle_Click(); });
    addEntry(rowInsert, QStringLiteral("scriptInsertImage"), QStringLiteral("Image"),
             [this] { scriptInsertImage_Click(); });
    addEntry(rowInsert, QStringLiteral("doToc"), QStringLiteral("Table of Contents"),
             [this] { doToc_Click(); });
    mnuScript->addSeparator();
    addEntry(mnuScript, QStringLiteral("scriptviewText"), QStringLiteral("View Text"),
             [this] { scriptviewText_Click(); });
    addEntry(mnuScript, QStringLiteral("sqlWindow"), QStringLiteral("SQL Window"),
             [this] { sqlWindow_Click(); });

    viewMenu = new QMenu(QStringLiteral("Edit View"), this);
    viewMenu->setObjectName(QStringLiteral("viewMenu"));
    addEntry(viewMenu, QStringLiteral("viewInsertSQL"), QStringLiteral("Insert SQL"),
             [this] { viewInsertSQL_Click(); });
    addEntry(viewMenu, QStringLiteral("viewEditMode"), QStringLiteral("Edit Mode"),
             [this] { viewEditMode_Click(); });
    addEntry(viewMenu, QStringLiteral("viewSQLWindow"), QStringLiteral("SQL Window"),
             [this] { viewSQLWindow_Click(); });
}

void NorqSQL::buildToolbar() {
    struct Button {
        const char *key;
        const char *tip;
    };
    static const Button buttons[] = {
        {"run", "Run query"},   {"stop", "Stop the run"},
        {"trash", "Clear SQL"}, {"recycle", "Show previous command"},
        {"paste", "Paste"},
    };
    for (const Button &button : buttons) {
        const QString key = QString::fromLatin1(button.key);
        QAction *action = TB->addAction(toolbarIcon(key), QString());
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(button.tip));
        connect(action, &QAction::triggered, this, [this, key] { TB_ButtonClick(key); });
    }
}

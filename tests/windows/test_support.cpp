#include "test_support.h"

#include "database/catalog.h"
#include "database/session.h"
#include "engine/startup.h"
#include "windows/plot.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

std::vector<std::unique_ptr<QTemporaryDir>> &scratchFolders() {
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    return folders;
}

QString newScratchFolder() {
    scratchFolders().push_back(std::make_unique<QTemporaryDir>());
    return scratchFolders().back()->path();
}

} // namespace

void useEmptyCatalog() {
    if (engine.connected) Norq_disconnect(engine);
    const QString folder = newScratchFolder();
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder + "/data"));
    // No user or system ODBC data sources either.
    qputenv("ODBCINI", QFile::encodeName(folder + "/odbc.ini"));
    qputenv("ODBCSYSINI", QFile::encodeName(folder));
    QDir().mkpath(embeddedCatalogFolder());
}

ScriptedWindows &testWindows() {
    static ScriptedWindows *windows = [] {
        useEmptyCatalog();
        engine_startup();
        registerPlotCommand(); // the program registers it with its windows
        return new ScriptedWindows;
    }();
    engine.ui = windows; // another test may have installed its own layer
    return *windows;
}

void createDatabase(const QString &name, const QStringList &statements) {
    const QString file = QDir(embeddedCatalogFolder()).filePath(name.toUpper() + ".db");
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    for (const QString &sql : statements) {
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
    }
    sqlite3_close(db);
}

void createSampleDatabase() {
    QFile script(QStringLiteral(PAVONA_SOURCE_DIR "/samples/sample.sql"));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    createDatabase(QStringLiteral("SAMPLE"), {QString::fromUtf8(script.readAll())});
}

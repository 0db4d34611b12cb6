// The first start on a new machine: an empty catalog is offered the sample database.

#include "../engine/fake_windows.h"
#include "app/sample_start.h"
#include "core/engine_state.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SampleStart, AnEmptyCatalogIsOfferedSampleAndAFullOneIsLeftAlone) {
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QByteArray previousData =
        qEnvironmentVariableIsSet("XDG_DATA_HOME") ? qgetenv("XDG_DATA_HOME") : QByteArray();
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    FakeWindows windows;
    WindowInterface *previousUi = engine.ui;
    engine.ui = &windows;

    const QString previousDatabase = engine.databaseName;
    engine.databaseName.clear();
    offerSampleDatabase();
    ASSERT_EQ(windows.messageBoxes.size(), 1); // the question, answered yes
    EXPECT_TRUE(windows.messageBoxes[0].contains("holds no database"));
    EXPECT_TRUE(QFile::exists(data.filePath("pavona/databases/SAMPLE.db")));
    EXPECT_EQ(engine.databaseName, "SAMPLE"); // what the connect dialog proposes
    engine.databaseName = previousDatabase;
    offerSampleDatabase();
    EXPECT_EQ(windows.messageBoxes.size(), 1) << "asked again with a database in the catalog";

    engine.ui = previousUi;
    if (previousData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previousData);
}

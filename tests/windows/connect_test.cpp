#include "core/engine_state.h"
#include "database/session.h"
#include "test_support.h"
#include "windows/norq_connect.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ConnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        testWindows();
        useEmptyCatalog();
        engine.databaseName = "SAMPLE";
        engine.userId.clear();
        engine.userPassword.clear();
    }
    void TearDown() override { dialog.close(); }

    void open() {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    NorqConnect dialog;
};

QStringList listed(QComboBox *box) {
    QStringList names;
    for (int i = 0; i < box->count(); ++i)
        names << box->itemText(i);
    return names;
}

} // namespace

TEST_F(ConnectTest, EmptyCatalogStillConnectsToATypedName) {
    open();
    EXPECT_EQ(dialog.DBList->count(), 0);
    EXPECT_EQ(dialog.Status->text(), "No databases found in the local catalog");
    EXPECT_EQ(dialog.DBList->currentText(), "SAMPLE");

    dialog.DBList->setEditText("");
    dialog.DoConnect_Click();
    EXPECT_EQ(dialog.Status->text(), "A database must be selected from the list");
    EXPECT_TRUE(dialog.isVisible());

    createDatabase("LATE");
    dialog.DBList->setEditText("LATE");
    dialog.DoConnect_Click();
    EXPECT_TRUE(engine.connected) << engine.msgText.toStdString();
    EXPECT_EQ(engine.databaseName, "LATE");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ConnectTest, TypedNameTakesPrecedenceOverTheSelection) {
    createDatabase("ALPHA");
    createDatabase("BETA");
    open();
    EXPECT_EQ(listed(dialog.DBList), QStringList({"ALPHA", "BETA"}));
    EXPECT_EQ(dialog.Status->text(), "");
    dialog.DBList->setCurrentIndex(0);
    dialog.DBList->setEditText("  BETA ");
    dialog.DoConnect_Click();
    EXPECT_TRUE(engine.connected);
    EXPECT_EQ(engine.databaseName, "BETA");

    // With the text emptied, the selected entry is used.
    open();
    dialog.DBList->setCurrentIndex(0);
    dialog.DBList->setEditText("");
    ASSERT_EQ(dialog.DBList->currentIndex(), 0);
    dialog.DoConnect_Click();
    EXPECT_EQ(engine.databaseName, "ALPHA");
    EXPECT_TRUE(engine.connected);
}

TEST_F(ConnectTest, FieldsAreTrimmedAndAFailureKeepsTheDialogOpen) {
    ScriptedWindows &windows = testWindows();
    windows.questions.clear();
    open();
    dialog.DBList->setEditText(" nosuch ");
    dialog.UIDName->setText("  bob ");
    dialog.Pswd->setText(" secret  ");
    dialog.DoConnect_Click();
    EXPECT_FALSE(engine.connected);
    EXPECT_EQ(engine.databaseName, "nosuch");
    EXPECT_EQ(engine.userId, "bob");
    EXPECT_EQ(engine.userPassword, "secret");
    EXPECT_EQ(windows.questions.size(), 1) << "asked whether to start the database manager";
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.UIDName->text(), "  bob ");
    EXPECT_EQ(dialog.Status->text(), engine.msgText);
    EXPECT_TRUE(dialog.Status->text().contains("nosuch"));
    // The message grows the dialog; the fields keep their height.
    QCoreApplication::processEvents();
    EXPECT_GE(dialog.UIDName->height(), dialog.UIDName->sizeHint().height());
    EXPECT_GE(dialog.Pswd->height(), dialog.Pswd->sizeHint().height());
    EXPECT_GE(dialog.Status->height(), dialog.Status->heightForWidth(dialog.Status->width()));

    // The next showing starts from the session values.
    dialog.close();
    open();
    EXPECT_EQ(dialog.UIDName->text(), "bob");
    EXPECT_EQ(dialog.DBList->currentText(), "nosuch");
}

TEST_F(ConnectTest, CancelClosesWithoutConnecting) {
    open();
    dialog.Killit_Click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(engine.connected);
}

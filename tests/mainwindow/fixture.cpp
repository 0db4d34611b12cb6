#include "tests/mainwindow/fixture.h"

#include "core/engine_state.h"
#include "database/session.h"
#include "document/grid.h"
#include "engine/startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <sqlite3.h>

namespace {

QString scratchFolder;

bool createSampleDatabase(const QString &path) {
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) return false;
    const char *sql = "CREATE TABLE EMPLOYEE (EMPNO CHAR(6), FIRSTNME VARCHAR(12), "
                      "LASTNAME VARCHAR(15), WORKDEPT CHAR(3), SALARY DECIMAL(9,2));"
                      "INSERT INTO EMPLOYEE VALUES ('000010','CHRISTINE','HAAS','A00',52750),"
                      "('000020','MICHAEL','THOMPSON','B01',41250),"
                      "('000030','SALLY','KWAN','C01',38250),"
                      "('000050','JOHN','GEYER','E01',40175);"
                      "CREATE TABLE DEPARTMENT (DEPTNO CHAR(3), DEPTNAME VARCHAR(36));"
                      "INSERT INTO DEPARTMENT VALUES ('A00','SPIFFY COMPUTER SERVICE DIV.'),"
                      "('B01','PLANNING'),('C01','INFORMATION CENTER');";
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

const char *const kTestScript = "/* {h1} Staff */\n"
                                "\n"
                                "/*\n"
                                "  Who works here.\n"
                                "*/\n"
                                "\n"
                                "SELECT LASTNAME, SALARY\n"
                                "  FROM EMPLOYEE;\n"
                                "\n"
                                "/* {h2} Departments */\n"
                                "\n"
                                "SELECT * FROM DEPARTMENT;\n"
                                "\n"
                                "/* {h2} Mistakes */\n"
                                "\n"
                                "SELECT * FROM NO_SUCH_TABLE;\n"
                                "\n"
                                "/* {h1} Totals */\n"
                                "\n"
                                "SELECT COUNT(*) FROM EMPLOYEE;\n";

MainWindowEnvironment::MainWindowEnvironment() {
    if (!data_.isValid()) return;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data_.path() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(data_.path() + QStringLiteral("/config")));
    const QString catalog = data_.path() + QStringLiteral("/data/pavona/databases");
    scratchFolder = data_.path() + QStringLiteral("/work");
    if (!QDir().mkpath(catalog) || !QDir().mkpath(scratchFolder)) return;
    if (!createSampleDatabase(catalog + QStringLiteral("/SAMPLE.db"))) return;
    QDir::setCurrent(scratchFolder);

    engine_startup(); // allocates the environment handle
    if (!engine.envHandle) return;
    QString database = QStringLiteral("SAMPLE");
    QString user;
    QString password;
    Norq_connect(engine, database, user, password);
    ready_ = engine.connected;
    if (!ready_) fprintf(stderr, "cannot connect to SAMPLE: %s\n", qPrintable(engine.msgText));
}

MainWindowEnvironment::~MainWindowEnvironment() {
    Norq_disconnect(engine);
}

void activate(QWidget *window) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

QWidget *focused() {
    QWidget *widget = QApplication::focusWidget();
    return widget ? widget : QApplication::activeWindow();
}

QString MainWindowEnvironment::scratch() {
    return scratchFolder;
}

void MainWindowTest::SetUp() {
    QDir::setCurrent(MainWindowEnvironment::scratch());
    engine.detached = false;
    engine.recallPos = 0;
    engine.lastSearch.clear();
    engine.viewMode = ViewMode::sql;
    window = std::make_unique<NorqSQL>();
    // A question about unsaved changes that a test does not expect fails it rather than
    // waiting for a click.
    window->AskDiscard = [](const QString &name) {
        ADD_FAILURE() << "unexpected question about the changes of " << name.toStdString();
        return NorqSQL::DiscardAnswer::cancel;
    };
    // The scripts the tests write are their own: they may start programs unasked.
    window->AskChildPrograms = [](const QString &, const QStringList &) { return true; };
    window->Form_Load();
    window->resize(1200, 800);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void MainWindowTest::TearDown() {
    window.reset();
}

QString MainWindowTest::writeFile(const QString &name, const QString &text) {
    const QString path = MainWindowEnvironment::scratch() + u'/' + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    return path;
}

void MainWindowTest::openScript(const QString &path, int viewMode) {
    window->setViewMode(viewMode);
    window->fileToMemory(path);
    if (viewMode == ViewMode::text)
        window->memoryToEdit();
    else
        window->memoryToScript();
    window->currentFile = path;
}

namespace {

QPoint cellCentre(Grid *grid, int row, int col) {
    if (!grid->isRowVisible(row)) grid->setTopRow(row);
    grid->syncView();
    return grid->visualRect(grid->model()->index(row, col)).center();
}

} // namespace

void MainWindowTest::press(Grid *grid, int row, int col, Qt::MouseButton button) {
    QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, cellCentre(grid, row, col));
}

void MainWindowTest::doublePress(Grid *grid, int row, int col) {
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                       cellCentre(grid, row, col));
}

RowKind MainWindowTest::kindOf(int row) const {
    return rowKindAt(window->CLP, row);
}

QString MainWindowTest::cell(int row, int col) const {
    return window->CLP->textMatrix(row, col);
}

QList<int> MainWindowTest::rowsOfKind(RowKind kind) const {
    QList<int> rows;
    for (int row = 0; row < window->CLP->rows(); ++row)
        if (kindOf(row) == kind) rows << row;
    return rows;
}

int MainWindowTest::outputRowCount() const {
    return static_cast<int>(rowsOfKind(RowKind::message).size() +
                            rowsOfKind(RowKind::result).size() + rowsOfKind(RowKind::chart).size());
}

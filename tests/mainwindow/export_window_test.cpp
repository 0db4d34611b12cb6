#include "core/engine_state.h"
#include "database/session.h"
#include "document/grid.h"
#include "document/row_model.h"
#include "export/export.h"
#include "export/export_csv.h"
#include "tests/mainwindow/fixture.h"
#include "windows/plot.h"
#include "windows/qt_window_interface.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

namespace {

// The real window layer except for the modal boxes, which never block a test; messages
// are recorded.
class RecordedMessages : public QtWindowInterface {
public:
    QStringList messages;
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    bool askYesNo(const QString &, const QString &) override { return false; }
    void messageBox(const QString &, const QString &text) override { messages << text; }
};

// The main window's File > Export on a script opened from the sample library and run
// with Run all. With PAVONA_EXPORT_DIR set the exported files are left there to look at.
class ExportWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        registerPlotCommand(); // the program registers it with its windows
        previous = engine.ui;
        engine.ui = &windows;
        ASSERT_TRUE(scratch.isValid());
        outFolder = qEnvironmentVariable("PAVONA_EXPORT_DIR");
        if (outFolder.isEmpty()) outFolder = scratch.path();
        QDir().mkpath(outFolder);
        MainWindowTest::SetUp();
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        engine.ui = previous;
    }

    void openSample(const QString &name) {
        const QString path = QStringLiteral(PAVONA_SOURCE_DIR "/samples/") + name;
        window->setViewMode(ViewMode::script);
        window->fileToMemory(path);
        window->memoryToScript();
        window->currentFile = path;
    }

    // Runs an export with the save dialog answering path; returns how often it was asked.
    int exportTo(int type, const QString &path) {
        int asked = 0;
        window->CommonDialog = [&](bool save, const QString &, const QString &, const QString &) {
            EXPECT_TRUE(save);
            ++asked;
            return path;
        };
        if (type == ExportType::htmlPage) window->exportHTML_Click();
        if (type == ExportType::htmlPlain) window->exportHTMLP_Click();
        if (type == ExportType::text) window->exportText_Click();
        return asked;
    }

    static int exportTypeFromName(const QString &name) {
        if (name.endsWith(".txt")) return ExportType::text;
        if (name.endsWith(".md")) return ExportType::markdown;
        if (name.endsWith(".ipynb")) return ExportType::notebook;
        return ExportType::htmlPage;
    }

    static QString readAll(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    RecordedMessages windows;
    WindowInterface *previous = nullptr;
    QTemporaryDir scratch;
    QString outFolder;
};

} // namespace

TEST_F(ExportWindowTest, SampleScriptAfterRunAllExportsItsOutputs) {
    openSample("plans-and-charts.norq");
    window->runAll_Click();
    const QString page = outFolder + "/plans-and-charts.htm";
    ASSERT_EQ(exportTo(ExportType::htmlPage, page), 1);

    const QString html = readAll(page);
    ASSERT_TRUE(html.startsWith("<html>\r\n<body>\r\n<head>\r\n"));
    EXPECT_TRUE(html.endsWith("</body>\r\n</html>\r\n"));
    EXPECT_TRUE(html.contains("<h1>Access plans and charts</h1>"));
    EXPECT_TRUE(html.contains("<h2>A chart: PLOT</h2>"));
    EXPECT_TRUE(
        html.contains("<pre>\r\nEXECUTE SELECT COUNT(*) FROM EMPLOYEE WHERE SALARY &lt; 65000;"));
    // The statement as it ran: the variable's value in its place.
    EXPECT_TRUE(html.contains(QRegularExpression("PLOT TITLE 'Salaries' X1 \\d")));
    EXPECT_TRUE(html.contains("<pre class='output'>"));
    EXPECT_FALSE(html.contains("Command completed."));
    // Each PLOT left a chart row, written as a picture beside the page.
    const QString base = outFolder + "/plans-and-charts";
    EXPECT_TRUE(html.contains("<img src=\"plans-and-charts-1.bmp\">"));
    const QImage chart(base + "-1.bmp", "BMP");
    EXPECT_FALSE(chart.isNull());
    EXPECT_GT(chart.width(), 50);

    const QString text = outFolder + "/plans-and-charts.txt";
    ASSERT_EQ(exportTo(ExportType::text, text), 1);
    const QString plain = readAll(text);
    EXPECT_TRUE(plain.startsWith("1 Access plans and charts\r\n \r\n"));
    EXPECT_TRUE(plain.contains("(image) " + base + "-1.bmp"));

    const QString fragment = outFolder + "/plans-and-charts-fragment.htm";
    ASSERT_EQ(exportTo(ExportType::htmlPlain, fragment), 1);
    EXPECT_TRUE(readAll(fragment).startsWith("<h1>Access plans and charts</h1>\r\n"));
}

TEST_F(ExportWindowTest, TextViewAndSqlViewExportNothing) {
    openSample("first-queries.norq");
    const QString path = scratch.filePath("nothing.htm");
    for (int mode : {ViewMode::text, ViewMode::sql}) {
        window->setViewMode(mode);
        EXPECT_EQ(exportTo(ExportType::htmlPage, path), 0) << "no dialog in view " << mode;
        EXPECT_EQ(exportTo(ExportType::text, path), 0);
    }
    EXPECT_FALSE(QFile::exists(path));

    window->setViewMode(ViewMode::edit);
    window->memoryToScript();
    EXPECT_EQ(exportTo(ExportType::htmlPlain, path), 1);
    EXPECT_TRUE(readAll(path).contains("<h1>First queries: SELECT, WHERE and ORDER BY</h1>"));
}

TEST_F(ExportWindowTest, AFailedSaveOrExportKeepsTheOldFileAndSaysWhy) {
    openSample("first-queries.norq");
    const QString page = scratch.filePath("page.htm");
    ASSERT_EQ(exportTo(ExportType::htmlPage, page), 1);
    const QString exported = readAll(page);
    ASSERT_FALSE(exported.isEmpty());
    EXPECT_TRUE(windows.messages.isEmpty()) << windows.messages.join('\n').toStdString();

    // An export goes to a regular file only: a pipe would hold the window until read.
    ASSERT_EQ(exportTo(ExportType::text, "/dev/full"), 1);
    ASSERT_EQ(windows.messages.size(), 1);
    EXPECT_EQ(windows.messages[0], "Error writing to output file: /dev/full\r\nERR=Not a regular "
                                   "file (a device, a pipe or a socket)");

    window->setViewMode(ViewMode::edit);
    window->memoryToScript();
    window->CommonDialog = [](bool, const QString &, const QString &, const QString &) {
        return QStringLiteral("/dev/full");
    };
    window->saveFileAs_Click();
    ASSERT_EQ(windows.messages.size(), 2);
    EXPECT_EQ(windows.messages[1], "Error writing to output file: /dev/full\r\nERR=No space left "
                                   "on device");
    EXPECT_FALSE(QFileInfo("/dev/full").isFile());

    // A disk that fills up half way: the earlier export is left whole.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 512;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    exportTo(ExportType::htmlPage, page);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(windows.messages.size(), 3);
    EXPECT_EQ(windows.messages[2],
              "Error writing to output file: " + page + "\r\nERR=File too large");
    EXPECT_EQ(readAll(page), exported);
}

// The three shared formats are entries of File > Export, with their own extension in the
// proposed name, and write from the window as --export does.
TEST_F(ExportWindowTest, ExportMenuOffersTheSharedFormats) {
    openSample("plans-and-charts.norq");
    window->runAll_Click();
    const struct {
        const char *entry, *caption, *file;
    } formats[] = {{"exportMarkdown", "Markdown", "/plans-and-charts.md"},
                   {"exportNotebook", "Jupyter Notebook", "/plans-and-charts.ipynb"},
                   {"exportHTMLOne", "HTML (one file)", "/plans-and-charts.html"},
                   {"exportJSON", "JSON Data", "/plans-and-charts.json"}};
    for (const auto &format : formats) {
        QAction *action = window->menuEntry(format.entry);
        ASSERT_NE(action, nullptr) << format.entry;
        EXPECT_EQ(action->text().remove(u'&'), format.caption); // without its access key
        QString proposed;
        const QString path = outFolder + format.file;
        window->CommonDialog = [&](bool, const QString &, const QString &, const QString &name) {
            proposed = name;
            return path;
        };
        action->trigger();
        EXPECT_EQ(proposed, QStringLiteral(PAVONA_SOURCE_DIR "/samples") + format.file);
        EXPECT_FALSE(readAll(path).isEmpty()) << format.entry;
    }
    EXPECT_TRUE(readAll(outFolder + "/plans-and-charts.html").contains("data:image/png;base64,"));
    EXPECT_TRUE(QFile::exists(outFolder + "/plans-and-charts-1.png"));
}

// A variable that changes after the statement that used it: every export shows the value
// the statement ran with, and the data files tie the result to the statement's number.
TEST_F(ExportWindowTest, ExportsShowStatementsAsTheyRanAndDataKeepsTheirNumbers) {
    const QString script = scratch.filePath("changing.norq");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("/* {h1} A variable that changes */\n \nDEFINE X 1;\n \n/* Used: */\n \n"
               "SELECT COUNT(*) AS N, '&X' AS V FROM DEPARTMENT;\n \n/* Changed: */\n \n"
               "DEFINE X 2;\n");
    file.close();
    window->setViewMode(ViewMode::script);
    window->fileToMemory(script);
    window->memoryToScript();
    window->runAll_Click();
    const DocumentModel document = documentFromGrid(window->CLP);

    for (const char *name : {"changing.txt", "changing.htm", "changing.md", "changing.ipynb"}) {
        const QString path = scratch.filePath(name);
        ASSERT_TRUE(exportDocument(document, exportTypeFromName(name), path)) << name;
        const QString written = readAll(path);
        EXPECT_TRUE(written.contains("SELECT COUNT(*) AS N, '1' AS V")) << name;
        EXPECT_FALSE(written.contains("'2' AS V")) << name;
    }

    const QString json = scratch.filePath("changing.json");
    ASSERT_TRUE(exportDocument(document, ExportType::json, json));
    QFile data(json);
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    const QJsonArray rows = QJsonDocument::fromJson(data.readAll())["rows"].toArray();
    QJsonObject query, result;
    for (const QJsonValue &row : rows) {
        if (row["text"].toString().startsWith("SELECT")) query = row.toObject();
        if (row["kind"].toString() == "result") result = row.toObject();
    }
    EXPECT_EQ(query["text"].toString(), "SELECT COUNT(*) AS N, '&X' AS V FROM DEPARTMENT;");
    EXPECT_EQ(query["ran"].toString(), "SELECT COUNT(*) AS N, '1' AS V FROM DEPARTMENT;");
    EXPECT_EQ(query["number"].toInt(), 2);
    EXPECT_EQ(result["rows"][0][1].toString(), "1");
    EXPECT_TRUE(result["rows"][0][0].isDouble()) << "a count is a number";

    QStringList written;
    ASSERT_TRUE(exportCsvFiles(document, scratch.filePath("csv"), &written, nullptr));
    EXPECT_EQ(written, QStringList({scratch.filePath("csv/statement-002.csv")}));
    EXPECT_TRUE(readAll(written.value(0)).endsWith(",1\r\n"));
}

#include "database/session.h"
#include "document/grid.h"
#include "document/row_model.h"
#include "engine/engine_state.h"
#include "mainwindow/export.h"
#include "mainwindow/norqsql.h"
#include "test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

namespace {

// The main window's File > Export on a script opened from the sample library and run
// with Run all. With PAVONA_EXPORT_DIR set the exported files are left there to look at.
class ExportWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testWindows();
        useEmptyCatalog();
        createSampleDatabase();
        QString database = "SAMPLE", user, password;
        ASSERT_EQ(Norq_connect(database, user, password), 0) << engine.msgText.toStdString();
        ASSERT_TRUE(scratch.isValid());
        outFolder = qEnvironmentVariable("PAVONA_EXPORT_DIR");
        if (outFolder.isEmpty()) outFolder = scratch.path();
        QDir().mkpath(outFolder);

        window = std::make_unique<NorqSQL>();
        window->Form_Load();
        window->resize(1200, 800);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
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

    static QString readAll(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir scratch;
    QString outFolder;
    std::unique_ptr<NorqSQL> window;
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
    EXPECT_TRUE(html.contains("PLOT TITLE 'Salaries' X1 &amp;LOWER_PAID"));
    EXPECT_TRUE(html.contains("<pre class='output'>"));
    EXPECT_FALSE(html.contains("Command completed."));
    // Each PLOT left a chart row, written as a picture beside the page.
    const QString base = outFolder + "/plans-and-charts";
    EXPECT_TRUE(html.contains("<img src=\"file://" + base + "-1.bmp\">"));
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
    ScriptedWindows &windows = testWindows();
    windows.messages.clear();
    openSample("first-queries.norq");
    const QString page = scratch.filePath("page.htm");
    ASSERT_EQ(exportTo(ExportType::htmlPage, page), 1);
    const QString exported = readAll(page);
    ASSERT_FALSE(exported.isEmpty());
    EXPECT_TRUE(windows.messages.isEmpty()) << windows.messages.join('\n').toStdString();

    ASSERT_EQ(exportTo(ExportType::text, "/dev/full"), 1);
    ASSERT_EQ(windows.messages.size(), 1);
    EXPECT_EQ(windows.messages[0], "Error writing to output file: /dev/full\r\nERR=No space left "
                                   "on device");

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
                   {"exportHTMLOne", "HTML (one file)", "/plans-and-charts.html"}};
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

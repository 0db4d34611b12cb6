#include "core/variables.h"
#include "database/cli/cli.h"
#include "export/export.h"
#include "export/export_csv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kLongTitle = "Billing platform rewrite for the finance teams"; // 46 characters
const QString kBigDecimal = "12345678901234567890123456789.05";              // DECIMAL(31,2)

DocumentRow row(RowKind kind, const QString &text) {
    DocumentRow made;
    made.kind = kind;
    made.text = text;
    return made;
}

DocumentRow statement(const QString &text, const QString &ran, int number) {
    DocumentRow made = row(RowKind::sql, text);
    made.outcome.ran = ran;
    made.outcome.number = number;
    return made;
}

DocumentRow message(const QString &text, int code) {
    DocumentRow made = row(RowKind::message, text);
    made.outcome.code = code;
    return made;
}

// A result row as a run leaves it: the data, and the fixed-width text the window shows
// (values cut at their column's width) with the message under it.
DocumentRow result(const ResultSet &data, const QString &table, const QString &message) {
    DocumentRow made = row(RowKind::result, table + "\r\r" + message);
    made.outcome.result = std::make_shared<const ResultSet>(data);
    made.outcome.trailer = "\r\r" + message;
    return made;
}

// Titles whole, with a line break, with a blank line and with a pipe; a DECIMAL(31,2)
// that a double would round; a NULL in each column.
ResultSet projects() {
    ResultSet data;
    data.columns = {{"TITLE", cli::kTypeVarchar, 60, 0},
                    {"LONG_NOTE", cli::kTypeVarchar, 200, 0},
                    {"BUDGET", cli::kTypeDecimal, 31, 2}};
    data.rows = {{kLongTitle, QString("first line\nsecond line"), kBigDecimal},
                 {QString("a|b"), QString("before\n\nafter"), std::nullopt},
                 {std::nullopt, QString(), QString("-7.5")}};
    return data;
}

const QString kProjectsText =
    "TITLE                NOTE                 BUDGET\r"
    "-------------------- -------------------- ---------------------------------\r"
    "Billing platform rew first line\r\nsecond  12345678901234567890123456789.05\r"
    "a|b                  before\r\n\r\nafter    -\r"
    "-                    -                                             -7.5";

// A script after a Run all: a heading, a query with its result, a statement that failed,
// a statement that has not run and a chart.
DocumentModel runDocumentByHand() {
    DocumentModel document;
    DocumentRow heading = row(RowKind::heading, "Projects");
    heading.tag = "1";
    document.push_back(heading);
    document.push_back(statement("SELECT TITLE, NOTE, BUDGET\r  FROM PROJECT WHERE DEPT = '&D'",
                                 "SELECT TITLE, NOTE, BUDGET\r  FROM PROJECT WHERE DEPT = 'A01'",
                                 1));
    document.push_back(result(projects(), kProjectsText, "3 record(s) selected. (0.002s)"));
    document.push_back(statement("SELECT * FROM NOWHERE", "SELECT * FROM NOWHERE", 2));
    document.push_back(message("no such table: NOWHERE SQLSTATE=42S02", -204));
    document.push_back(statement("SELECT '&D' FROM NEVER_RUN", "", 0));
    DocumentRow chart = row(RowKind::chart, "");
    chart.picture = QImage(6, 4, QImage::Format_RGB32);
    chart.picture.fill(Qt::green);
    document.push_back(chart);
    document.push_back(row(RowKind::endMarker, ""));
    return document;
}

QString python() {
    const QString system = QStandardPaths::findExecutable("python3", {"/usr/bin"});
    return system.isEmpty() ? QStandardPaths::findExecutable("python3") : system;
}

// Runs a Python program on file; its standard output, or the failure.
QString runPython(const QString &program, const QString &file) {
    QProcess process;
    process.start(python(), {"-c", program, file});
    if (!process.waitForFinished(60000)) return "<python did not finish>";
    if (process.exitCode() != 0)
        return "<python failed> " + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ExportDocument : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString exported(int type, const QString &name) {
        const QString path = dir.filePath(name);
        QString error;
        EXPECT_TRUE(exportDocument(document, type, path, &error)) << error.toStdString();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return QString::fromUtf8(file.readAll());
    }

    QJsonObject exportedJson(int type, const QString &name) {
        QJsonParseError error{};
        const QJsonDocument json = QJsonDocument::fromJson(exported(type, name).toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return json.object();
    }

    QTemporaryDir dir;
    DocumentModel document = runDocumentByHand();
};

QStringList tableLines(const QString &markdown) {
    QStringList lines;
    for (const QString &line : markdown.split('\n'))
        if (line.startsWith('|')) lines << line;
    return lines;
}

// Cells of a pipe-table line, an escaped "\|" staying inside its cell.
int cellCount(const QString &line) {
    return static_cast<int>(line.count(QRegularExpression("(?<!\\\\)\\|"))) - 1;
}

} // namespace

TEST_F(ExportDocument, MarkdownShowsAResultAsATableOfWholeValues) {
    // A result of an older grid, without its data: its text as a block.
    document.insert(document.end() - 1, row(RowKind::result, "A\r-\r1\r\r1 record(s) selected."));
    const QString md = exported(ExportType::markdown, "report.md");
    EXPECT_TRUE(md.contains("\n```\nA\n-\n1\n\n1 record(s) selected.\n```\n"));
    const QStringList table = tableLines(md);
    ASSERT_EQ(table.size(), 5) << md.toStdString(); // header, rule, three rows
    for (const QString &line : table)
        EXPECT_EQ(cellCount(line), 3) << line.toStdString();
    EXPECT_EQ(table[0], "| TITLE | LONG_NOTE | BUDGET |");
    EXPECT_EQ(table[1], "| --- | --- | ---: |") << "numbers to the right";
    EXPECT_EQ(table[2], "| " + kLongTitle + " | first line<br>second line | " + kBigDecimal + " |");
    EXPECT_EQ(table[3], "| a\\|b | before<br><br>after | - |");
    EXPECT_EQ(table[4], "| - |  | -7.5 |");
    EXPECT_TRUE(md.contains(table[4] + "\n\n3 record(s) selected. (0.002s)\n")) << md.toStdString();
    EXPECT_FALSE(md.contains("Billing platform rew ")) << "not the text's cut value";
    // The failure stays a message under its statement.
    EXPECT_TRUE(md.contains("```sql\nSELECT * FROM NOWHERE\n```\n\n```\nno such table"));
}

TEST_F(ExportDocument, NotebookIsSqlWithTablesAndFailuresAsErrors) {
    const QJsonObject notebook = exportedJson(ExportType::notebook, "report.ipynb");
    const QJsonObject metadata = notebook["metadata"].toObject();
    EXPECT_EQ(metadata["kernelspec"]["language"].toString(), "sql");
    EXPECT_FALSE(metadata["kernelspec"]["name"].toString().isEmpty());
    EXPECT_FALSE(metadata["kernelspec"]["display_name"].toString().isEmpty());
    EXPECT_EQ(metadata["language_info"]["name"].toString(), "sql");
    EXPECT_EQ(metadata["language_info"]["file_extension"].toString(), ".sql");
    EXPECT_EQ(metadata["language_info"]["mimetype"].toString(), "application/sql");

    QList<QJsonObject> code;
    for (const QJsonValue &cell : notebook["cells"].toArray())
        if (cell["cell_type"].toString() == "code") code << cell.toObject();
    ASSERT_EQ(code.size(), 3);
    const QJsonObject query = code[0]["outputs"][0].toObject();
    EXPECT_EQ(query["output_type"].toString(), "execute_result");
    QString html;
    for (const QJsonValue &line : query["data"]["text/html"].toArray())
        html += line.toString();
    EXPECT_EQ(html.count("<tr>"), 4) << html.toStdString(); // header and three rows
    EXPECT_TRUE(html.contains("<td>" + kLongTitle + "</td>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<td>first line<br>second line</td>"));
    EXPECT_TRUE(html.contains("<td>before<br><br>after</td>"));
    EXPECT_TRUE(html.contains("<td class=\"number\">-</td>")) << "NULL as the text shows it";
    EXPECT_TRUE(html.contains("3 record(s) selected."));
    EXPECT_TRUE(code[0]["source"][1].toString().contains("'A01'")) << "as it ran";

    ASSERT_EQ(code[1]["outputs"].toArray().size(), 1);
    const QJsonObject failure = code[1]["outputs"][0].toObject();
    EXPECT_EQ(failure["output_type"].toString(), "error");
    EXPECT_FALSE(failure["ename"].toString().isEmpty());
    EXPECT_EQ(failure["evalue"].toString(), "no such table: NOWHERE SQLSTATE=42S02");
    EXPECT_EQ(failure["traceback"].toArray().first().toString(),
              "no such table: NOWHERE SQLSTATE=42S02");
    EXPECT_TRUE(code[2]["outputs"][0]["data"].toObject().contains("image/png")) << "the chart";

    // With Debian's python3-nbformat, the notebook passes its schema.
    const QString checked = runPython("import sys, nbformat\n"
                                      "nb = nbformat.read(sys.argv[1], as_version=4)\n"
                                      "nbformat.validate(nb)\n"
                                      "print('valid')\n",
                                      dir.filePath("report.ipynb"));
    if (!checked.contains("No module named 'nbformat'")) {
        EXPECT_EQ(checked, "valid\n");
    }
}

TEST_F(ExportDocument, OneFileHtmlShowsResultsAsScrollingTables) {
    const QString page = exported(ExportType::htmlStandalone, "report.html");
    const qsizetype start = page.indexOf("<div class=\"result\">");
    const qsizetype end = page.indexOf("</div>", start);
    ASSERT_GE(start, 0) << page.toStdString();
    const QString box = page.mid(start, end - start);
    EXPECT_EQ(box.count("<tr>"), 4) << box.toStdString();
    EXPECT_TRUE(box.contains("<td>" + kLongTitle + "</td>"));
    EXPECT_TRUE(box.contains("<td>before<br><br>after</td>"));
    EXPECT_TRUE(box.contains("<td class=\"number\">" + kBigDecimal + "</td>"));
    EXPECT_TRUE(box.contains("<p>3 record(s) selected. (0.002s)</p>"));
    EXPECT_TRUE(page.contains("div.result {\n  overflow-x: auto;")) << "a wide table scrolls";
    EXPECT_TRUE(page.contains("no such table: NOWHERE")) << "a message stays text";
}

// The first three formats keep the result as the window shows it, byte for byte.
TEST_F(ExportDocument, TheFirstFormatsKeepTheResultTextAndPicturesAreRelative) {
    const QString page = exported(ExportType::htmlPage, "my report.htm");
    EXPECT_TRUE(page.contains("<pre class='output'>\r\nTITLE                NOTE"));
    EXPECT_TRUE(page.contains("\r\nBilling platform rew first line\r\nsecond  "));
    EXPECT_TRUE(page.contains("\r\n\r\n3 record(s) selected. (0.002s)\r\n</pre>\r\n"));
    // Served over HTTP, the page finds its picture beside it.
    EXPECT_TRUE(page.contains("\r\n<img src=\"my%20report-1.bmp\">\r\n")) << page.toStdString();
    EXPECT_FALSE(page.contains("file:"));
    EXPECT_TRUE(QFile::exists(dir.filePath("my report-1.bmp")));
    const QString fragment = exported(ExportType::htmlPlain, "fragment.htm");
    EXPECT_TRUE(fragment.contains("\r\n<img src=\"fragment-1.bmp\">\r\n"));
    const QString text = exported(ExportType::text, "report.txt");
    EXPECT_TRUE(text.contains(" \r\nTITLE                NOTE"));
}

// A statement shows the text that ran, whatever its variables hold when it is exported;
// one that has not run shows its text as written.
TEST_F(ExportDocument, StatementsShowTheTextAsItRan) {
    var_add("D", "B02"); // the value at the end of the run, not the one the statement had
    const struct {
        int type;
        const char *name, *ran, *written;
    } formats[] = {
        {ExportType::htmlPage, "a.htm", "DEPT = 'A01'", "SELECT '&amp;D' FROM NEVER_RUN"},
        {ExportType::htmlPlain, "b.htm", "DEPT = 'A01'", "SELECT '&amp;D' FROM NEVER_RUN"},
        {ExportType::text, "c.txt", "DEPT = 'A01'", "SELECT '&D' FROM NEVER_RUN"},
        {ExportType::markdown, "d.md", "DEPT = 'A01'", "SELECT '&D' FROM NEVER_RUN"},
        {ExportType::notebook, "e.ipynb", "DEPT = 'A01'", "SELECT '&D' FROM NEVER_RUN"},
        {ExportType::htmlStandalone, "f.html", "DEPT = 'A01'", "SELECT '&amp;D' FROM NEVER_RUN"},
    };
    for (const auto &format : formats) {
        const QString written = exported(format.type, format.name);
        EXPECT_TRUE(written.contains(format.ran)) << format.name;
        EXPECT_TRUE(written.contains(format.written)) << format.name;
        EXPECT_FALSE(written.contains("B02")) << format.name;
        EXPECT_FALSE(written.contains("DEPT = '&")) << format.name;
    }
    var_add("D", "");
}

TEST_F(ExportDocument, JsonKeepsTheDocumentWithTypedValues) {
    // A text value with every character JSON must escape, and one outside the BMP.
    ResultSet odd;
    odd.columns = {{"T", cli::kTypeVarchar, 20, 0}, {"N", cli::kTypeInteger, 10, 0}};
    odd.rows = {{QString("q\" b\\ t\t c\x01 e\U0001F600"), QString("00042")},
                {QString("12"), QString("-3")}};
    document.insert(document.end() - 1, result(odd, "T N", "2 record(s) selected."));

    const QJsonObject json = exportedJson(ExportType::json, "report.json");
    EXPECT_EQ(json["format"].toString(), "pavona-document");
    EXPECT_EQ(json["version"].toInt(), 1);
    const QJsonArray rows = json["rows"].toArray();
    QStringList kinds;
    for (const QJsonValue &each : rows)
        kinds << each["kind"].toString();
    EXPECT_EQ(kinds, QStringList({"heading", "statement", "result", "statement", "message",
                                  "statement", "chart", "result"}));
    EXPECT_EQ(rows[0]["level"].toInt(), 1);
    EXPECT_EQ(rows[1]["text"].toString(),
              "SELECT TITLE, NOTE, BUDGET\n  FROM PROJECT WHERE DEPT = '&D'");
    EXPECT_EQ(rows[1]["ran"].toString(),
              "SELECT TITLE, NOTE, BUDGET\n  FROM PROJECT WHERE DEPT = 'A01'");
    EXPECT_EQ(rows[1]["number"].toInt(), 1);
    EXPECT_TRUE(rows[5]["ran"].isNull()) << "never ran";
    EXPECT_TRUE(rows[5]["number"].isNull());
    EXPECT_EQ(rows[4]["code"].toInt(), -204);
    EXPECT_TRUE(rows[4]["failed"].toBool());

    const QJsonObject projects = rows[2].toObject();
    EXPECT_FALSE(projects["failed"].toBool());
    EXPECT_FALSE(projects["more"].toBool());
    EXPECT_EQ(projects["message"].toString(), "3 record(s) selected. (0.002s)");
    const QJsonArray columns = projects["columns"].toArray();
    ASSERT_EQ(columns.size(), 3);
    EXPECT_EQ(columns[0]["type"].toString(), "text");
    EXPECT_EQ(columns[2]["type"].toString(), "decimal");
    EXPECT_EQ(columns[2]["size"].toInt(), 31);
    EXPECT_EQ(columns[2]["decimals"].toInt(), 2);
    const QJsonArray values = projects["rows"].toArray();
    EXPECT_EQ(values[0][0].toString(), kLongTitle);
    EXPECT_EQ(values[1][1].toString(), "before\n\nafter");
    EXPECT_TRUE(values[1][2].isNull());
    EXPECT_TRUE(values[2][0].isNull());
    EXPECT_EQ(values[2][1].toString(), "") << "an empty text is not NULL";
    EXPECT_EQ(values[2][2].toDouble(), -7.5);

    EXPECT_TRUE(rows[6]["text"].isNull());
    EXPECT_EQ(rows[6]["number"].toInt(), 1);
    const QJsonArray typed = rows[7]["rows"].toArray();
    EXPECT_EQ(typed[0][0].toString(), *odd.rows[0][0]);
    EXPECT_TRUE(typed[0][1].isString()) << "00042 is no JSON number: kept as text";
    EXPECT_TRUE(typed[1][0].isString()) << "a text column stays text";
    EXPECT_EQ(typed[1][1].toInt(), -3);

    // Every digit of the big decimal, read as a decimal rather than a double.
    EXPECT_EQ(runPython("import sys, json, decimal\n"
                        "rows = json.load(open(sys.argv[1], encoding='utf-8'),\n"
                        "                 parse_float=decimal.Decimal)['rows']\n"
                        "print(rows[2]['rows'][0][2])\n",
                        dir.filePath("report.json")),
              kBigDecimal + "\n");
}

TEST_F(ExportDocument, CsvFilesHoldEveryResultNamedAfterItsStatement) {
    // A second result under a statement run on its own (no number in a Run all).
    ResultSet marks;
    marks.columns = {{"A,B", cli::kTypeVarchar, 10, 0}, {"N", cli::kTypeInteger, 10, 0}};
    marks.rows = {{QString("say \"hi\""), QString("1")}};
    document.insert(document.end() - 1, statement("SELECT 1", "SELECT 1", 0));
    document.insert(document.end() - 1, result(marks, "A,B N", "1 record(s) selected."));

    const QString folder = dir.filePath("results/run 1");
    QStringList written;
    QString error;
    ASSERT_TRUE(exportCsvFiles(document, folder, &written, &error)) << error.toStdString();
    EXPECT_EQ(written, QStringList({folder + "/statement-001.csv", folder + "/result-002.csv"}));

    QFile first(folder + "/statement-001.csv");
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray bytes = first.readAll();
    EXPECT_TRUE(bytes.startsWith("TITLE,LONG_NOTE,BUDGET\r\n")) << "no byte order mark, CR LF";
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    const QString read = runPython("import sys, csv\n"
                                   "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                   "    print(repr(list(csv.reader(f))))\n",
                                   first.fileName());
    EXPECT_EQ(read, "[['TITLE', 'LONG_NOTE', 'BUDGET'], ['" + kLongTitle +
                        "', 'first line\\nsecond line', '" + kBigDecimal +
                        "'], ['a|b', 'before\\n\\nafter', ''], ['', '', '-7.5']]\n");
    EXPECT_TRUE(bytes.contains("\r\n,\"\",-7.5\r\n")) << "NULL empty, an empty text quoted";
    const QString second =
        runPython("import sys, csv\n"
                  "print(repr(list(csv.reader(open(sys.argv[1], newline='')))))\n",
                  folder + "/result-002.csv");
    EXPECT_EQ(second, "[['A,B', 'N'], ['say \"hi\"', '1']]\n");

    // A file where the folder should be is refused, and nothing is written into it.
    const QString file = dir.filePath("taken.csv");
    QFile taken(file);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    written.clear();
    EXPECT_FALSE(exportCsvFiles(document, file, &written, &error));
    EXPECT_TRUE(error.contains("not a folder")) << error.toStdString();
    EXPECT_TRUE(written.isEmpty());
    EXPECT_EQ(QFileInfo(file).size(), 0);
}

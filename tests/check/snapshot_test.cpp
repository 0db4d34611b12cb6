// Snapshots written from hand-built run documents, read back, and compared.

#include "check/compare.h"
#include "check/snapshot.h"
#include "database/cli/cli.h"
#include "document/row_model.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using snapshot::Snapshot;

class Script {
public:
    // A statement row that ran; written is its text in the script.
    Script &statement(const QString &written, const QString &ran = {}) {
        DocumentRow row;
        row.kind = RowKind::sql;
        row.text = written;
        row.sql = written;
        row.outcome.ran = ran.isEmpty() ? written : ran;
        row.outcome.number = ++number_;
        rows_.push_back(row);
        return *this;
    }
    Script &message(const QString &text, int code = 0) {
        DocumentRow row;
        row.kind = RowKind::message;
        row.text = text;
        row.outcome.code = code;
        rows_.push_back(row);
        return *this;
    }
    Script &result(const QStringList &columns, const std::vector<std::vector<ResultValue>> &rows,
                   const QString &trailer, int type = cli::kTypeVarchar) {
        auto set = std::make_shared<ResultSet>();
        for (const QString &name : columns)
            set->columns.push_back({name, type, 10, 0});
        set->rows = rows;
        DocumentRow row;
        row.kind = RowKind::result;
        row.text = QStringLiteral("TABLE\n") + trailer;
        row.outcome.result = set;
        row.outcome.trailer = trailer;
        rows_.push_back(row);
        return *this;
    }
    Script &other(RowKind kind, const QString &text) {
        DocumentRow row;
        row.kind = kind;
        row.text = text;
        rows_.push_back(row);
        return *this;
    }
    Snapshot snapshot(const QString &name = QStringLiteral("lib.norq"),
                      const std::vector<snapshot::Folder> &folders = {}) const {
        return snapshot::fromDocument(rows_, name, folders);
    }

private:
    DocumentModel rows_;
    int number_ = 0;
};

Snapshot readBack(const QByteArray &text) {
    Snapshot read;
    QString error;
    EXPECT_TRUE(snapshot::fromText(text, &read, &error)) << error.toStdString();
    return read;
}

QString reportOf(const snapshot::CheckReport &report) {
    return report.lines.join(u'\n');
}

// The outcomes of one small script, and what may differ between two of its runs.
struct Employees {
    QString second = QStringLiteral("BAKER");
    QString column = QStringLiteral("LAST_NAME");
    QString failure = QStringLiteral("SQL0204N  \"NO_SUCH_TABLE\" is an undefined name.  "
                                     "SQLSTATE=42704");
    int code = -204;
};

Script employees(const Employees &run = {}) {
    Script script;
    script.statement("SELECT LAST_NAME\n  FROM EMPLOYEE;")
        .result({run.column}, {{"ADAMS"}, {run.second}}, "\n  2 record(s) selected.\n")
        .statement("SELECT * FROM NO_SUCH_TABLE;")
        .message(run.failure, run.code)
        .statement("UPDATE EMPLOYEE SET BONUS = 0;")
        .message("Command completed. (0.004s)");
    return script;
}

TEST(Snapshot, EveryKindOfOutcomeReadsBackExactlyAndOnlyRunStatementsAreKept) {
    Script script;
    script.other(RowKind::heading, "Values")
        .statement("SELECT A, B\nFROM T WHERE C = '&c';", "SELECT A, B\nFROM T WHERE C = 'x';")
        .result({"A\tTAB", "B"},
                {{QString("back\\slash"), std::nullopt},
                 {QString("two\nlines\r"), QString("\\N")},
                 {QString("```"), QString()}},
                "\n  3 record(s) selected.\n")
        .statement("SELECT * FROM NOPE;")
        .message("SQL0204N  \"NOPE\" is an undefined name.  SQLSTATE=42704\n\n> quoted", -204)
        .statement("PLOT X1 1;")
        .other(RowKind::chart, QString())
        .other(RowKind::comment, "A statement that never ran follows.")
        .other(RowKind::sql, "SELECT 1;");
    const Snapshot written = script.snapshot();
    ASSERT_EQ(written.statements.size(), 3u);

    const QByteArray text = snapshot::toText(written);
    const Snapshot read = readBack(text);
    EXPECT_EQ(snapshot::toText(read), text);
    EXPECT_EQ(read.script, "lib.norq");
    ASSERT_EQ(read.statements.size(), 3u);
    EXPECT_EQ(read.statements[0].written, "SELECT A, B\nFROM T WHERE C = '&c';");
    EXPECT_EQ(read.statements[0].ran, "SELECT A, B\nFROM T WHERE C = 'x';");
    const snapshot::Output &values = read.statements[0].outputs.at(0);
    EXPECT_EQ(values.columns, QStringList({"A\tTAB", "B"}));
    ASSERT_EQ(values.rows.size(), 3u);
    EXPECT_EQ(values.rows[0][0], QString("back\\slash"));
    EXPECT_FALSE(values.rows[0][1].has_value());
    EXPECT_EQ(values.rows[1][0], QString("two\nlines\r"));
    EXPECT_EQ(values.rows[1][1], QString("\\N"));
    EXPECT_EQ(values.rows[2][0], QString("```"));
    EXPECT_EQ(values.rows[2][1], QString());
    EXPECT_EQ(values.message, QStringList{"  3 record(s) selected."}); // indented as shown
    const snapshot::Output &failure = read.statements[1].outputs.at(0);
    EXPECT_EQ(failure.code, -204);
    EXPECT_EQ(failure.sqlState, "42704");
    EXPECT_EQ(failure.message.size(), 3);
    EXPECT_EQ(failure.message.at(2), "> quoted");
    EXPECT_EQ(read.statements[2].outputs.at(0).kind, snapshot::Output::Kind::chart);
    EXPECT_TRUE(text.contains("\nfailed: -204 42704\n"));
    EXPECT_TRUE(text.contains("\n## 1. SELECT A, B\n"));

    // What was written compares equal with the run it was written from.
    const snapshot::CheckReport report = snapshot::compare(read, written);
    EXPECT_TRUE(report.matches()) << reportOf(report).toStdString();
    EXPECT_EQ(report.statements, 3);
}

TEST(Snapshot, TimingsNeverReachTheFile) {
    const Snapshot timed = employees().snapshot();
    const QByteArray text = snapshot::toText(timed);
    EXPECT_FALSE(text.contains("0.004s"));
    EXPECT_TRUE(text.contains("\n> Command completed.\n"));
}

TEST(Snapshot, FoldersOfTheMachineAreNamedWhereTheyStandWhole) {
    Script script;
    script.statement("VIEWFILE &curdir./a.txt;", "VIEWFILE /home/u/lib/./a.txt;")
        .message("/home/u/lib/a.txt read from /home/u.")
        .statement("VALUES ('&me');", "VALUES ('/home/u');")
        .result({"1"}, {{"/home/u"}, {"/home/u2/x"}, {"/home/u.old"}, {std::nullopt}}, "");
    const QByteArray text = snapshot::toText(
        script.snapshot("lib.norq", {{"/home/u/lib/", "<curdir>"}, {"/home/u", "<work>"}}));
    EXPECT_TRUE(text.contains("\nVIEWFILE <curdir>/./a.txt;\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\n> <curdir>/a.txt read from <work>.\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\n<work>\n/home/u2/x\n/home/u.old\n\\N\n")) << text.toStdString();
}

TEST(Check, ChangedValuesColumnsAndRowsShowAsADiffOfTheirLines) {
    const Snapshot expected = readBack(snapshot::toText(employees().snapshot()));

    snapshot::CheckReport report =
        snapshot::compare(expected, employees({.second = "BAKKER"}).snapshot());
    EXPECT_EQ(report.changed, 1);
    EXPECT_EQ(report.added + report.removed, 0);
    EXPECT_EQ(report.lines.value(0), "statement changed: 1. SELECT LAST_NAME");
    EXPECT_TRUE(report.lines.contains("    -BAKER"));
    EXPECT_TRUE(report.lines.contains("    +BAKKER"));
    EXPECT_FALSE(report.lines.contains("    +ADAMS"));
    // A dump's statement that opens with comments is named by its code.
    EXPECT_EQ(snapshot::firstLine("-- prices\n\n  SELECT 1;\n"), "SELECT 1;");
    EXPECT_EQ(snapshot::firstLine("-- only a note\n-- and another"), "-- only a note");

    report = snapshot::compare(expected, employees({.column = "NAME"}).snapshot());
    EXPECT_EQ(report.changed, 1);
    EXPECT_TRUE(report.lines.contains("    -LAST_NAME"));
    EXPECT_TRUE(report.lines.contains("    +NAME"));

    Script longer;
    longer.statement("SELECT LAST_NAME\n  FROM EMPLOYEE;")
        .result({"LAST_NAME"}, {{"ADAMS"}, {"BAKER"}, {std::nullopt}},
                "\n  3 record(s) selected.\n")
        .statement("SELECT * FROM NO_SUCH_TABLE;")
        .message("SQL0204N  \"NO_SUCH_TABLE\" is an undefined name.  SQLSTATE=42704", -204)
        .statement("UPDATE EMPLOYEE SET BONUS = 0;")
        .message("Command completed.");
    report = snapshot::compare(expected, longer.snapshot());
    EXPECT_EQ(report.changed, 1);
    EXPECT_TRUE(report.lines.contains("    +\\N")) << reportOf(report).toStdString();
    EXPECT_EQ(report.lines.filter(QRegularExpression("^    -")).size(), 0);
}

TEST(Check, ApproximateNumbersMatchWithinTheToleranceAndNothingElseDoes) {
    const auto run = [](const QString &value, int type) {
        Script script;
        script.statement("SELECT X FROM T;")
            .result({"X"}, {{value}}, "1 record(s) selected.", type);
        return script.snapshot();
    };
    const Snapshot expected = readBack(snapshot::toText(run("0.1", cli::kTypeDouble)));
    EXPECT_TRUE(
        snapshot::compare(expected, run("0.10000000000000002", cli::kTypeDouble)).matches());
    EXPECT_FALSE(snapshot::compare(expected, run("0.1001", cli::kTypeDouble)).matches());
    EXPECT_TRUE(snapshot::compare(expected, run("0.1001", cli::kTypeDouble), 1e-2).matches());
    // Exact numbers and text are compared as written.
    EXPECT_FALSE(snapshot::compare(expected, run("0.10", cli::kTypeDecimal)).matches());
    EXPECT_FALSE(
        snapshot::compare(expected, run("0.10000000000000002", cli::kTypeVarchar)).matches());
    EXPECT_FALSE(snapshot::compare(expected, run(QString(), cli::kTypeDouble)).matches());
}

TEST(Check, AStatementInsertedOrRemovedIsReportedAloneAndTheOthersStillMatch) {
    const Snapshot expected = readBack(snapshot::toText(employees().snapshot()));
    Script inserted;
    inserted.statement("SELECT LAST_NAME\n  FROM EMPLOYEE;")
        .result({"LAST_NAME"}, {{"ADAMS"}, {"BAKER"}}, "\n  2 record(s) selected.\n")
        .statement("VALUES 1;")
        .result({"1"}, {{"1"}}, "1 record(s) selected.")
        .statement("SELECT * FROM NO_SUCH_TABLE;")
        .message("SQL0204N  \"NO_SUCH_TABLE\" is an undefined name.  SQLSTATE=42704", -204)
        .statement("UPDATE EMPLOYEE SET BONUS = 0;")
        .message("Command completed.");
    snapshot::CheckReport report = snapshot::compare(expected, inserted.snapshot());
    EXPECT_EQ(report.added, 1);
    EXPECT_EQ(report.changed + report.removed, 0);
    EXPECT_EQ(report.statements, 4);
    EXPECT_EQ(report.lines, QStringList{"statement added: 2. VALUES 1;"});
    EXPECT_EQ(report.summary(), "pavona: check: 4 statement(s), 0 changed, 1 added, 0 removed");

    report =
        snapshot::compare(readBack(snapshot::toText(inserted.snapshot())), employees().snapshot());
    EXPECT_EQ(report.removed, 1);
    EXPECT_EQ(report.changed + report.added, 0);
    EXPECT_EQ(report.lines, QStringList{"statement removed: 2. VALUES 1;"});
}

TEST(Check, FailuresAreComparedByTheirCodeNotTheirWording) {
    const Snapshot expected = readBack(snapshot::toText(employees().snapshot()));
    const Script reworded = employees({.failure = "no such table: NO_SUCH_TABLE  SQLSTATE=42704"});
    EXPECT_TRUE(snapshot::compare(expected, reworded.snapshot()).matches());

    Script flipped;
    flipped.statement("SELECT LAST_NAME\n  FROM EMPLOYEE;")
        .message("SQL0551N  Not authorized.  SQLSTATE=42501", -551)
        .statement("SELECT * FROM NO_SUCH_TABLE;")
        .result({"A"}, {}, "No records found.")
        .statement("UPDATE EMPLOYEE SET BONUS = 0;")
        .message("SQL0204N  \"EMPLOYEE\" is an undefined name.  SQLSTATE=42703", -206);
    const snapshot::CheckReport report = snapshot::compare(expected, flipped.snapshot());
    EXPECT_EQ(report.changed, 3);
    EXPECT_TRUE(report.lines.contains("  expected success, got failure 42501: SQL0551N  Not "
                                      "authorized.  SQLSTATE=42501"))
        << reportOf(report).toStdString();
    EXPECT_TRUE(report.lines.contains("  expected failure 42704, got success"));
    EXPECT_EQ(report.lines.filter("expected success, got failure 42703").size(), 1);

    // A failure with the same state under another code is another failure.
    EXPECT_EQ(snapshot::compare(expected, employees({.code = -1}).snapshot()).changed, 1);
}

TEST(Snapshot, TextNotWrittenByThisVersionIsRefusedWithTheLineItFailsAt) {
    const QByteArray good = snapshot::toText(employees().snapshot());
    const auto refusal = [](const QByteArray &text) {
        Snapshot read;
        QString error;
        return snapshot::fromText(text, &read, &error) ? QString() : error;
    };
    EXPECT_EQ(refusal(good), QString());
    EXPECT_EQ(refusal(""), "it is empty");
    EXPECT_EQ(refusal("# My notes\n"), "line 1 is not a Pavona snapshot's first line");
    QByteArray later = good;
    later.replace("snapshot 1 of", "snapshot 2 of");
    EXPECT_TRUE(refusal(later).contains("version 2")) << refusal(later).toStdString();

    const QStringList lines = QString::fromUtf8(good).split(u'\n');
    const qsizetype rowLine = lines.indexOf("ADAMS");
    ASSERT_GT(rowLine, 0);
    const auto edited = [&](qsizetype at, const QString &line) {
        QStringList copy = lines;
        copy[at] = line;
        return copy.join(u'\n').toUtf8();
    };
    const QString where = QStringLiteral("line %1").arg(rowLine + 1);
    EXPECT_TRUE(refusal(edited(rowLine, "ADAMS\textra")).contains(where));
    EXPECT_TRUE(refusal(edited(rowLine, "AD\\AMS")).contains(where));
    EXPECT_TRUE(refusal(lines.mid(0, rowLine + 1).join(u'\n').toUtf8()).contains("not closed"));
    EXPECT_TRUE(refusal(edited(lines.indexOf("failed: -204 42704"), "failed: often"))
                    .contains("'failed:'"));
    EXPECT_TRUE(refusal(good + "stray words\n").contains("unexpected 'stray words'"));
    EXPECT_TRUE(refusal(edited(2, "# 1. SELECT")).contains("line 3"));
}

} // namespace

// Plain SQL scripts as users bring them, each run twice on a fresh database: by
// pavona --run and by the database's own shell (sqlite3 reading the file on standard
// input; psql -f on a fresh PostgreSQL database). Both runs must leave the same database
// contents and fail as many statements. The shell's run is checked first against the
// script's own "-- meant to fail" comments, so a corpus script that does not do what it
// says fails as such, not as a difference.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const QString kPavona = QStringLiteral(PAVONA_BIN_DIR "/pavona");
const QString kCorpus = QStringLiteral(PAVONA_CORPUS_DIR);
constexpr int kProcessLimitMs = 50000;
constexpr int kShownLines = 40;

enum class Dialect { sqlite, postgres };

struct Case {
    Dialect dialect;
    std::string name;
    // A committed script, or the text of one generated into the work folder.
    QString file;
    std::function<QByteArray()> generate;
};

void PrintTo(const Case &script, std::ostream *out) {
    *out << script.name;
}

// ---- scripts generated at run time: too big to keep in the repository

QString money(int quarters) {
    return QStringLiteral("%1.%2").arg(quarters / 4).arg((quarters % 4) * 25, 2, 10, QChar(u'0'));
}

// Over a thousand statements in one transaction: more lines than a script holds, one of
// them failing halfway.
QByteArray sqliteManyInserts() {
    QByteArray text = "-- 15,000 INSERT lines in one transaction, one of them failing.\n"
                      "CREATE TABLE big(id INTEGER PRIMARY KEY, name TEXT NOT NULL, amount "
                      "REAL);\n"
                      "BEGIN TRANSACTION;\n";
    for (int i = 1; i <= 15000; ++i) {
        QString name = QStringLiteral("row %1").arg(i);
        if (i % 1000 == 0)
            name += QStringLiteral("; -- semi & dash");
        else if (i % 777 == 0)
            name = QStringLiteral("it''s row %1 ^~").arg(i);
        text += QStringLiteral("INSERT INTO big VALUES(%1,'%2',%3);\n")
                    .arg(i)
                    .arg(name, money(i))
                    .toUtf8();
        if (i == 7500)
            text += "-- meant to fail: the key is taken\n"
                    "INSERT INTO big VALUES(7500,'duplicate',0);\n";
    }
    text += "COMMIT;\n"
            "CREATE TABLE big_total AS SELECT count(*) AS n, sum(amount) AS amount,\n"
            "  sum(length(name)) AS chars FROM big;\n";
    return text;
}

// 12,000 lines, nearly all of them one INSERT's rows.
QByteArray sqliteLongStatement() {
    constexpr int rows = 12000 - 5;
    QByteArray text = "-- One statement over 11,996 lines.\n"
                      "CREATE TABLE wide(id INTEGER PRIMARY KEY, label TEXT, half REAL);\n"
                      "INSERT INTO wide VALUES\n";
    for (int i = 1; i <= rows; ++i) {
        QString label = QStringLiteral("label %1").arg(i);
        if (i % 500 == 0)
            label += QStringLiteral(";");
        else if (i % 333 == 0)
            label = QStringLiteral("&v%1 -- ^x").arg(i);
        text += QStringLiteral("(%1,'%2',%3)%4\n")
                    .arg(i)
                    .arg(label, money(2 * i), i == rows ? QStringLiteral(";") : QStringLiteral(","))
                    .toUtf8();
    }
    text += "CREATE TABLE wide_total AS SELECT count(*) AS n, sum(half) AS half,\n"
            "  sum(length(label)) AS chars FROM wide;\n";
    return text;
}

// A committed script with Windows line ends: inside a literal the shell keeps the "\r".
QByteArray withCrLf(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().replace("\n", "\r\n");
}

QByteArray postgresManyInserts() {
    QByteArray text = "-- 1,500 INSERTs in one transaction; a failure after it.\n"
                      "CREATE TABLE big(id int PRIMARY KEY, name text NOT NULL, amount "
                      "numeric(12,2));\n"
                      "BEGIN;\n";
    for (int i = 1; i <= 1500; ++i) {
        QString name = QStringLiteral("'row %1'").arg(i);
        if (i % 250 == 0)
            name = QStringLiteral("E'row %1\\tescaped\\''").arg(i);
        else if (i % 333 == 0)
            name = QStringLiteral("$$row %1; dollar$$").arg(i);
        else if (i % 101 == 0)
            name = QStringLiteral("'Tom & Jerry %1 ^ ~'").arg(i);
        text += QStringLiteral("INSERT INTO big VALUES (%1, %2, %3);\n")
                    .arg(i)
                    .arg(name, money(i))
                    .toUtf8();
    }
    text += "COMMIT;\n"
            "-- meant to fail: the key is taken\n"
            "INSERT INTO big VALUES (1, 'duplicate', 0);\n"
            "CREATE TABLE big_total AS SELECT count(*) AS n, sum(amount) AS amount,\n"
            "  sum(length(name)) AS chars FROM big;\n";
    return text;
}

std::vector<Case> corpusCases(Dialect dialect) {
    const QString folder =
        dialect == Dialect::sqlite ? QStringLiteral("sqlite") : QStringLiteral("postgres");
    std::vector<Case> cases;
    const QDir dir(kCorpus + u'/' + folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name))
        cases.push_back({dialect, QFileInfo(name).completeBaseName().toStdString(),
                         dir.filePath(name), nullptr});
    if (dialect == Dialect::sqlite) {
        cases.push_back({dialect, "generated_15000_inserts", {}, sqliteManyInserts});
        cases.push_back({dialect, "generated_12000_line_statement", {}, sqliteLongStatement});
        const QString lines = dir.filePath(QStringLiteral("comments_and_lines.sql"));
        cases.push_back({dialect, "generated_crlf_comments_and_lines", {}, [lines] {
                             return withCrLf(lines);
                         }});
    } else {
        cases.push_back({dialect, "generated_1500_inserts", {}, postgresManyInserts});
    }
    return cases;
}

// ---- running the programs

struct Finished {
    QString problem; // empty when the program ran and ended by itself
    int status = -1;
    QString out;
    QString err;
};

Finished runProgram(const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &environment, const QString &folder,
                    const QString &input = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(input.isEmpty() ? QProcess::nullDevice() : input);
    process.start(program, arguments);
    Finished done;
    if (!process.waitForStarted(10000)) {
        done.problem = program + QStringLiteral(" did not start: ") + process.errorString();
        return done;
    }
    if (!process.waitForFinished(kProcessLimitMs)) {
        process.kill();
        process.waitForFinished();
        done.problem =
            program + QStringLiteral(" ran longer than %1 s").arg(kProcessLimitMs / 1000);
    } else if (process.exitStatus() != QProcess::NormalExit) {
        done.problem = program + QStringLiteral(" crashed");
    }
    done.status = process.exitCode();
    done.out = QString::fromUtf8(process.readAllStandardOutput());
    done.err = QString::fromUtf8(process.readAllStandardError());
    return done;
}

struct Failures {
    int count = -1; // -1: the run did not say
    QStringList lines;
};

Failures matchingLines(const QString &text, const QRegularExpression &pattern) {
    Failures found;
    found.count = 0;
    for (const QString &line : text.split(u'\n'))
        if (pattern.match(line).hasMatch()) {
            ++found.count;
            found.lines << line;
        }
    return found;
}

// The program's tally line counts its failures; its FAILED lines say which.
Failures pavonaFailures(const Finished &run) {
    static const QRegularExpression tally(
        QStringLiteral("^pavona: (\\d+) statement\\(s\\), (\\d+) failed"));
    static const QRegularExpression failed(QStringLiteral("^\\[\\d+/\\d+\\] .* FAILED: "));
    Failures found = matchingLines(run.err, failed);
    found.count = -1;
    for (const QString &line : run.err.split(u'\n')) {
        if (const auto match = tally.match(line); match.hasMatch())
            found.count = match.captured(2).toInt();
        else if (line.startsWith(QStringLiteral("pavona: ")))
            found.lines << line; // cannot start, stopped by a signal
    }
    return found;
}

// sqlite3 3.40 writes one "Parse error" or "Runtime error" line per failed statement
// (older shells "Error: near line"); psql one "ERROR:" line.
Failures shellFailures(Dialect dialect, const Finished &run) {
    static const QRegularExpression sqlite(
        QStringLiteral("^(Parse error|Runtime error|Error:) near line \\d+:"));
    static const QRegularExpression psql(QStringLiteral("^psql:.*:\\d+: ERROR: "));
    return matchingLines(run.err, dialect == Dialect::sqlite ? sqlite : psql);
}

int markedFailures(const QByteArray &script) {
    static const QRegularExpression marker(QStringLiteral("^\\s*--\\s*meant to fail"));
    return matchingLines(QString::fromUtf8(script), marker).count;
}

QString firstLines(const QStringList &lines) {
    QString shown;
    for (qsizetype i = 0; i < lines.size() && i < kShownLines; ++i)
        shown += QStringLiteral("    ") + lines[i] + u'\n';
    if (lines.size() > kShownLines)
        shown += QStringLiteral("    ... %1 more\n").arg(lines.size() - kShownLines);
    return shown;
}

// ---- canonical dumps

// Text quoted with its control characters and backslashes escaped, so every row is a line.
QString quoted(const QString &text) {
    QString out = QStringLiteral("'");
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\'')
            out += QStringLiteral("''");
        else if (c < 0x20 || c == 0x7f)
            out += QStringLiteral("\\x%1").arg(int(c), 2, 16, QChar(u'0'));
        else
            out += ch;
    }
    return out + u'\'';
}

QString sqliteValue(sqlite3_stmt *statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return QStringLiteral("NULL");
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return QString::asprintf("%.17g", sqlite3_column_double(statement, column));
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(statement, column));
        const QByteArray blob(bytes, sqlite3_column_bytes(statement, column));
        return QStringLiteral("X'") + QString::fromLatin1(blob.toHex()) + u'\'';
    }
    default:
        return quoted(QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
            sqlite3_column_bytes(statement, column)));
    }
}

// The embedded engine adds a named CHECK per declared column type to each CREATE TABLE, as
// its way of enforcing types as a server does; the script did not write them.
QString withoutTypeConstraints(QString sql) {
    static const QRegularExpression added(
        QStringLiteral(R"( CONSTRAINT "PAVONA_\d{5}_(?:[^"]|"")*" CHECK \()"));
    for (auto match = added.match(sql); match.hasMatch();
         match = added.match(sql, match.capturedStart())) {
        qsizetype end = match.capturedEnd();
        int depth = 1;
        QChar quote;
        while (end < sql.size() && depth > 0) {
            const QChar ch = sql[end++];
            if (!quote.isNull()) {
                if (ch == quote) quote = QChar(); // a doubled quote closes and reopens
            } else if (ch == u'\'' || ch == u'"') {
                quote = ch;
            } else if (ch == u'(') {
                ++depth;
            } else if (ch == u')') {
                --depth;
            }
        }
        sql.remove(match.capturedStart(), end - match.capturedStart());
    }
    return sql;
}

struct Dump {
    QString text;
    QString problem; // why there is no text
};

// Every schema object by type and name, then each table's rows in rowid order (primary
// key order for a table without rowid).
Dump sqliteDump(const QString &path) {
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return {{}, QStringLiteral("cannot open %1: %2").arg(path, error)};
    }
    QString dump;
    QStringList tables;
    auto rows = [&](const QString &sql, const std::function<void(sqlite3_stmt *)> &each) {
        sqlite3_stmt *statement = nullptr;
        const int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr);
        if (rc == SQLITE_OK)
            while (sqlite3_step(statement) == SQLITE_ROW)
                each(statement);
        sqlite3_finalize(statement);
        return rc == SQLITE_OK;
    };
    rows(QStringLiteral("SELECT type, name, sql FROM sqlite_schema ORDER BY type, name"),
         [&](sqlite3_stmt *row) {
             const QString type = sqliteValue(row, 0).mid(1).chopped(1);
             const QString name =
                 QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, 1)));
             QString sql = sqliteValue(row, 2);
             if (type == u"table" && sqlite3_column_type(row, 2) == SQLITE_TEXT)
                 sql = quoted(withoutTypeConstraints(QString::fromUtf8(
                     reinterpret_cast<const char *>(sqlite3_column_text(row, 2)))));
             dump += QStringLiteral("%1 %2: %3\n").arg(type, quoted(name), sql);
             if (type == u"table") tables << name;
         });
    for (const QString &table : std::as_const(tables)) {
        const QString from =
            QStringLiteral("SELECT * FROM \"%1\"")
                .arg(QString(table).replace(QStringLiteral("\""), QStringLiteral("\"\"")));
        auto line = [&](sqlite3_stmt *row) {
            QStringList values;
            for (int column = 0; column < sqlite3_column_count(row); ++column)
                values << sqliteValue(row, column);
            dump += QStringLiteral("row %1: %2\n")
                        .arg(quoted(table), values.join(QStringLiteral(", ")));
        };
        if (!rows(from + QStringLiteral(" ORDER BY rowid"), line) && !rows(from, line))
            dump += QStringLiteral("cannot read %1: %2\n")
                        .arg(quoted(table), QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_close(db);
    return {dump, {}};
}

// The public schema's objects and each table's rows as JSON, ordered by their text.
const char *const kPostgresDump = R"SQL(
SELECT 'table ' || c.relname || '(' || string_agg(a.attname || ' '
         || format_type(a.atttypid, a.atttypmod)
         || CASE WHEN a.attnotnull THEN ' not null' ELSE '' END
         || coalesce(' default ' || pg_get_expr(d.adbin, d.adrelid), ''), ', ' ORDER BY a.attnum)
       || ')'
  FROM pg_class c
  JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
  LEFT JOIN pg_attrdef d ON d.adrelid = c.oid AND d.adnum = a.attnum
 WHERE c.relnamespace = 'public'::regnamespace AND c.relkind IN ('r', 'p')
 GROUP BY c.relname ORDER BY 1;
SELECT 'constraint ' || conrelid::regclass || ' ' || conname || ': ' || pg_get_constraintdef(oid)
  FROM pg_constraint WHERE connamespace = 'public'::regnamespace ORDER BY 1;
SELECT 'index ' || indexdef FROM pg_indexes WHERE schemaname = 'public' ORDER BY 1;
SELECT 'view ' || viewname || ': ' || definition FROM pg_views WHERE schemaname = 'public'
 ORDER BY 1;
SELECT 'sequence ' || sequencename || ' ' || coalesce(last_value::text, 'unused')
  FROM pg_sequences WHERE schemaname = 'public' ORDER BY 1;
SELECT 'type ' || t.typname || ' ' || t.typtype::text || ': '
       || coalesce((SELECT string_agg(e.enumlabel, ', ' ORDER BY e.enumsortorder)
                      FROM pg_enum e WHERE e.enumtypid = t.oid),
                   format_type(t.typbasetype, t.typtypmod))
  FROM pg_type t WHERE t.typnamespace = 'public'::regnamespace AND t.typtype IN ('e', 'd')
 ORDER BY 1;
SELECT 'function ' || p.oid::regprocedure || ': '
       || CASE WHEN p.prokind = 'a' THEN 'aggregate' ELSE pg_get_functiondef(p.oid) END
  FROM pg_proc p WHERE p.pronamespace = 'public'::regnamespace ORDER BY 1;
SELECT 'trigger ' || pg_get_triggerdef(t.oid)
       || CASE t.tgenabled WHEN 'D' THEN ' (disabled)' ELSE '' END
  FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid
 WHERE c.relnamespace = 'public'::regnamespace AND NOT t.tgisinternal ORDER BY 1;
SELECT 'comment ' || c.relname || coalesce('.' || a.attname, '') || ': ' || d.description
  FROM pg_description d
  JOIN pg_class c ON d.classoid = 'pg_class'::regclass AND d.objoid = c.oid
  LEFT JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = d.objsubid AND d.objsubid > 0
 WHERE c.relnamespace = 'public'::regnamespace ORDER BY 1;
SELECT format('SELECT %L || '': '' || r FROM (SELECT row_to_json(x)::text AS r FROM public.%I x) s'
              ' ORDER BY r COLLATE "C"', 'row ' || c.relname, c.relname)
  FROM pg_class c WHERE c.relnamespace = 'public'::regnamespace AND c.relkind IN ('r', 'p')
 ORDER BY c.relname COLLATE "C"
\gexec
)SQL";

bool writeFile(const QString &path, const QByteArray &text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// A unified diff of the two dumps, its first lines.
QString dumpDifference(const QString &folder, const QString &shellName, const QString &shellDump,
                       const QString &pavonaDump) {
    if (shellDump == pavonaDump) return {};
    const QString left = folder + QStringLiteral("/shell.dump");
    const QString right = folder + QStringLiteral("/pavona.dump");
    writeFile(left, shellDump.toUtf8());
    writeFile(right, pavonaDump.toUtf8());
    const Finished diff =
        runProgram(QStringLiteral("diff"),
                   {QStringLiteral("-u"), QStringLiteral("--label"), shellName,
                    QStringLiteral("--label"), QStringLiteral("pavona"), left, right},
                   QProcessEnvironment::systemEnvironment(), folder);
    QStringList lines = diff.out.split(u'\n');
    if (lines.isEmpty() || diff.out.isEmpty())
        return QStringLiteral("the dumps differ (diff said nothing: %1)\n").arg(diff.problem);
    return firstLines(lines);
}

// ---- the test

class CorpusScript : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        work.setAutoRemove(qEnvironmentVariableIsEmpty("PAVONA_CORPUS_KEEP"));
        if (!work.autoRemove()) std::printf("work folder kept: %s\n", qPrintable(work.path()));
        const Case &script = GetParam();
        if (script.generate) {
            path = work.filePath(QString::fromStdString(script.name) + QStringLiteral(".sql"));
            text = script.generate();
            ASSERT_TRUE(writeFile(path, text));
        } else {
            path = script.file;
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
            text = file.readAll();
        }
        ASSERT_FALSE(text.isEmpty()) << qPrintable(path);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           work.filePath(QStringLiteral("config")));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        catalog = work.filePath(QStringLiteral("data/pavona/databases"));
        ASSERT_TRUE(QDir().mkpath(catalog));
    }

    // Both runs' outcomes side by side; the shell's own run is checked against the
    // script's comments first.
    void compare(const QString &shellName, const Finished &shell, const Dump &shellDump,
                 const Finished &pavona, const Dump &pavonaDump) {
        const Dialect dialect = GetParam().dialect;
        const QString file = QFileInfo(path).fileName();
        // Both runs' messages in full, for a kept work folder (PAVONA_CORPUS_KEEP).
        writeFile(work.filePath(QStringLiteral("shell.err")), shell.err.toUtf8());
        writeFile(work.filePath(QStringLiteral("pavona.err")), pavona.err.toUtf8());
        ASSERT_TRUE(shell.problem.isEmpty()) << qPrintable(shell.problem);
        const Failures expected = shellFailures(dialect, shell);
        ASSERT_EQ(expected.count, markedFailures(text))
            << qPrintable(shellName) << " does not run " << qPrintable(file)
            << " as its \"meant to fail\" comments say:\n"
            << qPrintable(firstLines(expected.lines) + shell.err.left(2000));
        ASSERT_TRUE(shellDump.problem.isEmpty()) << qPrintable(shellDump.problem);
        ASSERT_FALSE(shellDump.text.isEmpty())
            << qPrintable(shellName) << " left an empty database";

        const Failures found = pavonaFailures(pavona);
        EXPECT_TRUE(pavona.problem.isEmpty()) << qPrintable(pavona.problem);
        EXPECT_EQ(found.count, expected.count)
            << qPrintable(file) << ": failed statements differ (-1: no tally line)\n  "
            << qPrintable(shellName) << "'s failures:\n"
            << qPrintable(firstLines(expected.lines)) << "  pavona's failures:\n"
            << qPrintable(firstLines(found.lines));
        EXPECT_TRUE(pavonaDump.problem.isEmpty()) << qPrintable(pavonaDump.problem);
        const QString difference =
            dumpDifference(work.path(), shellName, shellDump.text, pavonaDump.text);
        EXPECT_TRUE(difference.isEmpty()) << qPrintable(file) << ": the database contents differ\n"
                                          << qPrintable(difference);
    }

    QTemporaryDir work{QDir::tempPath() + QStringLiteral("/corpus-") +
                       QString::fromStdString(GetParam().name) + QStringLiteral("-XXXXXX")};
    QString path;
    QByteArray text;
    QProcessEnvironment environment;
    QString catalog;
};

using SqliteCorpus = CorpusScript;
using PostgresCorpus = CorpusScript;

TEST_P(SqliteCorpus, LeavesWhatTheSqliteShellLeaves) {
    const QString shellDb = work.filePath(QStringLiteral("shell.db"));
    const Finished shell =
        runProgram(QStringLiteral("sqlite3"), {shellDb}, environment, work.path(), path);
    const Dump shellDump = sqliteDump(shellDb);

    // An empty file is an empty database: the catalog offers it as CORPUS.
    const QString pavonaDb = catalog + QStringLiteral("/CORPUS.db");
    ASSERT_TRUE(writeFile(pavonaDb, {}));
    const Finished pavona = runProgram(
        kPavona,
        {QStringLiteral("--run"), path, QStringLiteral("--database"), QStringLiteral("CORPUS")},
        environment, work.path());
    compare(QStringLiteral("sqlite3"), shell, shellDump, pavona, sqliteDump(pavonaDb));
}

// The private server of scripts/with-postgres: a database of its own for each run, reached
// by psql directly and by the program through a data source naming it.
class PostgresServer {
public:
    PostgresServer() {
        dsn_ = qEnvironmentVariable("PAVONA_TEST_PG_DSN");
        const QString odbcIni = qEnvironmentVariable("ODBCINI");
        if (dsn_.isEmpty() || odbcIni.isEmpty() ||
            qEnvironmentVariableIsEmpty("PAVONA_TEST_PG_PORT")) {
            missing_ = QStringLiteral("no PostgreSQL server: run under scripts/with-postgres");
            return;
        }
        QFile ini(odbcIni);
        if (!ini.open(QIODevice::ReadOnly)) {
            missing_ = QStringLiteral("cannot read ") + odbcIni;
            return;
        }
        bool inSection = false;
        for (const QString &line : QString::fromUtf8(ini.readAll()).split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(u'['))
                inSection = trimmed == u'[' + dsn_ + u']';
            else if (inSection && !trimmed.startsWith(QStringLiteral("Database")))
                sourceLines_ << line;
        }
        if (sourceLines_.isEmpty()) missing_ = dsn_ + QStringLiteral(" is not in ") + odbcIni;
        psql_ = QProcessEnvironment::systemEnvironment();
        psql_.insert(QStringLiteral("PGHOST"), qEnvironmentVariable("PAVONA_TEST_PG_HOST"));
        psql_.insert(QStringLiteral("PGPORT"), qEnvironmentVariable("PAVONA_TEST_PG_PORT"));
        psql_.insert(QStringLiteral("PGUSER"), user());
        psql_.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
        psql_.remove(QStringLiteral("PGDATABASE"));
        psql_.remove(QStringLiteral("PGOPTIONS"));
    }

    QString missing() const { return missing_; }
    QString user() const { return qEnvironmentVariable("PAVONA_TEST_PG_USER", "postgres"); }

    Finished psql(const QString &database, const QStringList &arguments,
                  const QString &folder) const {
        return runProgram(QStringLiteral("psql"),
                          QStringList{QStringLiteral("-X"), QStringLiteral("-q"),
                                      QStringLiteral("-d"), database} +
                              arguments,
                          psql_, folder);
    }

    // A fresh database, dropped first if a killed run left it.
    QString create(const QString &database, const QString &folder) const {
        const Finished made =
            psql(QStringLiteral("postgres"),
                 {QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"),
                  QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database),
                  QStringLiteral("-c"),
                  QStringLiteral("CREATE DATABASE %1 TEMPLATE template0").arg(database)},
                 folder);
        if (!made.problem.isEmpty()) return made.problem;
        return made.status == 0 ? QString() : made.err;
    }
    void drop(const QString &database, const QString &folder) const {
        psql(QStringLiteral("postgres"),
             {QStringLiteral("-c"),
              QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database)},
             folder);
    }

    // odbc.ini with one data source, CORPUS_PG, on the given database.
    bool writeSource(const QString &path, const QString &database) const {
        const QString text = QStringLiteral("[CORPUS_PG]\n") + sourceLines_.join(u'\n') +
                             QStringLiteral("\nDatabase=") + database + u'\n';
        return writeFile(path, text.toUtf8());
    }

    Dump dump(const QString &database, const QString &folder) const {
        const QString script =
            folder + QStringLiteral("/dump-") + database + QStringLiteral(".sql");
        if (!writeFile(script, kPostgresDump))
            return {{}, QStringLiteral("cannot write ") + script};
        const Finished done =
            psql(database,
                 {QStringLiteral("-At"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                  QStringLiteral("-f"), script},
                 folder);
        if (!done.problem.isEmpty() || done.status != 0)
            return {{},
                    QStringLiteral("the dump of %1 failed: %2%3")
                        .arg(database, done.problem, done.err)};
        return {done.out, {}};
    }

private:
    QString dsn_;
    QString missing_;
    QStringList sourceLines_;
    QProcessEnvironment psql_;
};

TEST_P(PostgresCorpus, LeavesWhatPsqlLeaves) {
    const PostgresServer server;
    if (!server.missing().isEmpty()) GTEST_SKIP() << qPrintable(server.missing());
    const QString base = QStringLiteral("corpus_") + QString::fromStdString(GetParam().name);
    const QString shellDb = base + QStringLiteral("_psql");
    const QString pavonaDb = base + QStringLiteral("_pavona");
    for (const QString &database : {shellDb, pavonaDb}) {
        const QString problem = server.create(database, work.path());
        ASSERT_TRUE(problem.isEmpty()) << qPrintable(problem);
    }

    const Finished shell =
        server.psql(shellDb,
                    // Pavona's PostgreSQL sessions undo only a failed statement, also inside a
                    // transaction: psql's ON_ERROR_ROLLBACK does the same.
                    {QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=0"), QStringLiteral("-v"),
                     QStringLiteral("ON_ERROR_ROLLBACK=on"), QStringLiteral("-f"), path},
                    work.path());
    const Dump shellDump = server.dump(shellDb, work.path());

    const QString odbcIni = work.filePath(QStringLiteral("odbc.ini"));
    ASSERT_TRUE(server.writeSource(odbcIni, pavonaDb));
    QProcessEnvironment pavonaEnvironment = environment;
    pavonaEnvironment.insert(QStringLiteral("ODBCINI"), odbcIni);
    const Finished pavona =
        runProgram(kPavona,
                   {QStringLiteral("--run"), path, QStringLiteral("--database"),
                    QStringLiteral("CORPUS_PG"), QStringLiteral("--user"), server.user()},
                   pavonaEnvironment, work.path());
    const Dump pavonaDump = server.dump(pavonaDb, work.path());
    server.drop(shellDb, work.path());
    server.drop(pavonaDb, work.path());
    compare(QStringLiteral("psql"), shell, shellDump, pavona, pavonaDump);
}

std::string caseName(const ::testing::TestParamInfo<Case> &info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, SqliteCorpus, ::testing::ValuesIn(corpusCases(Dialect::sqlite)),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Corpus, PostgresCorpus,
                         ::testing::ValuesIn(corpusCases(Dialect::postgres)), caseName);

} // namespace

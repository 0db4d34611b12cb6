#include "client/norq_processor.h"

#include "client/result_table.h"
#include "client/tool_output.h"
#include "database/catalog.h"
#include "database/cli/cli.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {

const QString kCompleted = QStringLiteral("The %1 command completed successfully.");

QRegularExpression command(const char *pattern) {
    return QRegularExpression(QString::fromLatin1(pattern),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::DotMatchesEverythingOption);
}

bool isValidDatabaseName(const QString &name) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,63}$"));
    return pattern.match(name).hasMatch();
}

// An empty database file that the embedded engine opens as a database: writing the
// header's user version creates the first page.
bool createEmbeddedFile(const QString &path, QString &error) {
    sqlite3 *db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    int rc = sqlite3_open_v2(file.constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE,
                             nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) error = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

} // namespace

bool NorqProcessor::fail(const QString &message) {
    out_.line(message);
    return false;
}

bool NorqProcessor::run(const QString &statement) {
    static const QRegularExpression connectTo =
        command("^CONNECT\\s+TO\\s+(\\S+)(?:\\s+USER\\s+(\\S+)(?:\\s+USING\\s+(\\S+))?)?\\s*$");
    static const QRegularExpression connectReset = command("^CONNECT\\s+RESET\\s*$");
    static const QRegularExpression connectOnly = command("^CONNECT\\s*$");
    static const QRegularExpression terminate = command("^(TERMINATE|QUIT)\\s*$");
    static const QRegularExpression createDb =
        command("^CREATE\\s+(?:DATABASE|DB)\\s+(\\S+)(\\s.*)?$");
    static const QRegularExpression dropDb = command("^DROP\\s+(?:DATABASE|DB)\\s+(\\S+)\\s*$");
    static const QRegularExpression listDb = command("^LIST\\s+(?:DATABASE|DB)\\s+DIRECTORY\\s*$");
    static const QRegularExpression echo = command("^ECHO(?:\\s(.*))?$");

    QRegularExpressionMatch m;
    if ((m = connectTo.match(statement)).hasMatch())
        return this->connectTo(m.captured(1), m.captured(2), m.captured(3));
    if (connectReset.match(statement).hasMatch()) return this->connectReset();
    if (connectOnly.match(statement).hasMatch()) return showConnection();
    if (terminate.match(statement).hasMatch()) return this->terminate();
    if ((m = createDb.match(statement)).hasMatch()) return createDatabase(m.captured(1));
    if ((m = dropDb.match(statement)).hasMatch()) return dropDatabase(m.captured(1));
    if (listDb.match(statement).hasMatch()) return listDatabaseDirectory();
    if ((m = echo.match(statement)).hasMatch()) {
        out_.line(m.captured(1));
        return true;
    }
    return runSql(statement);
}

bool NorqProcessor::connectTo(const QString &database, const QString &user,
                              const QString &password) {
    QString error;
    if (!session_.connect(database, user, password, error)) return fail(error);
    return showConnection();
}

bool NorqProcessor::showConnection() {
    if (!session_.isConnected()) return fail(QStringLiteral("No database connection exists."));
    out_.line(QStringLiteral("   Database Connection Information"));
    out_.line();
    out_.line(QStringLiteral(" SQL authorization ID   = ") + session_.user());
    out_.line(QStringLiteral(" Local database alias   = ") + session_.database());
    return true;
}

bool NorqProcessor::connectReset() {
    session_.disconnect();
    out_.line(kCompleted.arg(QStringLiteral("SQL")));
    return true;
}

bool NorqProcessor::terminate() {
    session_.disconnect();
    out_.line(kCompleted.arg(QStringLiteral("TERMINATE")));
    return true;
}

bool NorqProcessor::createDatabase(const QString &name) {
    if (!isValidDatabaseName(name))
        return fail(QStringLiteral("\"%1\" is not a valid database name.").arg(name));
    if (!embeddedDatabaseFile(name).isEmpty())
        return fail(QStringLiteral("The database \"%1\" already exists.").arg(name.toUpper()));
    const QString folder = embeddedCatalogFolder();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("Cannot create the database folder \"%1\".").arg(folder));
    QString error;
    const QString path = QDir(folder).filePath(name.toUpper() + QStringLiteral(".db"));
    if (!createEmbeddedFile(path, error))
        return fail(
            QStringLiteral("Cannot create the database \"%1\": %2").arg(name.toUpper(), error));
    out_.line(kCompleted.arg(QStringLiteral("CREATE DATABASE")));
    return true;
}

bool NorqProcessor::dropDatabase(const QString &name) {
    const QString path = embeddedDatabaseFile(name);
    if (path.isEmpty())
        return fail(QStringLiteral("The database \"%1\" was not found.").arg(name.toUpper()));
    if (session_.isConnected() && session_.database().compare(name, Qt::CaseInsensitive) == 0)
        return fail(QStringLiteral("The database \"%1\" is in use; use CONNECT RESET first.")
                        .arg(name.toUpper()));
    if (!QFile::remove(path))
        return fail(QStringLiteral("Cannot remove the database file \"%1\".").arg(path));
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    out_.line(kCompleted.arg(QStringLiteral("DROP DATABASE")));
    return true;
}

bool NorqProcessor::listDatabaseDirectory() {
    const auto sources = session_.dataSources();
    out_.line(QStringLiteral(" System Database Directory"));
    out_.line();
    out_.line(QStringLiteral(" Number of entries in the directory = %1").arg(sources.size()));
    int number = 0;
    for (const auto &[name, description] : sources) {
        out_.line();
        out_.line(QStringLiteral("Database %1 entry:").arg(++number));
        out_.line();
        out_.line(QStringLiteral(" Database alias                       = ") + name);
        out_.line(QStringLiteral(" Database name                        = ") + name);
        out_.line(QStringLiteral(" Comment                              = ") + description);
    }
    return true;
}

bool NorqProcessor::runSql(const QString &sql) {
    if (!session_.isConnected())
        return fail(QStringLiteral("No database connection exists. Use CONNECT TO first."));
    const auto statement = session_.execute(sql);
    if (!statement) return fail(session_.diagnostic(nullptr));
    if (statement->result() == cli::kError) return fail(statement->error());
    if (statement->isQuery()) {
        const bool complete = printResultTable(*statement, out_);
        if (!complete) out_.line(statement->error());
        return complete;
    }
    if (statement->result() == cli::kNoData)
        out_.line(QStringLiteral("The statement found no row to change."));
    else
        out_.line(kCompleted.arg(QStringLiteral("SQL")));
    if (!statement->error().isEmpty()) out_.line(statement->error());
    return true;
}

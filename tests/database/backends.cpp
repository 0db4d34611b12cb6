#include "backends.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

ScratchCatalog::ScratchCatalog() : previous_(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", dir_.path().toUtf8());
    QDir().mkpath(folder());
    createDatabase(QStringLiteral("TESTDB"));
}

ScratchCatalog::~ScratchCatalog() {
    if (previous_.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previous_);
}

QString ScratchCatalog::folder() const {
    return dir_.path() + QStringLiteral("/pavona/databases");
}

void ScratchCatalog::createDatabase(const QString &name) const {
    const QString file = folder() + QLatin1Char('/') + name + QStringLiteral(".db");
    QFile::remove(file);
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QString postgresDsn() {
    return qEnvironmentVariable("PAVONA_TEST_PG_DSN");
}

QString mariadbDsn() {
    return qEnvironmentVariable("PAVONA_TEST_MARIADB_DSN");
}

void BackendTest::SetUp() {
    catalog_ = std::make_unique<ScratchCatalog>();
    if (embedded()) {
        database_ = QStringLiteral("TESTDB");
        return;
    }
    if (mariadb()) {
        database_ = mariadbDsn();
        if (database_.isEmpty())
            GTEST_SKIP() << "no MariaDB data source (PAVONA_TEST_MARIADB_DSN unset)";
        return;
    }
    database_ = postgresDsn();
    if (database_.isEmpty()) GTEST_SKIP() << "no PostgreSQL data source (PAVONA_TEST_PG_DSN unset)";
}

QString BackendTest::table(const QString &base) const {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    QString name = base + QLatin1Char('_') + QString::fromLatin1(info->name());
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name.toUpper().left(60);
}

#pragma once
// The database tests run against the embedded engine and, when the test command has
// started them, against PostgreSQL and MariaDB through their ODBC data sources.

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// Points the embedded catalog at a fresh temporary folder holding an empty database
// TESTDB, for the life of the object.
class ScratchCatalog {
public:
    ScratchCatalog();
    ~ScratchCatalog();
    QString folder() const;
    // Creates (or empties) an embedded database file in the catalog.
    void createDatabase(const QString &name) const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

// The PostgreSQL data source's name, or "" when the tests run without a server.
QString postgresDsn();
// The MariaDB data source's name, or "" when the tests run without one.
QString mariadbDsn();

class BackendTest : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override;
    bool embedded() const { return QString::fromLatin1(GetParam()) == QLatin1String("embedded"); }
    bool mariadb() const { return QString::fromLatin1(GetParam()) == QLatin1String("mariadb"); }
    // The name to connect to.
    QString database() const { return database_; }
    // A table name unique to this test (so runs against one server do not collide).
    QString table(const QString &base) const;
    // The dialect's spelling of a type.
    QString doubleType() const { return embedded() || mariadb() ? "DOUBLE" : "DOUBLE PRECISION"; }
    QString blobType() const { return embedded() ? "BLOB" : mariadb() ? "LONGBLOB" : "BYTEA"; }

    std::unique_ptr<ScratchCatalog> catalog_;
    QString database_;
};

#define PAVONA_BACKENDS(Suite)                                                                     \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                                      \
                             ::testing::Values("embedded", "postgres", "mariadb"),                 \
                             [](const auto &info) { return std::string(info.param); })

#include <ostream>
// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

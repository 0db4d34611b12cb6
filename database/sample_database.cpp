#include "database/sample_database.h"

#include "database/catalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <sqlite3.h>

namespace {

// Runs the script into a new database file; empty on success, else the reason.
QString buildDatabase(const QString &path, const QByteArray &script) {
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char *message = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, script.constData(), nullptr, nullptr, &message);
    QString reason;
    if (rc != SQLITE_OK)
        reason = QString::fromUtf8(message ? message : db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_free(message);
    sqlite3_close(db);
    return reason;
}

} // namespace

SampleOutcome createSampleDatabase(const QString &script, QString *detail) {
    const QString existing = embeddedDatabaseFile(QStringLiteral("SAMPLE"));
    if (!existing.isEmpty()) {
        *detail = existing;
        return SampleOutcome::existed;
    }
    QFile source(script);
    if (!source.open(QIODevice::ReadOnly)) {
        *detail = QStringLiteral("cannot read %1: %2").arg(script, source.errorString());
        return SampleOutcome::failed;
    }
    const QString folder = embeddedCatalogFolder();
    if (!QDir().mkpath(folder)) {
        *detail = QStringLiteral("cannot make the catalog folder %1").arg(folder);
        return SampleOutcome::failed;
    }
    const QString target = folder + QStringLiteral("/SAMPLE.db");
    // Built aside and moved into place, so a failure never leaves half a database behind.
    const QString partial =
        target + QStringLiteral(".partial.%1").arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    const QString reason = buildDatabase(partial, source.readAll());
    if (!reason.isEmpty() || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        *detail = reason.isEmpty() ? QStringLiteral("cannot create %1").arg(target)
                                   : QStringLiteral("%1: %2").arg(script, reason);
        return SampleOutcome::failed;
    }
    *detail = target;
    return SampleOutcome::created;
}

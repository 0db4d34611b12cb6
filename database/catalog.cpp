#include "database/catalog.h"

#include <QDir>
#include <QStandardPaths>

QString embeddedCatalogFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/pavona/databases");
}

QStringList embeddedDatabaseNames() {
    QStringList names;
    const QDir folder(embeddedCatalogFolder());
    for (const QFileInfo &file : folder.entryInfoList({QStringLiteral("*.db")}, QDir::Files))
        names << file.completeBaseName().toUpper();
    names.sort();
    names.removeDuplicates();
    return names;
}

QString embeddedDatabaseFile(const QString &name) {
    const QString wanted = name.trimmed();
    // A name is a plain word: no path may lead out of the catalog.
    if (wanted.isEmpty() || wanted.contains(QLatin1Char('/')) ||
        wanted.startsWith(QLatin1Char('.')))
        return {};
    const QDir folder(embeddedCatalogFolder());
    for (const QFileInfo &file : folder.entryInfoList({QStringLiteral("*.db")}, QDir::Files)) {
        if (file.completeBaseName().compare(wanted, Qt::CaseInsensitive) == 0)
            return file.absoluteFilePath();
    }
    return {};
}

#include "mainwindow/resource_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString findResourceFolder(const QString &subfolder, const QString &fileName) {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList candidates{
        QDir::currentPath(),
        exeDir + u'/' + subfolder,
        exeDir + QStringLiteral("/../share/pavona/") + subfolder,
        QStringLiteral(PAVONA_SOURCE_DIR "/") + subfolder,
    };
    for (const QString &folder : candidates)
        if (QFileInfo::exists(folder + u'/' + fileName)) return QDir(folder).absolutePath();
    return {};
}

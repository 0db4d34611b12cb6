#include "mainwindow/resource_folders.h"

#include "core/install_layout.h"

#include <QDir>
#include <QFileInfo>

QString installedResourceFolder(const QString &subfolder, const QString &fileName) {
    QStringList candidates{installedDataFolder() + u'/' + subfolder};
    // The source tree is only where a program in its build folder finds its files.
    if (runsFromBuildFolder()) candidates << QStringLiteral(PAVONA_SOURCE_DIR "/") + subfolder;
    for (const QString &folder : candidates)
        if (QFileInfo::exists(folder + u'/' + fileName)) return QDir(folder).absolutePath();
    return {};
}

QString findResourceFolder(const QString &subfolder, const QString &fileName) {
    if (QFileInfo::exists(fileName)) return QDir::current().absolutePath();
    return installedResourceFolder(subfolder, fileName);
}

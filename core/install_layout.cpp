#include "core/install_layout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Relative paths from the installed bin folder, fixed by the build (GNUInstallDirs).
QString fromProgram(const char *relative) {
    return QDir::cleanPath(programFolder() + u'/' + QLatin1String(relative));
}

} // namespace

QString programFolder() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

bool runsFromBuildFolder() {
    return QFileInfo(programFolder()).canonicalFilePath() ==
           QFileInfo(QStringLiteral(PAVONA_BUILD_BIN_DIR)).canonicalFilePath();
}

QString installPrefix() {
    return fromProgram(PAVONA_BIN_TO_PREFIX);
}

QString installedDataFolder() {
    return fromProgram(PAVONA_BIN_TO_DATA);
}

QString routineLibraryPath() {
    const QString override = qEnvironmentVariable("PAVONA_ROUTINE_LIBRARY");
    if (!override.isEmpty()) return override;
    const QString beside = programFolder() + QStringLiteral("/libpavona.so");
    if (runsFromBuildFolder() || QFileInfo::exists(beside)) return beside;
    return fromProgram(PAVONA_BIN_TO_ROUTINES) + QStringLiteral("/libpavona.so");
}

#pragma once
// What the tests of stopping a run check afterwards: that nothing of a child's process
// group is left running.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>

// Whether a process of the group still runs (zombies waiting to be reaped do not count).
inline bool groupHasLiveProcess(qint64 group) {
    if (group <= 0) return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        // After the name in parentheses: state, parent, process group.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z") return true;
    }
    return false;
}

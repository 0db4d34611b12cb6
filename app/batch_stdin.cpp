#include "app/batch_stdin.h"

#include <QDir>
#include <QFile>
#include <cstdio>

bool ScriptFromStdin::read(QString *error) {
    constexpr qint64 kPiece = 1 << 16;
    file_.setFileTemplate(QDir::temp().filePath(QStringLiteral("pavona-stdin-XXXXXX.norq")));
    QFile in;
    if (!file_.open() || !in.open(stdin, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        *error = file_.isOpen() ? in.errorString() : file_.errorString();
        return false;
    }
    for (;;) {
        const QByteArray piece = in.read(kPiece);
        if (piece.isEmpty()) break;
        if (file_.write(piece) != piece.size()) {
            *error = file_.errorString();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        *error = in.errorString();
        return false;
    }
    if (!file_.flush()) {
        *error = file_.errorString();
        return false;
    }
    return true;
}

#include "client/tool_output.h"

#include <cstdio>

bool ToolOutput::openFile(const QString &path, QString &error) {
    file_.setFileName(path);
    if (file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return true;
    error =
        QStringLiteral("Cannot write the output file \"%1\": %2.").arg(path, file_.errorString());
    return false;
}

void ToolOutput::line(const QString &text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    if (screen_) std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
    if (file_.isOpen()) file_.write(bytes);
}

void ToolOutput::flush() {
    if (screen_) std::fflush(stdout);
    if (file_.isOpen()) file_.flush();
}

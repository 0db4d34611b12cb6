#include "app/batch_window_interface.h"

#include <utility>

namespace {

QString asQuestion(const QString &title, const QString &prompt) {
    QString question = (prompt.isEmpty() ? title : prompt).trimmed();
    if (!question.endsWith(u':') && !question.endsWith(u'?')) question += u':';
    return question + u' ';
}

} // namespace

BatchWindowInterface::BatchWindowInterface(QHash<QString, QString> defines, bool terminal, FILE *in,
                                           FILE *err)
    : defines_(std::move(defines)), terminal_(terminal), in_(in), err_(err) {}

bool BatchWindowInterface::readAnswer(const QString &question, QString *answer) {
    std::fputs(question.toLocal8Bit().constData(), err_);
    std::fflush(err_);
    QByteArray line;
    int c = 0;
    while ((c = std::fgetc(in_)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.isEmpty()) {
        std::fputc('\n', err_);
        return false;
    }
    if (line.endsWith('\r')) line.chop(1);
    *answer = QString::fromLocal8Bit(line);
    return true;
}

QString BatchWindowInterface::inputBox(const QString &title, const QString &prompt,
                                       const QString &defaultText) {
    QString answer;
    if (!terminal_ || !readAnswer(asQuestion(title, prompt), &answer)) return {};
    return answer.isEmpty() ? defaultText : answer;
}

WindowInterface::VariableAnswer BatchWindowInterface::askVariable(const QString &name,
                                                                  const QString &title,
                                                                  const QString &prompt) {
    const QString key = name.toUpper();
    // ACCEPT and &&NAME ask again; a value given for the run is the answer.
    if (const auto given = defines_.constFind(key); given != defines_.constEnd())
        return {given.value(), false, QString()};
    QString answer;
    if (terminal_ && readAnswer(asQuestion(title, prompt), &answer)) return {answer, false, {}};
    const QString why = terminal_ ? QStringLiteral("standard input ended")
                                  : QStringLiteral("standard input is not a terminal");
    return {QString(), true,
            QStringLiteral("Variable %1 has no value and %2: pass --define %1=VALUE, or "
                           "--no-substitution when &%1 is data.")
                .arg(key, why)};
}

void BatchWindowInterface::messageBox(const QString &title, const QString &text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ');
    std::fprintf(err_, "%s: %s\n", title.toLocal8Bit().constData(),
                 line.simplified().toLocal8Bit().constData());
    std::fflush(err_);
}

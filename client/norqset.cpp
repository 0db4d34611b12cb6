// Registry tool: lists, shows, sets and clears the client's registry variables, kept as
// NAME=value lines in $XDG_CONFIG_HOME/pavona/norqset.conf.
//   norqset [-all]        lists every variable
//   norqset NAME          shows one variable
//   norqset NAME=value    sets it
//   norqset NAME=         clears it

#include "client/tool_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <cstdio>

namespace {

const char *const kUsage = "Usage: norqset [-all] | NAME | NAME=value | NAME= ...\n"
                           "Lists, shows, sets and clears registry variables, kept in\n"
                           "$XDG_CONFIG_HOME/pavona/norqset.conf.\n"
                           "\n"
                           "  -all        lists every variable (also without arguments)\n"
                           "  NAME        shows one variable\n"
                           "  NAME=value  sets it\n"
                           "  NAME=       clears it\n"
                           "  --help      shows this text\n"
                           "  --version   shows the version\n";

using Registry = QMap<QString, QString>;

QString registryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/pavona/norqset.conf");
}

bool isValidName(const QString &name) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(name).hasMatch();
}

void print(FILE *stream, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

Registry readRegistry() {
    Registry registry;
    QFile file(registryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return registry;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            registry.insert(line.left(equals).trimmed().toUpper(), line.mid(equals + 1));
    }
    return registry;
}

bool writeRegistry(const Registry &registry) {
    const QString path = registryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    for (auto it = registry.cbegin(); it != registry.cend(); ++it)
        out << it.key() << u'=' << it.value() << u'\n';
    out.flush();
    return file.commit();
}

void listRegistry(const Registry &registry) {
    for (auto it = registry.cbegin(); it != registry.cend(); ++it)
        print(stdout, it.key() + u'=' + it.value());
}

// Applies one argument; false (with a message) when it is not a valid variable name.
bool applyArgument(const QString &argument, Registry &registry, bool &changed) {
    const qsizetype equals = argument.indexOf(u'=');
    const QString name = (equals < 0 ? argument : argument.left(equals)).trimmed().toUpper();
    if (!isValidName(name)) {
        print(stderr, QStringLiteral("NORQSET: \"%1\" is not a valid variable name.").arg(name));
        return false;
    }
    if (equals < 0) {
        if (registry.contains(name)) print(stdout, name + u'=' + registry.value(name));
        return true;
    }
    const QString value = argument.mid(equals + 1);
    if (value.isEmpty())
        changed |= registry.remove(name) > 0;
    else {
        changed |= registry.value(name) != value || !registry.contains(name);
        registry.insert(name, value);
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (answeredHelpOrVersion(argc, argv, "norqset", kUsage)) return 0;
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    Registry registry = readRegistry();

    if (arguments.isEmpty() ||
        arguments.first().compare(QLatin1String("-all"), Qt::CaseInsensitive) == 0) {
        listRegistry(registry);
        return 0;
    }
    if (arguments.first() == QLatin1String("-?") || arguments.first() == QLatin1String("-h")) {
        print(stdout, QStringLiteral("usage: norqset [-all] | NAME | NAME=value | NAME= ..."));
        return 0;
    }

    bool changed = false;
    bool allValid = true;
    for (const QString &argument : arguments)
        allValid &= applyArgument(argument, registry, changed);
    if (changed && !writeRegistry(registry)) {
        print(stderr, QStringLiteral("NORQSET: cannot write %1.").arg(registryPath()));
        return 1;
    }
    return allValid ? 0 : 1;
}

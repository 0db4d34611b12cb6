#include "database/cli/connection_forms.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace cli {
namespace {

bool isUri(const QString &target) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(target).hasMatch();
}

// A data source name may not hold "=", so a leading "KEYWORD=" is a connection string.
bool isConnectionString(const QString &target) {
    static const QRegularExpression keyword(QStringLiteral("^[A-Za-z][A-Za-z0-9_ ]*="));
    return keyword.match(target).hasMatch();
}

QString valueText(const QByteArray &value) {
    if (!value.contains(';') && !value.contains('{') && !value.contains('}') &&
        !value.contains(' ') && value.trimmed() == value)
        return QString::fromUtf8(value);
    QByteArray braced = value;
    braced.replace("}", "}}");
    return QString::fromUtf8("{" + braced + "}");
}

} // namespace

bool hasSqliteSuffix(const QString &target) {
    static const QRegularExpression suffix(QStringLiteral("\\.(db|db3|sqlite|sqlite3)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return suffix.match(target.trimmed()).hasMatch();
}

TargetForm targetForm(const QString &target) {
    const QString text = target.trimmed();
    if (isUri(text)) return TargetForm::Uri;
    if (isConnectionString(text)) return TargetForm::ConnectionString;
    if (text.contains(u'/') || text.startsWith(u'~')) return TargetForm::File;
    if (hasSqliteSuffix(text) && QFileInfo(sqliteFilePath(text)).isFile()) return TargetForm::File;
    return TargetForm::Name;
}

QString sessionTarget(const QString &target) {
    const QString text = target.trimmed();
    return targetForm(text) == TargetForm::Name ? text.toUpper() : text;
}

QString sqliteFilePath(const QString &target) {
    QString path = target.trimmed();
    if (path == u'~' || path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    return QFileInfo(path).absoluteFilePath();
}

ServerUri parseServerUri(const QString &uri, QString *problem) {
    ServerUri server;
    const QUrl url(uri.trimmed());
    const QString scheme = url.scheme().toLower();
    if (!url.isValid()) {
        *problem = QStringLiteral("it is not a valid URI (%1)").arg(url.errorString());
        return server;
    }
    if (scheme == u"postgresql" || scheme == u"postgres") {
        server.family = ServerFamily::PostgreSql;
    } else if (scheme == u"mariadb" || scheme == u"mysql") {
        server.family = ServerFamily::MariaDb;
    } else {
        *problem = QStringLiteral("its scheme \"%1\" is none of postgresql://, postgres://, "
                                  "mariadb:// and mysql://")
                       .arg(url.scheme());
        return server;
    }
    const bool postgres = server.family == ServerFamily::PostgreSql;
    const QString host = url.host(QUrl::FullyDecoded);
    Attributes &a = server.attributes;
    a.append({QStringLiteral("SERVER"), host.isEmpty() ? QStringLiteral("localhost") : host});
    a.append({QStringLiteral("PORT"), QString::number(url.port(postgres ? 5432 : 3306))});
    const QString database = url.path(QUrl::FullyDecoded).mid(1);
    if (!database.isEmpty()) a.append({QStringLiteral("DATABASE"), database});
    if (!url.userName().isEmpty()) {
        a.append({QStringLiteral("UID"), url.userName(QUrl::FullyDecoded)});
        a.append({QStringLiteral("PWD"), url.password(QUrl::FullyDecoded)});
    }
    // As the data sources the program is tested with: binary columns as binary data, and
    // an UPDATE's count of the rows it matched, as other servers report it.
    if (postgres)
        a.append({QStringLiteral("ByteaAsLongVarBinary"), QStringLiteral("1")});
    else
        a.append({QStringLiteral("OPTION"), QStringLiteral("2")});
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        a.append({key, value});
    problem->clear();
    return server;
}

QByteArray connectionString(const Attributes &attributes) {
    QString text;
    for (const auto &[key, value] : attributes)
        text += key + u'=' + valueText(value.toUtf8()) + u';';
    return text.toUtf8();
}

QString attributeOf(const QString &connectionString, const QString &keyword) {
    // A braced value may hold ";" and "}}" stands for "}".
    static const QRegularExpression pair(
        QStringLiteral("(?:^|;)\\s*([^=;]+?)\\s*=\\s*(\\{(?:[^}]|\\}\\})*\\}|[^;]*)"));
    for (auto it = pair.globalMatch(connectionString); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(1).compare(keyword, Qt::CaseInsensitive) != 0) continue;
        QString value = match.captured(2).trimmed();
        if (value.startsWith(u'{') && value.endsWith(u'}'))
            value =
                value.mid(1, value.size() - 2).replace(QStringLiteral("}}"), QStringLiteral("}"));
        return value;
    }
    return {};
}

} // namespace cli

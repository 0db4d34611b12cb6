#include "database/session.h"

#include "core/engine_state.h"
#include "core/install_layout.h"
#include "core/messages.h"
#include "core/shown_text.h"
#include "core/window_interface.h"
#include "database/cli/cli.h"
#include "database/cli/connection_forms.h"
#include "database/execution.h"

#include <array>

namespace {

constexpr int kStateLength = 10;
constexpr int kMessageLength = 512;

// The communication area the start call fills; nothing reads it back.
struct CommunicationArea {
    std::array<char, 136> bytes{};
};

SessionHooks hooks;

void showStatus(const QString &text) {
    engine.ui->connectStatus(text);
    engine.ui->processEvents();
}

// The plain message of the diagnostic of the innermost handle (stmt, then the
// connection, then the environment); empty when there is none.
QString cliMessage(const SessionState &session, CliHandle stmt, int32_t &native) {
    char state[kStateLength + 1] = {0};
    char message[kMessageLength + 1] = {0};
    int16_t length = 0;
    native = 0;
    if (cli::SQLError(session.envHandle, session.connHandle, stmt, state, &native, message,
                      kMessageLength, &length) != cli::kSuccess)
        return {};
    const int used = std::clamp<int>(length, 0, kMessageLength);
    return plainErrorText(QString::fromUtf8(message, static_cast<int>(strnlen(message, used))));
}

// The diagnostic of the current handles, cut to the plain message, and its native code.
QString diagnosticText(const SessionState &session, int32_t &native) {
    QString text = cliMessage(session, session.stmtHandle, native);
    if (text.trimmed().isEmpty())
        text = session.connected
                   ? QStringLiteral("The database reported an error without a message.")
                   : QStringLiteral("No connection exists.");
    return text;
}

// Why the connection handle's last connect failed, as the interface or the driver said.
QString connectFailureReason(const SessionState &session) {
    int32_t native = 0;
    return cliMessage(session, nullptr, native).trimmed();
}

void dropStatement(SessionState &session) {
    session.lastRc = cli::SQLFreeStmt(session.stmtHandle, cli::kDrop);
    session.stmtHandle = nullptr;
}

QString environmentOr(const char *name, const QString &fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

// Only Norq's servers keep registry views; other servers are not asked.
void readRegistrySettings(SessionState &session, bool ask) {
    const QString prefix = QStringLiteral("SELECT REG_VAR_VALUE FROM SYSVELMORAADM.REG_VARIABLES ");
    const QString suffix = QStringLiteral("  FETCH FIRST ROW ONLY ");
    const auto query = [&session, ask](const QString &sql) {
        return ask ? runSilentQuery(session, engine, sql) : QString();
    };
    QString profile =
        query(prefix + QStringLiteral("  WHERE REG_VAR_NAME='NORQINSTPROF' ") + suffix);
    QString instance =
        query(prefix + QStringLiteral("  WHERE REG_VAR_NAME='NORQINSTDEF' ") + suffix);
    QString path = query(prefix + QStringLiteral("  WHERE REG_VAR_NAME='NORQPATH' ") + suffix);
    QString diagnostics =
        query(QStringLiteral("SELECT VALUE FROM SYSVELMORAADM.DBMCFG WHERE NAME='diagpath'"));
    if (path.isEmpty()) path = environmentOr("NORQPATH", installPrefix());
    if (instance.isEmpty()) instance = environmentOr("NORQINSTANCE", QStringLiteral("NORQ"));
    if (profile.isEmpty()) profile = environmentOr("NORQINSTPROF", path);
    if (diagnostics.isEmpty()) diagnostics = profile + QLatin1Char('/') + instance;
    reportValue(QStringLiteral("norqpath"), path);
    reportValue(QStringLiteral("sqllib"), path);
    reportValue(QStringLiteral("norqinstdef"), instance);
    reportValue(QStringLiteral("instance"), instance);
    reportValue(QStringLiteral("norqinstprof"), profile);
    reportValue(QStringLiteral("norqdiag"), diagnostics);
}

int connectOnce(SessionState &session, const QString &database, const QString &userid,
                const QString &password) {
    const QByteArray db = database.toUtf8(), uid = userid.toUtf8(), pwd = password.toUtf8();
    session.lastRc =
        cli::SQLConnect(session.connHandle, db.constData(), cli::kNullTerminated, uid.constData(),
                        cli::kNullTerminated, pwd.constData(), cli::kNullTerminated);
    return session.lastRc;
}

bool succeeded(int rc) {
    return rc == cli::kSuccess || rc == cli::kSuccessWithInfo;
}

bool nativeDialect = false;

QString connectionInfo(const SessionState &session, int16_t what) {
    char value[256] = {0};
    int16_t length = 0;
    if (cli::SQLGetInfo(session.connHandle, what, value, sizeof value - 1, &length) !=
        cli::kSuccess)
        return {};
    return QString::fromUtf8(value).trimmed();
}

// The server's name for the user. Other servers than Norq's own are asked in words
// they understand, so the attempt leaves no failed statement in their logs.
QString currentUser(SessionState &session) {
    if (nativeDialect)
        return runSilentQuery(session, engine, QStringLiteral("VALUES CURRENT USER"));
    QString user = connectionInfo(session, cli::kInfoUserName);
    if (user.isEmpty())
        user = runSilentQuery(session, engine, QStringLiteral("SELECT CURRENT_USER"));
    return user;
}

} // namespace

void setSessionHooks(SessionHooks newHooks) {
    hooks = std::move(newHooks);
}

void reportValue(const QString &name, const QString &value) {
    if (hooks.report) hooks.report(name, value);
}

std::optional<QString> lookupValue(const QString &name) {
    return hooks.lookup ? hooks.lookup(name) : std::nullopt;
}

QString shownDatabaseName(const QString &database) {
    return withPasswordsMasked(cli::sessionTarget(database));
}

bool connectedToNativeDialect(const SessionState &session) {
    return session.connected && nativeDialect;
}

void collectServerNotices(const SessionState &session) {
    for (int16_t record = 1;; ++record) {
        char state[kStateLength + 1] = {0};
        int32_t native = 0;
        char message[kMessageLength + 1] = {0};
        int16_t length = 0;
        if (cli::SQLGetDiagRec(cli::kHandleStmt, session.stmtHandle, record, state, &native,
                               message, kMessageLength, &length) != cli::kSuccess)
            return;
        const QString text = plainErrorText(QString::fromUtf8(message)).trimmed();
        if (!text.isEmpty() && hooks.serverNotice) hooks.serverNotice(text);
    }
}

QString plainErrorText(const QString &text) {
    int brackets = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char(']') && ++brackets == 3) return text.mid(i + 1).trimmed();
    }
    return text;
}

int Norq_start() {
    CommunicationArea area;
    return static_cast<int16_t>(cli::sqlepstart_api(nullptr, &area));
}

int Norq_connect(SessionState &session, QString &database, QString &userid, QString &password) {
    if (cli::executing()) {
        setMessage(true, -1, 0,
                   QStringLiteral("A statement is still running: stop it before connecting."),
                   QStringLiteral("Norq_connect"));
        return -1;
    }
    if (session.connected) Norq_disconnect(session);
    session.connected = false;
    if (session.connHandle) {
        // What a failed attempt left behind.
        cli::SQLFreeConnect(session.connHandle);
        session.connHandle = nullptr;
    }
    session.lastRc = cli::SQLAllocConnect(session.envHandle, &session.connHandle);
    if (session.lastRc != cli::kSuccess) {
        session.connHandle = nullptr;
        engine.msgText = QStringLiteral("SQL CLI Driver Error: Can't Allocate a connection handle");
        return -1;
    }
    engine.ui->setBusyPointer(true);
    const QString shown = withPasswordsMasked(database);
    showStatus(QStringLiteral("Connecting to ") + shown);
    int rc = connectOnce(session, database, userid, password);
    if (!succeeded(rc) &&
        engine.ui->askYesNo(QStringLiteral("Error Connecting"),
                            QStringLiteral("Cannot connect to ") + shown +
                                QStringLiteral(". Does Norq need to be started?"))) {
        showStatus(QStringLiteral("Starting Norq"));
        session.lastRc = Norq_start();
        showStatus(QStringLiteral("Connecting to ") + shown);
        rc = connectOnce(session, database, userid, password);
    }
    if (!succeeded(rc)) {
        if (engine.msgText.isEmpty()) {
            engine.msgText = QStringLiteral("Connection to ") + shown +
                             QStringLiteral(" failed. Check the database name, userid, and "
                                            "password and if the database has been started.");
            const QString reason = connectFailureReason(session);
            if (!reason.isEmpty()) engine.msgText += u'\r' + reason;
        }
        engine.msgCode = -1;
        cli::SQLFreeConnect(session.connHandle);
        session.connHandle = nullptr;
        engine.ui->setBusyPointer(false);
        session.errorFlag = true;
        return -1;
    }

    session.connected = true;
    // The embedded engine speaks the dialect of Norq's servers.
    const QString product = connectionInfo(session, cli::kInfoDbmsName);
    nativeDialect = product.startsWith(QLatin1String("Pavona embedded")) ||
                    product.contains(QLatin1String("Norq"), Qt::CaseInsensitive);
    // The server's name for the user; a server that cannot say keeps the one typed.
    const QString current = currentUser(session);
    if (!current.isEmpty()) userid = current;
    reportValue(QStringLiteral("userid"), userid);
    if (!lookupValue(QStringLiteral("schema"))) reportValue(QStringLiteral("schema"), userid);
    reportValue(QStringLiteral("database"), shownDatabaseName(database));
    reportValue(QStringLiteral("jsondb"), shownDatabaseName(database));
    if (hooks.connected) hooks.connected();
    showStatus(QStringLiteral("Retrieving Norq registry settings"));
    readRegistrySettings(session, nativeDialect);
    engine.ui->setBusyPointer(false);
    setMessage(false, 0, 8, shown, QStringLiteral("Norq_connect"));
    return 0;
}

int Norq_disconnect(SessionState &session) {
    if (cli::executing()) return -1; // never from under a running statement
    if (session.connected) {
        cli::SQLDisconnect(session.connHandle);
        cli::SQLFreeConnect(session.connHandle);
        session.connHandle = nullptr;
        session.stmtHandle = nullptr;
    }
    session.connected = false;
    return 0;
}

int Norq_close(SessionState &session) {
    dropStatement(session);
    // A transaction the user opened ends with the user's own COMMIT or ROLLBACK.
    if (!cli::transactionOpen(session.connHandle))
        session.lastRc = cli::SQLEndTran(cli::kHandleDbc, session.connHandle, cli::kCommit);
    return 0;
}

bool transactionOpen(const SessionState &session) {
    return session.connected && cli::transactionOpen(session.connHandle);
}

QString captionWithTransaction(const QString &caption) {
    return transactionOpen(engine)
               ? caption + QStringLiteral(" - transaction open: COMMIT or ROLLBACK ends it")
               : caption;
}

bool rollbackOpenTransaction(SessionState &session, QString *failure) {
    failure->clear();
    if (!transactionOpen(session)) return false;
    session.lastRc = cli::SQLEndTran(cli::kHandleDbc, session.connHandle, cli::kRollback);
    if (session.lastRc == cli::kError) {
        int32_t native = 0;
        *failure = cliMessage(session, nullptr, native).trimmed();
        if (failure->isEmpty()) *failure = QStringLiteral("the database gave no reason");
    }
    return true;
}

void reportCliError(SessionState &session) {
    int32_t native = 0;
    const QString text = diagnosticText(session, native);
    // A failure the database gave no code for must still count as one.
    engine.msgCode = native != 0 ? native : -1;
    session.errorFlag = true;
    engine.msgText = text;
    Norq_close(session);
}

QString lastCliError(SessionState &session) {
    int32_t native = 0;
    const QString text = diagnosticText(session, native).trimmed();
    dropStatement(session);
    return text;
}

int Norq_error(SessionState &session) {
    int32_t native = 0;
    const QString text = diagnosticText(session, native).trimmed();
    dropStatement(session);
    setMessage(true, native != 0 ? native : -1, 0, text, QStringLiteral("Norq_error"));
    session.errorFlag = true;
    return 0;
}

QString runSilentQuery(SessionState &session, FetchBuffer &buffer, const QString &sql) {
    session.silentRowCount = 0;
    if (!session.connHandle) return {};
    session.lastRc = cli::SQLAllocStmt(session.connHandle, &session.stmtHandle);
    if (session.lastRc != cli::kSuccess) {
        session.stmtHandle = nullptr;
        return {};
    }
    const QByteArray text = sql.toUtf8();
    int16_t columns = 0;
    if (cli::SQLSetStmtAttr(session.stmtHandle, cli::kAttrNoScan, 1, cli::kNullTerminated) ==
            cli::kError ||
        cli::SQLExecDirect(session.stmtHandle, text.constData(), static_cast<int>(text.size())) ==
            cli::kError ||
        cli::SQLNumResultCols(session.stmtHandle, &columns) == cli::kError || columns == 0) {
        Norq_close(session);
        return {};
    }
    char name[33] = {0};
    int16_t nameLength = 0, type = 0, decimals = 0, nullable = 0;
    uint32_t size = 0;
    cli::SQLDescribeCol(session.stmtHandle, 1, name, 32, &nameLength, &type, &size, &decimals,
                        &nullable);
    const int length = static_cast<int>(std::min<uint32_t>(size, 4000 - 16)) + 16;
    int32_t valueLength = 0;
    cli::SQLBindCol(session.stmtHandle, 1, cli::kCChar, &buffer.fetchBuffer[1], length,
                    &valueLength);
    buffer.fetchBuffer.fill(0);
    QString value;
    int rc = cli::SQLFetch(session.stmtHandle);
    while (succeeded(rc)) {
        if (session.silentRowCount == 0) value = bytesToText(buffer, 1, length).trimmed();
        ++session.silentRowCount;
        buffer.fetchBuffer.fill(0);
        rc = cli::SQLFetch(session.stmtHandle);
    }
    Norq_close(session);
    return value;
}

QString sqlErrorMessage(const QString &id) {
    return runSilentQuery(engine, engine,
                          QStringLiteral("VALUES SQLERRM('") + id +
                              QStringLiteral("','','','en_EN',0)"));
}

void cmdConnect(SessionState &session, const CommandArgs &command) {
    engine.msgText.clear();
    const auto word = [&command](int i) { return command.args[i].trimmed(); };
    switch (command.argCount) {
    case 1:
        if (word(1).toUpper() == QLatin1String("RESET")) {
            Norq_disconnect(session);
            return;
        }
        engine.msgText = QStringLiteral("Incorrect CONNECT syntax.");
        break;
    case 2:
        session.databaseName = cli::sessionTarget(word(2));
        session.userId.clear();
        session.userPassword.clear();
        break;
    // The user as typed: the embedded catalog upper-cases it, a server's roles may be
    // case-sensitive.
    case 4:
        session.databaseName = cli::sessionTarget(word(2));
        session.userId = word(4);
        session.userPassword.clear();
        break;
    case 6:
        session.databaseName = cli::sessionTarget(word(2));
        session.userId = word(4);
        session.userPassword = word(6);
        break;
    default:
        setMessage(true, -1, 0, QStringLiteral("Insufficient parameters for the CONNECT statement"),
                   QStringLiteral("cmdConnect"));
        return;
    }
    Norq_connect(session, session.databaseName, session.userId, session.userPassword);
}

#include "client/client_session.h"

#include "core/shown_text.h"
#include "database/cli/cli.h"
#include "database/cli/connection_forms.h"

#include <QByteArray>
#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr int kMinBuffer = 256;
constexpr int kMaxBuffer = 32001;
constexpr int kNameBuffer = 256;
constexpr int kMessageBuffer = 1024;

QString loginName() {
    if (const passwd *entry = getpwuid(getuid())) return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

bool succeeded(int rc) {
    return rc == cli::kSuccess || rc == cli::kSuccessWithInfo;
}

} // namespace

ClientStatement::ClientStatement(ClientSession &session, void *handle)
    : session_(session), handle_(handle) {}

ClientStatement::~ClientStatement() {
    if (!handle_) return;
    cli::SQLFreeStmt(handle_, cli::kDrop);
    // A transaction the user opened ends with the user's own COMMIT or ROLLBACK.
    if (session_.connection_ && !cli::transactionOpen(session_.connection_))
        cli::SQLEndTran(cli::kHandleDbc, session_.connection_, cli::kCommit);
}

void ClientStatement::describeAndBind() {
    int16_t count = 0;
    if (!succeeded(cli::SQLNumResultCols(handle_, &count)) || count <= 0) return;
    columns_.resize(count);
    buffers_.resize(count);
    lengths_.assign(count, 0);
    for (int16_t col = 1; col <= count; ++col) {
        char name[kNameBuffer] = {};
        int16_t nameLen = 0, type = 0, decimals = 0, nullable = 0;
        uint32_t size = 0;
        cli::SQLDescribeCol(handle_, col, name, sizeof name, &nameLen, &type, &size, &decimals,
                            &nullable);
        ClientColumn &column = columns_[col - 1];
        column.name = QString::fromUtf8(name, std::clamp<int>(nameLen, 0, kNameBuffer - 1));
        column.type = type;
        column.size = static_cast<int>(std::min<uint32_t>(size, kMaxBuffer));
        column.decimals = decimals;
        std::vector<char> &buffer = buffers_[col - 1];
        buffer.assign(std::clamp(column.size * 4 + 1, kMinBuffer, kMaxBuffer), '\0');
        cli::SQLBindCol(handle_, col, cli::kCChar, buffer.data(),
                        static_cast<int32_t>(buffer.size()), &lengths_[col - 1]);
    }
}

bool ClientStatement::fetch() {
    if (!handle_ || columns_.empty()) return false;
    const int rc = cli::SQLFetch(handle_);
    if (succeeded(rc)) return true;
    if (rc != cli::kNoData) {
        result_ = cli::kError;
        error_ = session_.diagnostic(handle_);
    }
    return false;
}

QString ClientStatement::value(int column) const {
    if (column < 0 || column >= static_cast<int>(buffers_.size()) || isNull(column)) return {};
    return QString::fromUtf8(buffers_[column].data());
}

bool ClientStatement::isNull(int column) const {
    return column < 0 || column >= static_cast<int>(lengths_.size()) ||
           lengths_[column] == cli::kNullData;
}

ClientSession::ClientSession() {
    if (!succeeded(cli::SQLAllocEnv(&environment_))) environment_ = nullptr;
}

ClientSession::~ClientSession() {
    disconnect();
    if (environment_) cli::SQLFreeEnv(environment_);
}

bool ClientSession::connect(const QString &database, const QString &user, const QString &password,
                            QString &error) {
    disconnect();
    if (!environment_) {
        error = QStringLiteral("The database interface could not be initialised.");
        return false;
    }
    void *connection = nullptr;
    if (!succeeded(cli::SQLAllocConnect(environment_, &connection))) {
        error = diagnostic(nullptr);
        return false;
    }
    const QByteArray db = database.toUtf8(), uid = user.toUtf8(), pwd = password.toUtf8();
    const int rc =
        cli::SQLConnect(connection, db.constData(), cli::kNullTerminated, uid.constData(),
                        cli::kNullTerminated, pwd.constData(), cli::kNullTerminated);
    if (!succeeded(rc)) {
        connection_ = connection;
        error = diagnostic(nullptr);
        connection_ = nullptr;
        cli::SQLFreeConnect(connection);
        return false;
    }
    connection_ = connection;
    // As the tools print it: a path or URI as written, a password masked.
    database_ = withPasswordsMasked(cli::sessionTarget(database));
    user_ = (user.isEmpty() ? loginName() : user).toUpper();
    return true;
}

void ClientSession::disconnect() {
    if (!connection_) return;
    // A transaction the user left open is rolled back with the connection, not committed.
    if (!cli::transactionOpen(connection_))
        cli::SQLEndTran(cli::kHandleDbc, connection_, cli::kCommit);
    cli::SQLDisconnect(connection_);
    cli::SQLFreeConnect(connection_);
    connection_ = nullptr;
    database_.clear();
    user_.clear();
}

std::unique_ptr<ClientStatement> ClientSession::execute(const QString &sql) {
    void *handle = nullptr;
    if (!connection_ || !succeeded(cli::SQLAllocStmt(connection_, &handle))) return nullptr;
    std::unique_ptr<ClientStatement> statement(new ClientStatement(*this, handle));
    cli::SQLSetStmtAttr(handle, cli::kAttrNoScan, 1, 0);
    const QByteArray text = sql.toUtf8();
    const int rc = cli::SQLExecDirect(handle, text.constData(), static_cast<int>(text.size()));
    statement->result_ = rc;
    if (rc == cli::kError || rc == cli::kInvalidHandle) {
        statement->result_ = cli::kError;
        statement->error_ = diagnostic(handle);
        return statement;
    }
    if (rc == cli::kSuccessWithInfo) statement->error_ = diagnostic(handle);
    statement->describeAndBind();
    return statement;
}

std::vector<std::pair<QString, QString>> ClientSession::dataSources() {
    std::vector<std::pair<QString, QString>> sources;
    if (!environment_) return sources;
    int16_t direction = cli::kFetchFirst;
    for (;;) {
        char name[kNameBuffer] = {}, description[kNameBuffer] = {};
        int16_t nameLen = 0, descriptionLen = 0;
        const int rc = cli::SQLDataSources(environment_, direction, name, sizeof name, &nameLen,
                                           description, sizeof description, &descriptionLen);
        if (!succeeded(rc)) break;
        sources.emplace_back(QString::fromUtf8(name), QString::fromUtf8(description));
        direction = cli::kFetchNext;
    }
    return sources;
}

QString ClientSession::diagnostic(void *statement) const {
    char state[6] = {};
    char message[kMessageBuffer] = {};
    int32_t native = 0;
    int16_t length = 0;
    const int rc = cli::SQLError(environment_, connection_, statement, state, &native, message,
                                 sizeof message, &length);
    if (!succeeded(rc)) return QStringLiteral("The statement failed without a diagnostic.");
    QString text = QString::fromUtf8(message).trimmed();
    const QString sqlState = QStringLiteral("SQLSTATE=") + QString::fromLatin1(state);
    if (state[0] && !text.contains(sqlState)) text += QStringLiteral("  ") + sqlState;
    return text;
}

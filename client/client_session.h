#pragma once
// One database connection of a command-line tool, over the same call-level interface the
// program uses, with statements read row by row as text.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct ClientColumn {
    QString name;
    int type = 0;
    int size = 0;
    int decimals = 0;
};

class ClientSession;

// A statement being read; rows are fetched one at a time.
class ClientStatement {
public:
    ~ClientStatement();
    ClientStatement(const ClientStatement &) = delete;
    ClientStatement &operator=(const ClientStatement &) = delete;

    // 0 success, 1 success with a warning, 100 no row touched, -1 failed (see error()).
    int result() const { return result_; }
    const QString &error() const { return error_; }
    const std::vector<ClientColumn> &columns() const { return columns_; }
    bool isQuery() const { return !columns_.empty(); }

    // Next row; false at the end or on a failure (error() then tells which).
    bool fetch();
    QString value(int column) const;
    bool isNull(int column) const;

private:
    friend class ClientSession;
    ClientStatement(ClientSession &session, void *handle);
    void describeAndBind();

    ClientSession &session_;
    void *handle_ = nullptr;
    int result_ = 0;
    QString error_;
    std::vector<ClientColumn> columns_;
    std::vector<std::vector<char>> buffers_;
    std::vector<int32_t> lengths_;
};

class ClientSession {
public:
    ClientSession();
    ~ClientSession();
    ClientSession(const ClientSession &) = delete;
    ClientSession &operator=(const ClientSession &) = delete;

    // False with a message in error when the database cannot be reached.
    bool connect(const QString &database, const QString &user, const QString &password,
                 QString &error);
    void disconnect();
    bool isConnected() const { return connection_ != nullptr; }
    const QString &database() const { return database_; }
    const QString &user() const { return user_; }

    // Runs one statement; the work is committed when the statement is destroyed.
    std::unique_ptr<ClientStatement> execute(const QString &sql);

    // Names of every database the interface knows, with a description.
    std::vector<std::pair<QString, QString>> dataSources();

    // The diagnostic of the given statement (or of the connection when null).
    QString diagnostic(void *statement) const;

private:
    friend class ClientStatement;
    void *environment_ = nullptr;
    void *connection_ = nullptr;
    QString database_;
    QString user_;
};

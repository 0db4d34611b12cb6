#pragma once
// The command-line processor's statements: its own commands (CONNECT, TERMINATE, CREATE
// and DROP DATABASE, LIST DATABASE DIRECTORY, ECHO) and SQL through the connection.

#include "client/client_session.h"

class ToolOutput;

class NorqProcessor {
public:
    explicit NorqProcessor(ToolOutput &out) : out_(out) {}

    // Runs one statement and prints its outcome; false when it failed.
    bool run(const QString &statement);

private:
    bool connectTo(const QString &database, const QString &user, const QString &password);
    bool showConnection();
    bool connectReset();
    bool terminate();
    bool createDatabase(const QString &name);
    bool dropDatabase(const QString &name);
    bool listDatabaseDirectory();
    bool runSql(const QString &sql);
    bool fail(const QString &message);

    ToolOutput &out_;
    ClientSession session_;
};

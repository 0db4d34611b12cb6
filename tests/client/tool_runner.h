#pragma once
// Runs one of the client tools as a program, in a scratch folder with its own catalog and
// configuration folders, every wait bounded.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

struct ToolResult {
    int exitCode = -1;
    QString out;
    QString err;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(work.isValid()); }

    ToolResult runTool(const QString &tool, const QStringList &arguments,
                       const QByteArray &input = QByteArray(), int timeoutMs = 60000) {
        QProcess process;
        // A tool of this build by its name, any other program by its path.
        process.setProgram(tool.contains(u'/') ? tool : QStringLiteral(PAVONA_BIN_DIR "/") + tool);
        process.setArguments(arguments);
        process.setWorkingDirectory(work.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        environment.insert(QStringLiteral("PATH"), QStringLiteral(PAVONA_BIN_DIR ":") +
                                                       environment.value(QStringLiteral("PATH")));
        for (auto it = extraEnvironment.cbegin(); it != extraEnvironment.cend(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        process.start();
        ToolResult result;
        if (!process.waitForStarted(10000)) {
            ADD_FAILURE() << tool.toStdString() << " did not start";
            return result;
        }
        if (!input.isEmpty()) process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished(5000);
            ADD_FAILURE() << tool.toStdString() << " did not finish";
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QString path(const QString &name) const { return QDir(work.path()).filePath(name); }

    void writeFile(const QString &name, const QByteArray &bytes) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QString readFile(const QString &name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir work;
    QMap<QString, QString> extraEnvironment;
};

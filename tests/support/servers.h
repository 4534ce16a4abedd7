#pragma once

// What the test servers share: a fresh password, a free port, waiting for
// one to answer, a helper program run to its end, a process group ended at
// once, and what landed in a server's folder or holds a password.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHostAddress>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <csignal>

namespace tarnwell::test {

// A password for one run of a test server, plain enough for any login file.
inline QByteArray newPassword()
{
    return QByteArray::number(QRandomGenerator::system()->generate64(), 36) + "-Pw";
}

// A port on 127.0.0.1 that nothing listens on at the moment, or 0.
inline int freePort(int port = 0)
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, quint16(port)) ? probe.serverPort() : 0;
}

// Waits, at most ten seconds, until the port answers; with a greeting, until
// the server's first line starts with it. False at once if the server ends.
inline bool waitForPort(int port, const QProcess *server = nullptr, const QByteArray &greeting = {})
{
    const QDeadlineTimer deadline(10000);
    for (int tries = 0; tries < 200 && !deadline.hasExpired(); ++tries) {
        if (server && server->state() == QProcess::NotRunning)
            return false;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (socket.waitForConnected(500) &&
            (greeting.isEmpty() ||
             (socket.waitForReadyRead(2000) && socket.readLine().startsWith(greeting))))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// Runs a helper to its end, its input on stdin (never a secret as an
// argument that a process list would show); false and why if it fails or
// takes more than 30 seconds.
inline bool runProgram(const QString &program, const QStringList &arguments, QString *why,
                       QByteArray *output = nullptr, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) {
        *why = program + QStringLiteral(" did not start");
        return false;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *why = program + QStringLiteral(" failed: ") +
               QString::fromLocal8Bit(process.readAllStandardError());
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

// Sends a signal to the process group that a server started with setsid()
// leads, itself and every session it forked.
inline void signalGroup(const QProcess &leader, int number)
{
    if (leader.state() != QProcess::NotRunning && leader.processId() > 0)
        ::kill(-pid_t(leader.processId()), number);
}

// Ends a process and waits for it, bounded.
inline void endProcess(QProcess &process)
{
    process.kill();
    process.waitForFinished(5000);
}

// Every file under a folder a server writes to, by its '/' name there, with
// its bytes.
inline QMap<QString, QByteArray> filesUnder(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    for (int k = 0; files.hasNext() && k < 10000; ++k) {
        QFile file(files.next());
        found.insert(QDir(folder).relativeFilePath(file.fileName()),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return found;
}

// The files under a folder that hold the secret.
inline QStringList filesHolding(const QString &folder, const QString &secret)
{
    QStringList found;
    const QMap<QString, QByteArray> all = filesUnder(folder);
    for (auto file = all.cbegin(); file != all.cend(); ++file) {
        if (file.value().contains(secret.toUtf8()))
            found << file.key();
    }
    return found;
}

} // namespace tarnwell::test

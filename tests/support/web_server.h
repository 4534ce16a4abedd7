#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace tarnwell::test {

// A free TCP port on 127.0.0.1, for a server a test starts.
inline int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// Waits, at most ten seconds, until something listens on the port.
inline bool waitForPort(int port, const QProcess *server = nullptr)
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (server && server->state() == QProcess::NotRunning)
            return false;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (socket.waitForConnected(200))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// Python's web server on 127.0.0.1, serving a folder as a web host serves
// the folder a page was published to.
class WebServer final
{
public:
    explicit WebServer(const QString &folder) : m_port(freePort())
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-m"), QStringLiteral("http.server"),
                         QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("--directory"), folder, QString::number(m_port)});
        m_listening = m_process.waitForStarted(5000) && waitForPort(m_port, &m_process);
    }
    ~WebServer()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    bool listening() const { return m_listening; }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_port); }

private:
    QProcess m_process;
    int m_port;
    bool m_listening = false;
};

} // namespace tarnwell::test

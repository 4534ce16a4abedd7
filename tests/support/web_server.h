#pragma once

#include "servers.h"

namespace tarnwell::test {

// Python's web server on 127.0.0.1, serving a folder as a web host serves
// the folder a page was published to.
class WebServer final
{
public:
    explicit WebServer(const QString &folder) : m_port(freePort())
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start("/usr/bin/python3", {"-m", "http.server", "--bind", "127.0.0.1",
                                             "--directory", folder, QString::number(m_port)});
        m_listening = m_process.waitForStarted(5000) && waitForPort(m_port, &m_process);
    }
    ~WebServer() { endProcess(m_process); }
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    bool listening() const { return m_listening; }
    QString address() const { return QString("http://127.0.0.1:%1/").arg(m_port); }

private:
    QProcess m_process;
    int m_port;
    bool m_listening = false;
};

} // namespace tarnwell::test

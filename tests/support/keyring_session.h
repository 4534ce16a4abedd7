#pragma once

// A desktop keyring of the test's own: a D-Bus session bus and GNOME's
// keyring daemon serving the Secret Service on it, its files under the given
// home, unlocked with a password of its own. Both go when the object does.

#include "servers.h"

#include <QTemporaryDir>

namespace tarnwell::test {

class KeyringSession final
{
public:
    explicit KeyringSession(const QString &home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
        for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(QLatin1String(name));
        m_bus.setProcessEnvironment(environment);
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        const QDeadlineTimer deadline(10000);
        while (m_address.isEmpty() && !deadline.hasExpired() && m_bus.waitForReadyRead(500))
            m_address = QString::fromLocal8Bit(m_bus.readLine().trimmed());
        if (m_address.isEmpty()) {
            m_error = "dbus-daemon gave no address";
            return;
        }
        environment.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
        m_keyring.setProcessEnvironment(environment);
        m_keyring.start("gnome-keyring-daemon",
                        {"--foreground", "--unlock", "--components=secrets"});
        // It reads its unlock password until the end of its input.
        const bool started = m_keyring.waitForStarted(5000);
        m_keyring.write("keyring's own password");
        m_keyring.waitForBytesWritten(5000);
        m_keyring.closeWriteChannel();
        if (!started || !waitForService(environment))
            m_error = "gnome-keyring-daemon did not start: " +
                      QString::fromLocal8Bit(m_keyring.readAllStandardError());
    }
    ~KeyringSession()
    {
        for (QProcess *process : {&m_keyring, &m_bus})
            endProcess(*process);
    }
    KeyringSession(const KeyringSession &) = delete;
    KeyringSession &operator=(const KeyringSession &) = delete;

    QString error() const { return m_error; }
    QString busAddress() const { return m_address; }

private:
    // The Secret Service answers on the bus, at most ten seconds on.
    static bool waitForService(const QProcessEnvironment &environment)
    {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QProcess ask;
            ask.setProcessEnvironment(environment);
            ask.start("dbus-send", {"--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                    "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                    "string:org.freedesktop.secrets"});
            if (ask.waitForFinished(2000) && ask.readAllStandardOutput().contains("true"))
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    QTemporaryDir m_runtime;
    QProcess m_bus;
    QProcess m_keyring;
    QString m_address;
    QString m_error;
};

} // namespace tarnwell::test

#pragma once

// A real OpenSSH server on 127.0.0.1 for the publishing tests: its own host
// key, configuration, client key and folder, on a free port, stopped when the
// object goes.
//
// As root, the server logs the account "tarnwell-sftp" (made by tools/dev.sh
// test) into a chroot with SFTP only, with a fresh password and the client
// key (a test that uses this sets RESOURCE_LOCK tarnwell-sftp, since each
// server sets the account a new password). Otherwise it can log in only the
// user running it, with the key, and the files land in webFolder() given as
// an absolute path.

#include "servers.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwell::test {

class SshdServer final
{
public:
    static constexpr const char *account = "tarnwell-sftp";

    SshdServer() = default;
    ~SshdServer() { stop(); }
    SshdServer(const SshdServer &) = delete;
    SshdServer &operator=(const SshdServer &) = delete;

    static bool isRoot() { return ::geteuid() == 0; }
    // Why a password login cannot be tested here, or empty when it can.
    static QString whyNoPassword()
    {
        if (!isRoot())
            return QStringLiteral("a password login needs root to set the test account's password");
        if (!::getpwnam(account))
            return QStringLiteral("no account tarnwell-sftp: tools/dev.sh test makes it");
        return {};
    }

    // Makes the folder, keys and configuration and starts sshd; false and why
    // if it cannot.
    bool start(QString *why)
    {
        m_chrooted = isRoot() && ::getpwnam(account);
        if (!makeFolder(why) || !makeKeys(why))
            return false;
        if (m_chrooted && !setPassword(why))
            return false;
        return launch(why);
    }

    // Stops the server and every session it forked.
    void stop()
    {
        if (!m_process)
            return;
        killSessions();
        endProcess(*m_process);
        m_process.reset();
    }

    // Kills the server's sessions at once, as a machine that goes away would.
    void killSessions()
    {
        if (!m_process || m_process->processId() <= 0)
            return;
        for (const qint64 pid : descendants(m_process->processId()))
            ::kill(pid_t(pid), SIGKILL);
    }

    // Stops the server's sessions where they are, as a server that no longer
    // answers; stop() ends them.
    void stallSessions()
    {
        if (!m_process || m_process->processId() <= 0)
            return;
        for (const qint64 pid : descendants(m_process->processId()))
            ::kill(pid_t(pid), SIGSTOP);
    }

    int port() const { return m_port; }
    QString user() const
    {
        return m_chrooted ? QString::fromLatin1(account)
                          : QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    }
    QString password() const { return m_password; }
    QString clientKey() const { return m_etc + QStringLiteral("/client_key"); }
    // A key pair the server does not know.
    QString otherKey() const { return m_etc + QStringLiteral("/other_key"); }
    QString otherKeyLine() const { return readLine(otherKey() + QStringLiteral(".pub")); }
    QString hostKeyLine() const { return readLine(m_etc + QStringLiteral("/host_key.pub")); }
    // "SHA256:..." as ssh-keygen -l -E sha256 prints it.
    QString fingerprint() const { return m_fingerprint; }
    // The folder the files land in, on this machine.
    QString webFolder() const { return m_root + QStringLiteral("/web"); }
    // The same folder as the client names it.
    QString remoteFolder() const { return m_chrooted ? QStringLiteral("web") : webFolder(); }
    QString log() const
    {
        QFile file(m_etc + QStringLiteral("/sshd.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    static QString readLine(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine().trimmed())
                                              : QString();
    }

    bool makeFolder(QString *why)
    {
        // A chroot and every folder above it must be root's and writable by
        // no one else, which rules out /tmp.
        QString parent = QDir::tempPath();
        if (m_chrooted) {
            parent = QStringLiteral("/run/tarnwell-tests");
            QDir().mkpath(parent);
            ::chmod(QFile::encodeName(parent).constData(), 0755);
            QDir().mkpath(QStringLiteral("/run/sshd"));
        }
        m_dir = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/sshd-XXXXXX"));
        if (!m_dir->isValid()) {
            *why = QStringLiteral("no temporary folder in ") + parent;
            return false;
        }
        m_root = m_dir->path();
        m_etc = m_root + QStringLiteral("/etc");
        ::chmod(QFile::encodeName(m_root).constData(), 0755);
        if (!QDir().mkpath(m_etc) || !QDir().mkpath(webFolder())) {
            *why = QStringLiteral("cannot make folders in ") + m_root;
            return false;
        }
        // sshd reads authorized_keys as the user logging in; the private keys
        // in here stay the owner's alone.
        ::chmod(QFile::encodeName(m_etc).constData(), 0711);
        if (m_chrooted) {
            const passwd *user = ::getpwnam(account);
            if (::chown(QFile::encodeName(webFolder()).constData(), user->pw_uid, user->pw_gid) !=
                0) {
                *why = QStringLiteral("cannot give the web folder to ") + QLatin1String(account);
                return false;
            }
        }
        return true;
    }

    bool makeKeys(QString *why)
    {
        const QString keygen = QStringLiteral("ssh-keygen");
        for (const char *name : {"host_key", "client_key", "other_key"}) {
            const QString path = m_etc + u'/' + QLatin1String(name);
            if (!runProgram(keygen,
                            {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                             QStringLiteral("-N"), QString(), QStringLiteral("-C"),
                             QStringLiteral("tarnwell-test"), QStringLiteral("-f"), path},
                            why))
                return false;
        }
        QByteArray printed;
        if (!runProgram(keygen,
                        {QStringLiteral("-l"), QStringLiteral("-E"), QStringLiteral("sha256"),
                         QStringLiteral("-f"), m_etc + QStringLiteral("/host_key.pub")},
                        why, &printed))
            return false;
        m_fingerprint = QString::fromLatin1(printed).split(u' ').value(1);
        QFile keys(m_etc + QStringLiteral("/authorized_keys"));
        if (!keys.open(QIODevice::WriteOnly) ||
            keys.write((readLine(clientKey() + QStringLiteral(".pub")) + u'\n').toLatin1()) < 0) {
            *why = QStringLiteral("cannot write authorized_keys");
            return false;
        }
        keys.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup | QFileDevice::ReadOther);
        return true;
    }

    // A fresh password each time, given to chpasswd on its input: never an argument.
    bool setPassword(QString *why)
    {
        static const char letters[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
        m_password.clear();
        for (int k = 0; k < 24; ++k)
            m_password +=
                QLatin1Char(letters[QRandomGenerator::system()->bounded(int(sizeof letters - 1))]);
        return runProgram(QStringLiteral("chpasswd"), {}, why, nullptr,
                          QByteArray(account) + ':' + m_password.toLatin1() + '\n');
    }

    bool launch(QString *why)
    {
        if (m_port == 0)
            m_port = freePort();
        QString config = QStringLiteral("Port %1\nListenAddress 127.0.0.1\n"
                                        "HostKey %2/host_key\nPidFile none\nUsePAM no\n"
                                        "AuthorizedKeysFile %2/authorized_keys\nStrictModes no\n"
                                        "PasswordAuthentication yes\n"
                                        "KbdInteractiveAuthentication no\nLogLevel VERBOSE\n"
                                        "Subsystem sftp internal-sftp\n")
                             .arg(m_port)
                             .arg(m_etc);
        if (m_chrooted)
            config += QStringLiteral("Match User %1\n    ChrootDirectory %2\n"
                                     "    ForceCommand internal-sftp\n")
                          .arg(QLatin1String(account), m_root);
        QFile file(m_etc + QStringLiteral("/sshd_config"));
        if (!file.open(QIODevice::WriteOnly) || file.write(config.toLatin1()) < 0) {
            *why = QStringLiteral("cannot write sshd_config");
            return false;
        }
        file.close();
        m_process = std::make_unique<QProcess>();
        m_process->setStandardOutputFile(m_etc + QStringLiteral("/sshd.log"), QIODevice::Append);
        m_process->setStandardErrorFile(m_etc + QStringLiteral("/sshd.log"), QIODevice::Append);
        m_process->start(QStringLiteral("/usr/sbin/sshd"),
                         {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"),
                          m_etc + QStringLiteral("/sshd_config")});
        if (!m_process->waitForStarted(5000)) {
            *why = QStringLiteral("sshd did not start");
            return false;
        }
        if (waitForPort(m_port, m_process.get(), "SSH-"))
            return true;
        *why = QStringLiteral("sshd did not listen: ") + log();
        return false;
    }

    // The processes under pid, read from /proc.
    static QList<qint64> descendants(qint64 root)
    {
        QList<QPair<qint64, qint64>> parents; // pid, parent
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString &entry : entries) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            if (!number)
                continue;
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.read(4096);
            const qsizetype close = text.lastIndexOf(')');
            if (close < 0)
                continue;
            const QList<QByteArray> fields = text.mid(close + 2).split(' ');
            if (fields.size() > 1)
                parents.append({pid, fields.at(1).toLongLong()});
        }
        QList<qint64> found{root};
        for (qsizetype k = 0; k < found.size() && k < 1000; ++k)
            for (const auto &[pid, parent] : std::as_const(parents))
                if (parent == found.at(k) && !found.contains(pid))
                    found.append(pid);
        found.removeFirst();
        return found;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_root;
    QString m_etc;
    QString m_password;
    QString m_fingerprint;
    int m_port = 0;
    bool m_chrooted = false;
};

} // namespace tarnwell::test

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

#include "files.h"
#include "required.h"
#include "servers.h"

#include <QTemporaryDir>
#include <memory>
#include <pwd.h>
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
            return "a password login needs root to set the test account's password";
        if (!::getpwnam(account))
            return "no account tarnwell-sftp: tools/dev.sh test makes it";
        return {};
    }

    // Before start(): an SFTP server that lists OpenSSH's posix-rename and
    // refuses it, as servers without it leave the plain rename alone; and a
    // key in the older PEM form with a passphrase (pemKeyPassphrase()) that
    // the server takes too.
    void refusePosixRename() { m_refusePosixRename = true; }
    void addPemKey() { m_pemKey = true; }
    QString pemKey() const { return m_etc + "/pem_key"; }
    static QString pemKeyPassphrase() { return "key-pass"; }

    // Makes the folder, keys and configuration and starts sshd; false and why
    // if it cannot.
    bool start(QString *why)
    {
        m_chrooted = isRoot() && ::getpwnam(account);
        return makeFolder(why) && makeKeys(why) && (!m_chrooted || setPassword(why)) && launch(why);
    }

    // Stops the server and every session it forked.
    void stop()
    {
        killSessions();
        endProcess(m_process);
    }
    // Kills the server's sessions at once, as a machine that goes away would.
    void killSessions() { signalSessions(SIGKILL); }
    // Stops the server's sessions where they are, as a server that no longer
    // answers; stop() ends them.
    void stallSessions() { signalSessions(SIGSTOP); }

    int port() const { return m_port; }
    QString user() const
    {
        return m_chrooted ? QString::fromLatin1(account)
                          : QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    }
    QString password() const { return m_password; }
    QString clientKey() const { return m_etc + "/client_key"; }
    // A key pair the server does not know.
    QString otherKey() const { return m_etc + "/other_key"; }
    QString otherKeyLine() const { return firstLine(otherKey() + ".pub"); }
    QString hostKeyLine() const { return firstLine(m_etc + "/host_key.pub"); }
    // "SHA256:..." as ssh-keygen -l -E sha256 prints it.
    QString fingerprint() const { return m_fingerprint; }
    // The folder the files land in, on this machine.
    QString webFolder() const { return m_root + "/web"; }
    // The same folder as the client names it.
    QString remoteFolder() const { return m_chrooted ? "web" : webFolder(); }
    QString log() const { return QString::fromLocal8Bit(readAll(m_etc + "/sshd.log")); }

private:
    static QString firstLine(const QString &path)
    {
        return QString::fromLatin1(readAll(path)).section(u'\n', 0, 0).trimmed();
    }

    static bool setMode(const QString &path, mode_t mode)
    {
        return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
    }

    bool makeFolder(QString *why)
    {
        // A chroot and every folder above it must be root's and writable by
        // no one else, which rules out /tmp.
        QString parent = QDir::tempPath();
        if (m_chrooted) {
            parent = "/run/tarnwell-tests";
            QDir().mkpath(parent);
            setMode(parent, 0755);
            QDir().mkpath("/run/sshd");
        }
        m_dir = std::make_unique<QTemporaryDir>(parent + "/sshd-XXXXXX");
        m_root = m_dir->path();
        m_etc = m_root + "/etc";
        const passwd *user = ::getpwnam(account);
        // sshd reads authorized_keys as the user logging in; the private keys
        // in here stay the owner's alone.
        if (m_dir->isValid() && QDir().mkpath(m_etc) && QDir().mkpath(webFolder()) &&
            setMode(m_root, 0755) && setMode(m_etc, 0711) &&
            (!m_chrooted ||
             ::chown(QFile::encodeName(webFolder()).constData(), user->pw_uid, user->pw_gid) == 0))
            return true;
        *why = "cannot make the server's folders in " + parent;
        return false;
    }

    bool makeKeys(QString *why)
    {
        for (const char *name : {"host_key", "client_key", "other_key"}) {
            if (!runProgram("ssh-keygen",
                            {"-q", "-t", "ed25519", "-N", "", "-C", "tarnwell-test", "-f",
                             m_etc + u'/' + QLatin1String(name)},
                            why))
                return false;
        }
        if (m_pemKey && !runProgram("ssh-keygen",
                                    {"-q", "-t", "rsa", "-b", "2048", "-m", "PEM", "-N",
                                     pemKeyPassphrase(), "-C", "tarnwell-test", "-f", pemKey()},
                                    why))
            return false;
        QByteArray printed;
        if (!runProgram("ssh-keygen", {"-l", "-E", "sha256", "-f", m_etc + "/host_key.pub"}, why,
                        &printed))
            return false;
        m_fingerprint = QString::fromLatin1(printed).split(u' ').value(1);
        const QString keys = m_etc + "/authorized_keys";
        QString lines = firstLine(clientKey() + ".pub") + u'\n';
        if (m_pemKey)
            lines += firstLine(pemKey() + ".pub") + u'\n';
        if (writeBytes(keys, lines.toLatin1()) &&
            setMode(keys, 0644))
            return true;
        *why = "cannot write authorized_keys";
        return false;
    }

    // A fresh password each time, given to chpasswd on its input: never an argument.
    bool setPassword(QString *why)
    {
        m_password = QString::fromLatin1(newPassword());
        return runProgram("chpasswd", {}, why, nullptr,
                          QByteArray(account) + ':' + m_password.toLatin1() + '\n');
    }

    bool launch(QString *why)
    {
        m_port = freePort();
        QString config = QString("Port %1\nListenAddress 127.0.0.1\n"
                                 "HostKey %2/host_key\nPidFile none\nUsePAM no\n"
                                 "AuthorizedKeysFile %2/authorized_keys\nStrictModes no\n"
                                 "PasswordAuthentication yes\n"
                                 "KbdInteractiveAuthentication no\nLogLevel VERBOSE\n"
                                 "Subsystem sftp internal-sftp%3\n")
                             .arg(m_port)
                             .arg(m_etc)
                             .arg(m_refusePosixRename ? " -P posix-rename" : "");
        if (m_chrooted)
            config += QString("Match User %1\n    ChrootDirectory %2\n"
                              "    ForceCommand internal-sftp%3\n")
                          .arg(QLatin1String(account), m_root,
                               m_refusePosixRename ? " -P posix-rename" : "");
        if (!writeBytes(m_etc + "/sshd_config", config.toLatin1())) {
            *why = "cannot write sshd_config";
            return false;
        }
        m_process.setStandardOutputFile(m_etc + "/sshd.log", QIODevice::Append);
        m_process.setStandardErrorFile(m_etc + "/sshd.log", QIODevice::Append);
        m_process.start("/usr/sbin/sshd", {"-D", "-e", "-f", m_etc + "/sshd_config"});
        if (m_process.waitForStarted(5000) && waitForPort(m_port, &m_process, "SSH-"))
            return true;
        *why = "sshd did not listen: " + log();
        return false;
    }

    void signalSessions(int number)
    {
        if (m_process.processId() > 0) {
            for (const qint64 pid : descendants(m_process.processId()))
                ::kill(pid_t(pid), number);
        }
    }

    // The processes under pid, from the children that /proc lists for each.
    static QList<qint64> descendants(qint64 root)
    {
        QList<qint64> found{root};
        for (qsizetype k = 0; k < found.size() && k < 1000; ++k) {
            const QByteArray children =
                readAll(QString("/proc/%1/task/%1/children").arg(found.at(k)));
            for (const QByteArray &child : children.split(' ')) {
                if (child.toLongLong() > 0 && !found.contains(child.toLongLong()))
                    found.append(child.toLongLong());
            }
        }
        found.removeFirst();
        return found;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_process;
    QString m_root;
    QString m_etc;
    QString m_password;
    QString m_fingerprint;
    int m_port = 0;
    bool m_chrooted = false;
    bool m_refusePosixRename = false;
    bool m_pemKey = false;
};

} // namespace tarnwell::test

// A row that logs in with the test account's password: as root a missing
// account fails it.
#define REQUIRE_PASSWORD_LOGIN()                                                                   \
    REQUIRE_HERE(tarnwell::test::SshdServer::whyNoPassword().isEmpty(),                            \
                 tarnwell::test::SshdServer::whyNoPassword())

#pragma once

// A ProFTPD of the test's own on 127.0.0.1, as a small web host runs it: one
// virtual user from its own password file (no system account) locked in its
// folder, a self-signed certificate, explicit TLS required on the control and
// data connections (with TLS session reuse on the data connection, ProFTPD's
// default), passive ports in a small free range, overwriting allowed. Or,
// when asked, plain FTP with no TLS at all. Everything, its log included,
// lives in a temporary folder that goes when the server does.

#include "files.h"
#include "servers.h"

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <unistd.h>

namespace tarnwell::test {

class FtpServer final
{
public:
    enum class Tls { Required, None };

    explicit FtpServer(Tls tls = Tls::Required) : m_tls(tls), m_password(newPassword())
    {
        QDir(m_folder.path()).mkdir("home");
    }
    ~FtpServer() { stop(); }
    FtpServer(const FtpServer &) = delete;
    FtpServer &operator=(const FtpServer &) = delete;

    QString user() const { return "ann"; }
    QString password() const { return QString::fromLatin1(m_password); }
    // Another password from the next start, as when the user changes it.
    void changePassword() { m_password = newPassword(); }
    int port() const { return m_port; }
    // The user's folder on the server: the login folder.
    QString home() const { return m_folder.filePath("home"); }
    QString certificate() const { return m_folder.filePath("cert.pem"); }
    // The certificate's SHA-256 fingerprint as openssl itself prints it, as
    // "SHA256:" and base64.
    QString fingerprint() const
    {
        QString why;
        QByteArray line; // "... Fingerprint=AB:CD:..."
        if (!runProgram("openssl",
                        {"x509", "-in", certificate(), "-noout", "-fingerprint", "-sha256"}, &why,
                        &line))
            return {};
        const QByteArray hex = line.trimmed().mid(line.indexOf('=') + 1).replace(':', "");
        return "SHA256:" + QString::fromLatin1(
                               QByteArray::fromHex(hex).toBase64(QByteArray::OmitTrailingEquals));
    }
    // Every command that reached the server, one a line ("PASS (hidden)" for a
    // password), and ProFTPD's own log.
    QByteArray commands() const { return readAll(m_folder.filePath("commands.log")); }
    QByteArray log() const { return readAll(m_folder.filePath("proftpd.log")); }
    QString error() const { return m_error; }

    // Makes the files and starts the server; true once it greets. A second
    // start after stop() keeps the port, the password and the folder.
    bool start()
    {
        stop();
        if (m_port == 0 && !choosePorts())
            return fail("no free ports");
        if (m_tls == Tls::Required && !QFile::exists(certificate()) && !newCertificate())
            return false;
        if (!writePasswordFile() || !writeConfiguration())
            return false;
        const QString proftpd =
            QStandardPaths::findExecutable("proftpd", {"/usr/sbin", "/usr/bin"});
        if (proftpd.isEmpty())
            return fail("proftpd is not installed");
        // A process group of its own, so that its sessions go with it.
        m_process.setChildProcessModifier([] { ::setsid(); });
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(proftpd, {"-n", "-c", m_folder.filePath("proftpd.conf")});
        if (m_process.waitForStarted(5000) && waitForPort(m_port, &m_process, "220"))
            return true;
        const QString said = QString::fromLocal8Bit(m_process.readAll() + log());
        stop();
        return fail("proftpd did not answer: " + said);
    }

    // Stops the server and every session at once.
    void stop() { sendSignal(SIGTERM); }
    // Ends the server and its sessions with no goodbye, as a crash would.
    void kill() { sendSignal(SIGKILL); }
    // Stops the server and its sessions where they are, or lets them go on:
    // a server that hangs.
    void freeze(bool frozen) { signalGroup(m_process, frozen ? SIGSTOP : SIGCONT); }

    // From the next start: whether a file may be renamed over or written
    // over (ProFTPD's AllowOverwrite), TLS 1.3 and nothing older, and more
    // configuration lines.
    void setAllowOverwrite(bool allow) { m_allowOverwrite = allow; }
    void setOnlyTls13(bool only) { m_onlyTls13 = only; }
    void setMoreConfiguration(const QByteArray &lines) { m_more = lines; }

    enum class Key { New, Same };
    // A new self-signed certificate, used from the next start: with a new
    // key, or renewed with the key it had.
    bool newCertificate(Key key = Key::New)
    {
        const QString keyFile = m_folder.filePath("key.pem");
        if (key == Key::Same)
            return runProgram("openssl",
                              {"req", "-x509", "-new", "-key", keyFile, "-out", certificate(),
                               "-days", "60", "-subj", "/CN=Tarnwell test renewed"},
                              &m_error);
        return runProgram("openssl",
                          {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", keyFile,
                           "-out", certificate(), "-days", "30", "-subj", "/CN=Tarnwell test"},
                          &m_error);
    }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    // Only the owner may read it: ProFTPD refuses a password file that others can.
    bool write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_folder.filePath(name);
        return (writeBytes(path, bytes) &&
                QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner)) ||
               fail("cannot write " + name);
    }

    void sendSignal(int number)
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        freeze(false); // a stopped process would not see the signal
        signalGroup(m_process, number);
        if (!m_process.waitForFinished(5000)) {
            signalGroup(m_process, SIGKILL);
            m_process.waitForFinished(5000);
        }
    }

    bool choosePorts()
    {
        m_port = freePort();
        for (int attempt = 0; m_port != 0 && attempt < 50; ++attempt) {
            const int first = QRandomGenerator::global()->bounded(30000, 60000);
            bool free = first != m_port;
            for (int port = first; free && port < first + kPassivePorts; ++port)
                free = port != m_port && freePort(port) != 0;
            if (free) {
                m_passive = first;
                return true;
            }
        }
        return false;
    }

    // The password travels to openssl on its standard input, never as an
    // argument that any process list would show.
    bool writePasswordFile()
    {
        QByteArray hash;
        if (!runProgram("openssl", {"passwd", "-6", "-stdin"}, &m_error, &hash, m_password + '\n'))
            return false;
        return write("passwd", user().toUtf8() + ':' + hash.trimmed() + ':' +
                                   QByteArray::number(getuid()) + ':' +
                                   QByteArray::number(getgid()) + "::" + home().toUtf8() +
                                   ":/bin/false\n");
    }

    bool writeConfiguration()
    {
        QByteArray config = "ServerType standalone\nServerName \"Tarnwell test\"\n"
                            "DefaultAddress 127.0.0.1\nSocketBindTight on\nUseIPv6 off\n"
                            "UseReverseDNS off\nPort @PORT@\nPassivePorts @PASSIVE@\n"
                            "PidFile @FOLDER@/proftpd.pid\n"
                            "ScoreboardFile @FOLDER@/proftpd.scoreboard\n"
                            "DelayEngine off\nWtmpLog off\nUseFtpUsers off\n"
                            "RequireValidShell off\nAuthPAM off\nAuthOrder mod_auth_file.c\n"
                            "AuthUserFile @FOLDER@/passwd\n"
                            "MaxLoginAttempts 3\nSystemLog @FOLDER@/proftpd.log\n"
                            "TransferLog none\nLogFormat commands \"%r\"\n"
                            "ExtendedLog @FOLDER@/commands.log ALL commands\n";
        config += m_allowOverwrite ? "AllowOverwrite on\n" : "AllowOverwrite off\n";
        config += m_more;
        // As root (in CI) the server keeps the root user for its sessions, so
        // that the test can read what it wrote; locking the user in its folder
        // needs root.
        if (getuid() == 0)
            config += "User root\nGroup root\nRootLogin on\nDefaultRoot ~\n";
        if (m_tls == Tls::Required)
            config += QByteArray("ModulePath /usr/lib/proftpd\nLoadModule mod_tls.c\n"
                                 "TLSEngine on\nTLSRequired on\nTLSProtocol ") +
                      (m_onlyTls13 ? "TLSv1.3\n" : "TLSv1.2 TLSv1.3\n") +
                      "TLSRSACertificateFile @FOLDER@/cert.pem\n"
                      "TLSRSACertificateKeyFile @FOLDER@/key.pem\nTLSLog @FOLDER@/tls.log\n";
        config.replace("@PORT@", QByteArray::number(m_port))
            .replace("@PASSIVE@", QByteArray::number(m_passive) + ' ' +
                                      QByteArray::number(m_passive + kPassivePorts - 1))
            .replace("@FOLDER@", m_folder.path().toUtf8());
        return write("proftpd.conf", config);
    }

    static constexpr int kPassivePorts = 8;
    const Tls m_tls;
    QByteArray m_password;
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
    int m_passive = 0;
    bool m_allowOverwrite = true;
    bool m_onlyTls13 = false;
    QByteArray m_more;
    QString m_error;
};

} // namespace tarnwell::test

#pragma once

// Either real server as publishing reaches it: OpenSSH's sshd for SFTP, or
// ProFTPD with TLS required for FTPS and none for plain FTP (or the other way
// round, for a server whose TLS does not match the method). With the Site
// that logs in to it, the folder the files land in on this machine, and a
// publish or a Test connection run to its report.

#include "ftp_server.h"
#include "publish/publisher.h"
#include "sshd_server.h"

#include <optional>

namespace tarnwell::test {

struct PublishServer
{
    explicit PublishServer(publish::Method method, bool otherTls = false) : method(method)
    {
        if (method != publish::Method::Sftp)
            ftp.emplace((method == publish::Method::Ftps) != otherTls ? FtpServer::Tls::Required
                                                                      : FtpServer::Tls::None);
    }

    // Starts the server as ssh or ftp was set up; FTP's "web" folder made.
    bool start(QString *why)
    {
        if (!ftp)
            return ssh.start(why);
        const bool started = ftp->start() && QDir().mkpath(web());
        *why = ftp->error();
        return started;
    }

    // As siteOf() below, over SFTP with the password instead of the key when
    // asked, over FTP to the folder "web".
    publish::Site site(bool withPassword = false) const;

    QString web() const { return ftp ? ftp->home() + QStringLiteral("/web") : ssh.webFolder(); }
    QString password() const { return ftp ? ftp->password() : ssh.password(); }

    const publish::Method method;
    SshdServer ssh;
    std::optional<FtpServer> ftp;
};

// A Site that logs in to the server: the client key, the server's key
// accepted, its folder as sshd names it.
inline publish::Site siteOf(const SshdServer &server)
{
    publish::Site site;
    site.host = QStringLiteral("127.0.0.1");
    site.port = server.port();
    site.user = server.user();
    site.keyFile = server.clientKey();
    site.remoteFolder = server.remoteFolder();
    site.acceptedFingerprint = server.fingerprint();
    return site;
}

// The same for ProFTPD: the password, the certificate accepted, the login
// folder.
inline publish::Site siteOf(const FtpServer &server, publish::Method method = publish::Method::Ftps)
{
    publish::Site site;
    site.method = method;
    site.host = QStringLiteral("127.0.0.1");
    site.port = server.port();
    site.user = server.user();
    site.password = server.password();
    site.acceptedFingerprint = server.fingerprint();
    return site;
}

inline publish::Site PublishServer::site(bool withPassword) const
{
    if (ftp) {
        publish::Site site = siteOf(*ftp, method);
        site.remoteFolder = QStringLiteral("web");
        return site;
    }
    publish::Site site = siteOf(ssh);
    if (withPassword) {
        site.keyFile.clear();
        site.password = ssh.password();
    }
    return site;
}

// Tarnwell's files in a data folder of the test's, the user's known_hosts
// there too.
inline publish::Store storeWithin(const QString &data)
{
    publish::Store store = publish::storeIn(data);
    store.userKnownHosts = QDir(data).filePath(QStringLiteral("user_known_hosts"));
    return store;
}

// Runs the publish (or a Test connection) to its end and gives its report.
inline publish::Report reportOf(publish::Publisher &publisher, bool testConnection = false)
{
    publish::Report report;
    QObject::connect(&publisher, &publish::Publisher::finished,
                     [&report](const publish::Report &r) { report = r; });
    if (testConnection)
        publisher.testConnection();
    else
        publisher.run();
    return report;
}

inline publish::Report publishNow(const publish::Site &site, const publish::Store &store,
                                  const QList<publish::PageFile> &files)
{
    publish::Publisher publisher(site, store, files);
    return reportOf(publisher);
}

} // namespace tarnwell::test

#pragma once

// What the publishing walks share: the session folder's two pictures, the
// page that uses them, the Publish screen's usual messages, and a walk with
// its server.

#include "support/ftp_server.h"
#include "support/sshd_server.h"
#include "walks.h"

#include <QDir>
#include <optional>

namespace tarnwell::e2e {

inline const QByteArray kPictureA = "\xFF\xD8\xFF\xE0 a picture" + QByteArray(3000, 'a');
inline const QByteArray kPictureB = "\xFF\xD8\xFF\xE0 b picture" + QByteArray(5000, 'b');

// The worked example with a MouseOver pair of the session folder's a.jpg
// and pics/b.jpg, then the Publish screen filled in for {H}:{P}.
inline const QStringList kToPublish =
    kToSelection + paragraph("Hello") +
    steps("click Form4/Command6; " + kSameSize +
          "; type Form18/Text1 a.jpg; type Form18/Text2 pics/b.jpg; type Form18/Text5 pair; "
          "click Form18/Command6; hidden Form18; "
          "click Form4/Publish; shown Publish; type Publish/Host 127.0.0.1; "
          "type Publish/Port {P}; type Publish/User {U}; type Publish/Password {W}; "
          "type Publish/RemoteFolder {R}");

// The same over another method than SFTP.
inline QStringList toPublishOver(const QString &method)
{
    QStringList walk = kToPublish;
    walk.insert(walk.indexOf("shown Publish") + 1, "choose Publish/Method " + method);
    return walk;
}

inline const QString kSaveFirst =
    QStringLiteral("answer Yes Save your page before publishing?; answer OK [info] Make sure you "
                   "save to your session folder.; file {S}/page");
inline const QString kUpToDate =
    QStringLiteral("answer OK [info] Everything was already up to date");
inline const QString kSent =
    QStringLiteral("answer OK [info] Your page is published: %1 of 3 files sent, the others "
                   "unchanged.");

// No to making a missing folder on the server, and what is said then.
inline QString noFolder(const QString &folder)
{
    return QString("answer No There is no folder %1 on 127.0.0.1. Make it?; answer OK [warn] There "
                   "is no folder %1 on 127.0.0.1, and Tarnwell sent nothing. Check the folder's "
                   "name: your web host's letter says where your pages go.")
        .arg(folder);
}

// The session folder of every walk: two pictures the page uses, and a file
// it does not.
inline bool fillSession(const QString &path)
{
    const QDir folder(path);
    return folder.mkpath("pics") && writeBytes(folder.filePath("a.jpg"), kPictureA) &&
           writeBytes(folder.filePath("pics/b.jpg"), kPictureB) &&
           writeBytes(folder.filePath("notes.txt"), "not for the web");
}

inline const QString kSftp = QStringLiteral("SFTP (secure)");
inline const QString kFtps = QStringLiteral("FTP with TLS (FTPS)");
inline const QString kFtp = QStringLiteral("FTP (not secure)");

// A walk's session folder, its server by the method the screen names, and
// the program, whose {S} {M} {P} {U} {W} {R} {FP} reach the server: {R} is
// the login folder over FTP, {FP} its key's or certificate's fingerprint.
struct PublishWalk
{
    explicit PublishWalk(const QString &method = kSftp, const QString &home = {},
                         const QMap<QString, QString> &environment = {})
        : method(method), app(home, {}, environment)
    {
        if (method != kSftp)
            ftp.emplace(method == kFtps ? test::FtpServer::Tls::Required
                                        : test::FtpServer::Tls::None);
    }

    bool start(QString *why)
    {
        const bool started = ftp ? ftp->start() : ssh.start(why);
        if (ftp)
            *why = ftp->error();
        if (!started || !fillSession(session.path()))
            return false;
        app.vars = {{"S", session.path()},
                    {"M", method},
                    {"P", QString::number(ftp ? ftp->port() : ssh.port())},
                    {"U", ftp ? ftp->user() : ssh.user()},
                    {"W", password()},
                    {"R", ftp ? QString() : ssh.remoteFolder()},
                    {"FP", ftp ? ftp->fingerprint() : ssh.fingerprint()}};
        return true;
    }
    // Where the files land on this machine.
    QString web() const { return ftp ? ftp->home() : ssh.webFolder(); }
    QString password() const { return ftp ? ftp->password() : ssh.password(); }
    // The answer to a first connection's question.
    QString firstTime(const QString &answer = "Yes") const
    {
        if (method == kFtp)
            return "answer " + answer +
                   " Connect to 127.0.0.1 over plain FTP? Your password and "
                   "your files will travel unencrypted.";
        return "answer " + answer +
               " This is the first time Tarnwell connects to 127.0.0.1. The server's " +
               (ftp ? "certificate" : "key") +
               " fingerprint is {FP}. If your web host publishes its fingerprint, compare them. "
               "Connect and remember this server?";
    }

    const QString method;
    QTemporaryDir session;
    test::SshdServer ssh;
    std::optional<test::FtpServer> ftp;
    Program app;
};

// Starts the walk's server; SFTP logs in with the test account's password.
#define START_WALK(walk)                                                                           \
    do {                                                                                           \
        if (!(walk).ftp)                                                                           \
            REQUIRE_PASSWORD_LOGIN();                                                              \
        QString why_;                                                                              \
        QVERIFY2((walk).start(&why_), qPrintable(why_));                                           \
    } while (false)

} // namespace tarnwell::e2e

// Publishing as a user goes on after the first time: a second publish after
// an edit made in the program over each method (the server holds exactly the
// new bytes and nothing else, the unchanged file is not written again), what
// the Publish screen says when an FTP server refuses, the web address as the
// user types it, and the keyring as Remember is ticked and unticked.

#include "driver.h"
#include "support/ftp_server.h"
#include "support/keyring_session.h"
#include "support/mount.h"
#include "support/sshd_server.h"
#include "support/web_server.h"
#include "publish_walks.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <memory>

using namespace tarnwell::e2e;
using tarnwell::test::filesUnder;
using tarnwell::test::FtpServer;
using tarnwell::test::KeyringSession;
using tarnwell::test::Mount;
using tarnwell::test::SshdServer;
using tarnwell::test::WebServer;
using Files = QMap<QString, QByteArray>;

namespace {
const QByteArray kPictureC = "\xFF\xD8\xFF\xE0 c picture" + QByteArray(5000, 'c');

const QString kUpToDate = "answer OK [info] Everything was already up to date";
const QString kPlain = "answer Yes Connect to 127.0.0.1 over plain FTP? Your password and your "
                       "files will travel unencrypted.";
const QString kSftp = "SFTP (secure)";
const QString kFtps = "FTP with TLS (FTPS)";
const QString kFtp = "FTP (not secure)";

// Either server, as a walk sees it: where the files land, and the question
// a first connection asks.
struct Server
{
    explicit Server(const QString &method) : method(method)
    {
        if (method != kSftp)
            ftp = std::make_unique<FtpServer>(method == kFtps ? FtpServer::Tls::Required
                                                              : FtpServer::Tls::None);
    }
    bool start(QString *why)
    {
        if (!ftp)
            return ssh.start(why);
        const bool started = ftp->start();
        *why = ftp->error();
        return started;
    }
    QMap<QString, QString> vars(const QString &session) const
    {
        if (!ftp)
            return {
                {"S", session},           {"M", method},         {"P", QString::number(ssh.port())},
                {"U", ssh.user()},        {"W", ssh.password()}, {"R", ssh.remoteFolder()},
                {"FP", ssh.fingerprint()}};
        return {{"S", session},
                {"M", method},
                {"P", QString::number(ftp->port())},
                {"U", ftp->user()},
                {"W", ftp->password()},
                {"R", ""},
                {"FP", ftp->fingerprint()}};
    }
    QString web() const { return ftp ? ftp->home() : ssh.webFolder(); }
    QString firstTime() const
    {
        if (method == kFtp)
            return kPlain;
        return QString("answer Yes This is the first time Tarnwell connects to 127.0.0.1. The "
                       "server's %1 fingerprint is {FP}. If your web host publishes its "
                       "fingerprint, compare them. Connect and remember this server?")
            .arg(ftp ? "certificate" : "key");
    }

    const QString method;
    SshdServer ssh;
    std::unique_ptr<FtpServer> ftp;
};

// The secrets the keyring holds, counted over its bus.
int keyringItems(const QString &bus)
{
    QProcess ask;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus);
    ask.setProcessEnvironment(environment);
    ask.start("dbus-send",
              {"--session", "--print-reply", "--dest=org.freedesktop.secrets",
               "/org/freedesktop/secrets/aliases/default", "org.freedesktop.DBus.Properties.Get",
               "string:org.freedesktop.Secret.Collection", "string:Items"});
    if (!ask.waitForFinished(10000) || ask.exitCode() != 0)
        return -1;
    return int(ask.readAllStandardOutput().count("object path"));
}
} // namespace

class TestPublishPaths final : public QObject
{
    Q_OBJECT

private slots:
    void secondPublishAfterAnEdit_data();
    void secondPublishAfterAnEdit();
    void ftpRefusalsTold();
    void ftpFullDisk();
    void siteAddressAsTyped();
    void keyringFollowsRemember();
};

void TestPublishPaths::secondPublishAfterAnEdit_data()
{
    QTest::addColumn<QString>("method");
    for (const QString &method : {kSftp, kFtps, kFtp})
        QTest::newRow(qPrintable(method)) << method;
}

// Edited in the program, not saved, published at once: the screen has the
// page saved first, and the server then holds the edited page and the
// changed picture, byte for byte, and nothing more.
void TestPublishPaths::secondPublishAfterAnEdit()
{
    QFETCH(QString, method);
    if (method == kSftp)
        REQUIRE_PASSWORD_LOGIN();
    QTemporaryDir session;
    QVERIFY(fillSession(session.path()));
    Server server(method);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    Program app;
    app.vars = server.vars(session.path());
    E2E_RUN(app, toPublishOver("{M}") + steps("click Publish/Upload; " + kSaveFirst + "; " +
                                    server.firstTime() + "; " + kSent.arg(3)));
    const QString page = session.filePath("page.html");
    const QStringList before = listing(server.web(), true);

    // As many bytes as before, so that only its hash tells.
    QVERIFY(writeBytes(session.filePath("pics/b.jpg"), kPictureC));
    E2E_RUN(app, paragraph("Again") + steps("click Publish/Upload; " + kSaveFirst + "; " +
                                            kOverwrite + "; " + kSent.arg(2)));
    QVERIFY(readAll(page).contains("Again"));
    QCOMPARE(
        filesUnder(server.web()),
        (Files{{"page.html", readAll(page)}, {"a.jpg", kPictureA}, {"pics/b.jpg", kPictureC}}));
    QCOMPARE(listing(server.web(), true).filter(QRegularExpression("^a\\.jpg ")),
             before.filter(QRegularExpression("^a\\.jpg ")));
    QCOMPARE(app.text("Publish/Sent"),
             QString("pics/b.jpg | sent | 4.9 kB\na.jpg | unchanged | 2.9 kB\npage.html | sent | "
                     "%1 bytes")
                 .arg(readAll(page).size()));
}

// What the Publish screen says when a plain FTP server refuses the login,
// has no such folder, or refuses to write.
void TestPublishPaths::ftpRefusalsTold()
{
    QTemporaryDir session;
    QVERIFY(fillSession(session.path()));
    FtpServer server(FtpServer::Tls::None);
    QVERIFY2(server.start(), qPrintable(server.error()));
    Mount closed(server.home() + "/closed");
    REQUIRE_MOUNT(closed.mount("size=64k"));
    QVERIFY(closed.remount("ro"));
    Program app;
    app.vars = {{"S", session.path()}, {"M", kFtp},    {"P", QString::number(server.port())},
                {"U", server.user()},  {"W", "wrong"}, {"R", "closed"}};

    E2E_RUN(app, toPublishOver("{M}") +
                     steps("click Publish/TestConnection; " + kPlain +
                           "; answer OK [warn] 127.0.0.1 refused the user name or the password. "
                           "Check both: capital and small letters count."));
    app.vars["W"] = server.password();
    E2E_RUN(app, steps("type Publish/Password {W}; click Publish/TestConnection; "
                       "answer OK [warn] 127.0.0.1 does not let you write to closed. Check the "
                       "folder's name: your web host's letter says where your pages go.; "
                       "type Publish/RemoteFolder gone; click Publish/TestConnection; "
                       "answer No There is no folder gone on 127.0.0.1. Make it?; "
                       "answer OK [warn] There is no folder gone on 127.0.0.1, and Tarnwell sent "
                       "nothing. Check the folder's name: your web host's letter says where your "
                       "pages go."));
    QVERIFY(!QFileInfo::exists(server.home() + "/gone"));
}

// A plain FTP server whose disk fills part-way: the screen says so, and the
// picture that did not fit leaves no part of itself behind.
void TestPublishPaths::ftpFullDisk()
{
    QTemporaryDir session;
    QVERIFY(fillSession(session.path()));
    // Larger than the disk; the small picture fits.
    QVERIFY(writeBytes(session.filePath("a.jpg"), kPictureA + QByteArray(200 * 1024, 'x')));
    FtpServer server(FtpServer::Tls::None);
    QVERIFY2(server.start(), qPrintable(server.error()));
    Mount full(server.home() + "/full");
    REQUIRE_MOUNT(full.mount("size=64k"));
    Program app;
    app.vars = {{"S", session.path()},
                {"M", kFtp},
                {"P", QString::number(server.port())},
                {"U", server.user()},
                {"W", server.password()},
                {"R", "full"}};
    E2E_RUN(app, toPublishOver("{M}") + steps("click Publish/Upload; " + kSaveFirst + "; " + kPlain +
                                    "; answer OK [warn] There is no room left on 127.0.0.1 for "
                                    "your files. Remove files you no longer need from your web "
                                    "space, or ask your web host for more room."));
    QCOMPARE(filesUnder(server.home() + "/full"), (Files{{"pics/b.jpg", kPictureB}}));
}

// The web address of the folder as the user types it, with a slash at its
// end or not, with spaces around it, or of another folder: the address checked
// is the folder's own with the page's name after it.
void TestPublishPaths::siteAddressAsTyped()
{
    QTemporaryDir session;
    QVERIFY(fillSession(session.path()));
    FtpServer server(FtpServer::Tls::None);
    QVERIFY2(server.start(), qPrintable(server.error()));
    QVERIFY(QDir(server.home()).mkpath("site/sub"));
    WebServer site(server.home());
    QVERIFY(site.listening());
    Program app;
    app.vars = {{"S", session.path()},
                {"M", kFtp},
                {"P", QString::number(server.port())},
                {"U", server.user()},
                {"W", server.password()},
                {"R", "site/sub"},
                {"A", site.address()}};
    const QString there = "answer Close [info] Your page is on the web at {A}site/sub/page.html";
    E2E_RUN(app,
            toPublishOver("{M}") + steps("type Publish/SiteAddress {A}site/sub; click Publish/Upload; " +
                               kSaveFirst + "; " + kPlain + "; " + kSent.arg(3) + "; " + there));
    E2E_RUN(app, steps("type Publish/SiteAddress {A}site/sub/; click Publish/Upload; " + kUpToDate +
                       "; " + there));
    E2E_RUN(app, steps("type Publish/SiteAddress  {A}site/sub  ; click Publish/Upload; " +
                       kUpToDate + "; " + there));
    E2E_RUN(app, steps("type Publish/SiteAddress {A}site; click Publish/Upload; " + kUpToDate +
                       "; answer OK [warn] The files were sent, but {A}site/page.html does not "
                       "show them yet: check the folder and the web address."));
}

// Remember ticked keeps the password in the keyring; unticked, the next
// publish takes it out; ticked again puts it back, and a changed password
// replaces the old one there.
void TestPublishPaths::keyringFollowsRemember()
{
    QTemporaryDir home, session;
    KeyringSession keyring(home.path());
    QVERIFY2(keyring.error().isEmpty(), qPrintable(keyring.error()));
    QVERIFY(fillSession(session.path()));
    FtpServer server(FtpServer::Tls::None);
    QVERIFY2(server.start(), qPrintable(server.error()));
    const QMap<QString, QString> bus = {{"DBUS_SESSION_BUS_ADDRESS", keyring.busAddress()}};
    const int timeout = 20000;
    QCOMPARE(keyringItems(keyring.busAddress()), 0);
    {
        Program app(home.path(), {}, bus);
        app.vars = {{"S", session.path()},
                    {"M", kFtp},
                    {"P", QString::number(server.port())},
                    {"U", server.user()},
                    {"W", server.password()},
                    {"R", ""}};
        E2E_RUN(app, toPublishOver("{M}") + steps("click Publish/Remember; click Publish/Upload; " +
                                        kSaveFirst + "; " + kPlain + "; " + kSent.arg(3)));
        QTRY_COMPARE_WITH_TIMEOUT(keyringItems(keyring.busAddress()), 1, timeout);
        E2E_RUN(app, steps("click Publish/Remember; click Publish/Upload; " + kUpToDate));
        QTRY_COMPARE_WITH_TIMEOUT(keyringItems(keyring.busAddress()), 0, timeout);
        E2E_RUN(app, steps("click Publish/Remember; click Publish/Upload; " + kUpToDate));
        QTRY_COMPARE_WITH_TIMEOUT(keyringItems(keyring.busAddress()), 1, timeout);

        server.stop();
        server.changePassword();
        QVERIFY2(server.start(), qPrintable(server.error()));
        app.vars["W"] = server.password();
        E2E_RUN(app, steps("type Publish/Password {W}; click Publish/Upload; " + kUpToDate +
                           "; click Publish/Close; hidden Publish; " + kExitSaved + "; exit 0"));
    }
    QCOMPARE(keyringItems(keyring.busAddress()), 1);
    Program again(home.path(), {}, bus);
    again.vars = {{"S", session.path()}, {"W", server.password()}};
    E2E_RUN(again, kToSelection + steps("click Form4/Publish; checked Publish/Remember; "
                                        "text Publish/Password {W}"));
}

QTEST_GUILESS_MAIN(TestPublishPaths)
#include "tst_e2e_publish_paths.moc"

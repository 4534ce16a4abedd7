// Publishing as a user goes on after the first time: a second publish after
// an edit made in the program over each method (the server holds exactly the
// new bytes and nothing else, the unchanged file is not written again), what
// the Publish screen says when an FTP server refuses, the web address as the
// user types it, and the keyring as Remember is ticked and unticked.

#include "driver.h"
#include "publish_walks.h"
#include "support/keyring_session.h"
#include "support/mount.h"
#include "support/web_server.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace tarnwell::e2e;
using tarnwell::test::filesHolding;
using tarnwell::test::filesUnder;
using tarnwell::test::KeyringSession;
using tarnwell::test::Mount;
using tarnwell::test::WebServer;
using Files = QMap<QString, QByteArray>;

namespace {
const QByteArray kPictureC = "\xFF\xD8\xFF\xE0 c picture" + QByteArray(5000, 'c');

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
    PublishWalk walk(method);
    START_WALK(walk);
    Program &app = walk.app;
    E2E_RUN(app, toPublishOver("{M}") + steps("click Publish/Upload; " + kSaveFirst + "; " +
                                              walk.firstTime() + "; " + kSent.arg(3)));
    const QString page = walk.session.filePath("page.html");
    const QStringList before = listing(walk.web(), true);

    // As many bytes as before, so that only its hash tells.
    QVERIFY(writeBytes(walk.session.filePath("pics/b.jpg"), kPictureC));
    E2E_RUN(app, paragraph("Again") + steps("click Publish/Upload; " + kSaveFirst + "; " +
                                            kOverwrite + "; " + kSent.arg(2)));
    QVERIFY(readAll(page).contains("Again"));
    QCOMPARE(
        filesUnder(walk.web()),
        (Files{{"page.html", readAll(page)}, {"a.jpg", kPictureA}, {"pics/b.jpg", kPictureC}}));
    QCOMPARE(listing(walk.web(), true).filter(QRegularExpression("^a\\.jpg ")),
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
    PublishWalk walk(kFtp);
    START_WALK(walk);
    Mount closed(walk.web() + "/closed");
    REQUIRE_MOUNT(closed.mount("size=64k"));
    QVERIFY(closed.remount("ro"));
    Program &app = walk.app;
    app.vars["W"] = "wrong";
    app.vars["R"] = "closed";
    E2E_RUN(app, toPublishOver("{M}") +
                     steps("click Publish/TestConnection; " + walk.firstTime() +
                           "; answer OK [warn] 127.0.0.1 refused the user name or the password. "
                           "Check both: capital and small letters count."));
    app.vars["W"] = walk.password();
    E2E_RUN(app, steps("type Publish/Password {W}; click Publish/TestConnection; "
                       "answer OK [warn] 127.0.0.1 does not let you write to closed. Check the "
                       "folder's name: your web host's letter says where your pages go.; "
                       "type Publish/RemoteFolder gone; click Publish/TestConnection; " +
                       noFolder("gone")));
    QVERIFY(!QFileInfo::exists(walk.web() + "/gone"));
}

// A plain FTP server whose disk fills part-way: the screen says so, and the
// picture that did not fit leaves no part of itself behind.
void TestPublishPaths::ftpFullDisk()
{
    PublishWalk walk(kFtp);
    START_WALK(walk);
    // Larger than the disk; the small picture fits.
    QVERIFY(writeBytes(walk.session.filePath("a.jpg"), kPictureA + QByteArray(200 * 1024, 'x')));
    Mount full(walk.web() + "/full");
    REQUIRE_MOUNT(full.mount("size=64k"));
    walk.app.vars["R"] = "full";
    E2E_RUN(walk.app, toPublishOver("{M}") +
                          steps("click Publish/Upload; " + kSaveFirst + "; " + walk.firstTime() +
                                "; answer OK [warn] There is no room left on 127.0.0.1 for "
                                "your files. Remove files you no longer need from your web "
                                "space, or ask your web host for more room."));
    QCOMPARE(filesUnder(walk.web() + "/full"), (Files{{"pics/b.jpg", kPictureB}}));
}

// The web address of the folder as the user types it, with a slash at its
// end or not, with spaces around it, or of another folder: the address checked
// is the folder's own with the page's name after it.
void TestPublishPaths::siteAddressAsTyped()
{
    PublishWalk walk(kFtp);
    START_WALK(walk);
    QVERIFY(QDir(walk.web()).mkpath("site/sub"));
    WebServer site(walk.web());
    QVERIFY(site.listening());
    Program &app = walk.app;
    app.vars["R"] = "site/sub";
    app.vars["A"] = site.address();
    const QString there = "answer Close [info] Your page is on the web at {A}site/sub/page.html";
    E2E_RUN(app,
            toPublishOver("{M}") +
                steps("type Publish/SiteAddress {A}site/sub; click Publish/Upload; " + kSaveFirst +
                      "; " + walk.firstTime() + "; " + kSent.arg(3) + "; " + there));
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
// replaces the old one there. At the next start it is there, and in no file
// of the home.
void TestPublishPaths::keyringFollowsRemember()
{
    QTemporaryDir home;
    KeyringSession keyring(home.path());
    QVERIFY2(keyring.error().isEmpty(), qPrintable(keyring.error()));
    const QMap<QString, QString> bus = {{"DBUS_SESSION_BUS_ADDRESS", keyring.busAddress()}};
    const int timeout = 20000;
    QCOMPARE(keyringItems(keyring.busAddress()), 0);
    PublishWalk walk(kFtp, home.path(), bus);
    START_WALK(walk);
    Program &app = walk.app;
    E2E_RUN(app, toPublishOver("{M}") +
                     steps("click Publish/Remember; click Publish/Upload; " + kSaveFirst + "; " +
                           walk.firstTime() + "; " + kSent.arg(3)));
    QTRY_COMPARE_WITH_TIMEOUT(keyringItems(keyring.busAddress()), 1, timeout);
    E2E_RUN(app, steps("click Publish/Remember; click Publish/Upload; " + kUpToDate));
    QTRY_COMPARE_WITH_TIMEOUT(keyringItems(keyring.busAddress()), 0, timeout);
    E2E_RUN(app, steps("click Publish/Remember; click Publish/Upload; " + kUpToDate));
    QTRY_COMPARE_WITH_TIMEOUT(keyringItems(keyring.busAddress()), 1, timeout);

    walk.ftp->stop();
    walk.ftp->changePassword();
    QVERIFY2(walk.ftp->start(), qPrintable(walk.ftp->error()));
    app.vars["W"] = walk.password();
    E2E_RUN(app, steps("type Publish/Password {W}; click Publish/Upload; " + kUpToDate +
                       "; click Publish/Close; hidden Publish; " + kExitSaved + "; exit 0"));
    QCOMPARE(keyringItems(keyring.busAddress()), 1);
    Program again(home.path(), {}, bus);
    again.vars = app.vars;
    E2E_RUN(again, kToSelection + steps("click Form4/Publish; checked Publish/Remember; "
                                        "text Publish/Password {W}; text Publish/Host 127.0.0.1"));
    // In no file of the home, the keyring's own included.
    QCOMPARE(filesHolding(home.path(), walk.password()), QStringList());
}

QTEST_GUILESS_MAIN(TestPublishPaths)
#include "tst_e2e_publish_paths.moc"

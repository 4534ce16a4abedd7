// Publish through the real screens to real servers on 127.0.0.1: the worked
// example with two pictures, only what changed sent again, the first-time
// and changed-key questions, a wrong password, a missing folder, Cancel and a
// lost connection in the middle of a large picture, and the proof that the
// page is on the web. No walk leaves the password in a file of its home.

#include "driver.h"
#include "publish_walks.h"
#include "support/web_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTest>
#include <QThread>
#include <sys/resource.h>

using namespace tarnwell::e2e;
using tarnwell::test::filesHolding;
using tarnwell::test::filesUnder;
using tarnwell::test::SshdServer;
using tarnwell::test::WebServer;

namespace {
// The server's answers that two steps of a walk give.
const QString kChangedCertificate =
    "answer OK [stop] The certificate of 127.0.0.1 has changed since Tarnwell last connected, and "
    "with it its key. Someone may be pretending to be your server, so Tarnwell sent nothing. If "
    "your web host says that it changed the certificate's key, press Forget this server's key and "
    "connect again.";
const QString kUpRefused =
    "answer OK [warn] Tarnwell sent nothing: the folder on the server \"../up\" cannot be used. "
    "It is counted from the folder you log in to, and cannot go up with \"..\".";

QString notInFolder(const QString &name)
{
    return "answer OK [warn] Tarnwell did not send " + name +
           ": it is not a file of your session folder (it is missing, a link or a folder, or it "
           "was replaced while Tarnwell was publishing). Put the file itself in your session "
           "folder and publish again.";
}
} // namespace

class TestPublish final : public QObject
{
    Q_OBJECT

private slots:
    void publishOverSftp();
    void trustMistakesAndStops();
    void ftpsWithItsCertificate();
    void plainFtp();
    void refusedBeforeConnecting();
};

void TestPublish::publishOverSftp()
{
    PublishWalk walk;
    START_WALK(walk);
    Program &app = walk.app;
    const QString web = walk.web();

    // A cancelled save publishes nothing; so does No to a new server.
    E2E_RUN(app, kToPublish +
                     steps("click Publish/Upload; answer Yes Save your page before publishing?; "
                           "answer OK [info] Make sure you save to your session folder.; cancel; "
                           "answer OK [info] You cancelled.; click Publish/Upload; " +
                           kSaveFirst + "; " + walk.firstTime("No") +
                           "; answer OK [info] Tarnwell did not connect to 127.0.0.1, and sent "
                           "nothing.; enabled Publish/Upload"));
    QVERIFY(filesUnder(web).isEmpty());

    E2E_RUN(app, steps("click Publish/Upload; " + walk.firstTime() + "; " + kSent.arg(3)));
    const QByteArray page = readAll(walk.session.filePath("page.html"));
    QCOMPARE(filesUnder(web),
             (QMap<QString, QByteArray>{
                 {"page.html", page}, {"a.jpg", kPictureA}, {"pics/b.jpg", kPictureB}}));
    // The README's picture of the screen after a publish.
    const QString shots = qEnvironmentVariable("TARNWELL_SCREENSHOTS", walk.session.path());
    E2E_RUN(app, {"grab Publish " + shots + "/publish.png"});
    // In page order, the page last: the MouseOver script names b.jpg first.
    QCOMPARE(app.text("Publish/Sent"), "pics/b.jpg | sent | 4.9 kB\na.jpg | sent | 2.9 kB\n"
                                       "page.html | sent | " +
                                           QString("%1 bytes").arg(page.size()));

    // Nothing changed: nothing sent, and the page is not at a wrong web
    // address. One picture changed: only it, and the page is on the web.
    WebServer site(web);
    QTemporaryDir empty;
    WebServer elsewhere(empty.path());
    QVERIFY(site.listening() && elsewhere.listening());
    app.vars["A"] = site.address();
    app.vars["E"] = elsewhere.address();
    E2E_RUN(app,
            steps("type Publish/SiteAddress {E}; click Publish/Upload; answer OK [info] Everything "
                  "was already up to date; answer OK [warn] The files were sent, but "
                  "{E}page.html does not show them yet: check the folder and the web address."));
    QVERIFY(writeBytes(walk.session.filePath("pics/b.jpg"), kPictureA + "changed"));
    E2E_RUN(app, steps("type Publish/SiteAddress {A}; click Publish/Upload; " + kSent.arg(1) +
                       "; answer Close [info] Your page is on the web at {A}page.html"));
    QCOMPARE(readAll(web + "/pics/b.jpg"), kPictureA + "changed");
    QCOMPARE(app.text("Publish/Sent"), "pics/b.jpg | sent | 3.0 kB\na.jpg | unchanged | "
                                       "2.9 kB\npage.html | unchanged | " +
                                           QString("%1 bytes").arg(page.size()));
    QCOMPARE(filesHolding(app.home(), walk.password()), QStringList());
}

void TestPublish::trustMistakesAndStops()
{
    PublishWalk walk;
    walk.ssh.addPemKey();
    START_WALK(walk);
    Program &app = walk.app;
    // A key remembered for this server that is not its own.
    const QString known = app.home() + "/.local/share/Tarnwell/known_hosts";
    QVERIFY(QDir().mkpath(QFileInfo(known).path()));
    QVERIFY(writeBytes(known, QString("[127.0.0.1]:%1 %2\n")
                                  .arg(walk.ssh.port())
                                  .arg(walk.ssh.otherKeyLine().section(' ', 0, 1))
                                  .toUtf8()));
    E2E_RUN(app, kToPublish + steps("click Publish/TestConnection; answer OK [stop] The key "
                                    "of 127.0.0.1 has changed since Tarnwell last connected. "
                                    "Someone may be pretending to be your server, so Tarnwell "
                                    "sent nothing. If your web host says that it changed the "
                                    "key, press Forget this server's key and connect again."));
    QVERIFY(QFile::remove(known));

    E2E_RUN(app,
            steps("type Publish/Password wrong; click Publish/TestConnection; " + walk.firstTime() +
                  "; answer OK [warn] 127.0.0.1 refused the user name or the password. Check "
                  "both: capital and small letters count.; "
                  "type Publish/Password {W}; type Publish/RemoteFolder {R}/new/deeper; "
                  "click Publish/TestConnection; " +
                  noFolder("{R}/new/deeper") +
                  "; click Publish/Remember; click Publish/TestConnection; answer Yes There is "
                  "no folder {R}/new/deeper on 127.0.0.1. Make it?; answer OK [info] "
                  "Connected: Tarnwell can write to {R}/new/deeper on 127.0.0.1.; "
                  "answer OK [info] This computer has no keyring that Tarnwell can use, so "
                  "your password was not kept. Type it again next time.; "
                  "type Publish/Port 1; click Publish/TestConnection; answer OK [warn] "
                  "127.0.0.1 does not take connections on port 1. Check the method and the "
                  "port: SFTP usually uses 22, FTP and FTPS 21."));
    QVERIFY(QFileInfo(walk.web() + "/new/deeper").isDir());
    QCOMPARE(filesUnder(walk.web()), (QMap<QString, QByteArray>{}));

    // Published to the folder made, the key already taken.
    const QString web = walk.web() + "/new/deeper";
    E2E_RUN(app, steps("type Publish/Port {P}; click Publish/Upload; " + kSaveFirst + "; " +
                       kSent.arg(3)));

    // A large picture in the middle of its way: the old one stays whole.
    const QByteArray large(400 << 20, 'x');
    QVERIFY(writeBytes(walk.session.filePath("a.jpg"), large));
    E2E_RUN(app, steps("click Publish/Upload; click Publish/Cancel; answer OK [info] You "
                       "cancelled. The files on the server are as they were, apart from "
                       "those listed as sent."));
    QCOMPARE(filesUnder(web).keys(), QStringList({"a.jpg", "page.html", "pics/b.jpg"}));
    QCOMPARE(readAll(web + "/a.jpg"), kPictureA);

    // The server's side ends in the middle.
    E2E_RUN(app, {"click Publish/Upload"});
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && filesUnder(web).size() < 4)
        QThread::msleep(20);
    QCOMPARE(filesUnder(web).size(), 4); // the temporary file is on its way
    walk.ssh.killSessions();
    E2E_RUN(app, steps("answer OK [warn] The connection to 127.0.0.1 was lost part-way. The "
                       "files not listed as sent are as they were on the server: publish "
                       "again to send them."));
    QCOMPARE(readAll(web + "/a.jpg"), kPictureA);

    // A picture gone from the folder: the user is asked, and No sends nothing.
    QVERIFY(QFile::remove(walk.session.filePath("a.jpg")));
    E2E_RUN(app, steps("click Publish/Upload; answer No Check page found what will not work "
                       "on the web:\na.jpg: Not in your folder\n\nPublish anyway?; "
                       "enabled Publish/Upload"));
    QCOMPARE(readAll(web + "/a.jpg"), kPictureA);

    // A key file with a password, none typed: said, never asked on a
    // terminal; typed, it logs in.
    app.vars["K"] = walk.ssh.pemKey();
    app.vars["KW"] = SshdServer::pemKeyPassphrase();
    E2E_RUN(app, steps("type Publish/KeyFile {K}; type Publish/Password ; "
                       "click Publish/TestConnection; answer OK [warn] This key file needs its "
                       "password: type it in Password; type Publish/Password {KW}; "
                       "click Publish/TestConnection; answer OK [info] Connected: Tarnwell can "
                       "write to {R}/new/deeper on 127.0.0.1."));

    // The server's key marked revoked in the user's own known_hosts.
    const QString userKnown = app.home() + "/.ssh/known_hosts";
    QVERIFY(QDir().mkpath(QFileInfo(userKnown).path()));
    QVERIFY(writeBytes(userKnown, QString("@revoked [127.0.0.1]:%1 %2\n")
                                      .arg(walk.ssh.port())
                                      .arg(walk.ssh.hostKeyLine())
                                      .toUtf8()));
    E2E_RUN(app, steps("click Publish/TestConnection; answer OK [stop] The key of 127.0.0.1 has "
                       "been marked revoked on this computer (in " + userKnown +
                       "), and Tarnwell will not connect to a server that shows it. It sent "
                       "nothing. Ask your web host for the server's new key."));
    QCOMPARE(filesHolding(app.home(), walk.password()), QStringList());
}

void TestPublish::ftpsWithItsCertificate()
{
    PublishWalk walk(kFtps);
    START_WALK(walk);
    Program &app = walk.app;
    auto &server = *walk.ftp;
    const QTemporaryDir &session = walk.session;
    app.vars["R"] = "site";
    E2E_RUN(app,
            toPublishOver("{M}") +
                steps("hidden Publish/NotSecure; hidden Publish/KeyFile; click Publish/Upload; " +
                      kSaveFirst + "; " + walk.firstTime() +
                      "; answer Yes There is no folder site on 127.0.0.1. Make it?; " +
                      kSent.arg(3)));
    const QByteArray page = readAll(session.filePath("page.html"));
    QCOMPARE(filesUnder(server.home()),
             (QMap<QString, QByteArray>{{"site/page.html", page},
                                        {"site/a.jpg", kPictureA},
                                        {"site/pics/b.jpg", kPictureB}}));

    // Another certificate on the same server is refused, and nothing is sent.
    server.stop();
    QVERIFY(server.newCertificate());
    QVERIFY2(server.start(), qPrintable(server.error()));
    QVERIFY(writeBytes(session.filePath("a.jpg"), kPictureB));
    app.vars["FP"] = server.fingerprint();
    E2E_RUN(app, steps("click Publish/Upload; " + kChangedCertificate));
    QCOMPARE(readAll(server.home() + "/site/a.jpg"), kPictureA);

    // The host says it changed the certificate: its old one forgotten after
    // a warning (No keeps it), the new one shown and taken as the first was.
    const auto forget = [](const QString &answer, const QString &port = "{P}") {
        return "click Publish/ForgetKey; answer " + answer +
               " [stop] Forget the certificate of 127.0.0.1 on port " + port +
               "? Tarnwell remembers it so that it can tell when someone pretends to be your "
               "server to catch your password and your files. Forget it only when your web host "
               "says that it changed the certificate: the next connection shows the new one's "
               "fingerprint and asks first.";
    };
    const QString forgotten =
        "answer OK [info] Tarnwell has forgotten the certificate of 127.0.0.1. The next connection "
        "shows the fingerprint of the server's certificate and asks first.";
    const QString certificates = app.home() + "/.local/share/Tarnwell/certificates.json";
    const QByteArray remembered = readAll(certificates);
    E2E_RUN(app, steps(forget("No") + "; click Publish/Upload; " + kChangedCertificate));
    QCOMPARE(readAll(certificates), remembered);
    E2E_RUN(app, steps(forget("Yes") + "; " + forgotten + "; click Publish/Upload; " +
                       walk.firstTime() + "; " + kSent.arg(1) + "; " + forget("Yes") + "; " +
                       forgotten + "; type Publish/Port 1; " + forget("Yes", "1") +
                       "; answer OK [info] Tarnwell remembers no certificate of 127.0.0.1 on "
                       "port 1."));
    QCOMPARE(readAll(server.home() + "/site/a.jpg"), kPictureB);

    // The file of certificates damaged: set aside and said, then the server
    // is asked about as on a first connection.
    QVERIFY(writeBytes(certificates, "{\"servers\": {\"127.0.0.1:"));
    E2E_RUN(app, steps("type Publish/Port {P}; click Publish/TestConnection"));
    // Set aside under a name that says when.
    const QDir data(QFileInfo(certificates).path());
    const QStringList damaged = {"certificates.json.damaged-*"};
    QTRY_COMPARE_WITH_TIMEOUT(data.entryList(damaged, QDir::Files).size(), 1, app.patience);
    const QStringList aside = data.entryList(damaged, QDir::Files);
    E2E_RUN(app, steps("answer OK [stop] The file " + certificates +
                       ", where Tarnwell remembers the servers you trusted, was damaged. Tarnwell "
                       "set it aside as " + data.filePath(aside.first()) +
                       " and sent nothing. Connect again: Tarnwell asks about each server as on "
                       "a first connection, so compare the fingerprint with your web host's.; "
                       "click Publish/TestConnection; " +
                       walk.firstTime() +
                       "; answer OK [info] Connected: Tarnwell can write to site on 127.0.0.1."));
    QCOMPARE(readAll(QFileInfo(certificates).path() + '/' + aside.first()),
             "{\"servers\": {\"127.0.0.1:");
    QCOMPARE(filesHolding(app.home(), server.password()), QStringList());
}

void TestPublish::plainFtp()
{
    PublishWalk walk(kFtp);
    START_WALK(walk);
    Program &app = walk.app;
    auto &server = *walk.ftp;
    const QTemporaryDir &session = walk.session;
    // FTPS to a server without TLS: the password is never sent.
    E2E_RUN(app, toPublishOver(kFtps) +
                     steps("click Publish/TestConnection; answer OK [warn] 127.0.0.1 does not "
                           "offer FTP with TLS, so Tarnwell did not send your password. Ask your "
                           "web host whether it offers SFTP or FTPS."));
    QVERIFY(!server.commands().contains("PASS"));

    E2E_RUN(app,
            steps("choose Publish/Method FTP (not secure); shown Publish/NotSecure; "
                  "type Publish/Port {P}; click Publish/Upload; " +
                  kSaveFirst + "; " + walk.firstTime("No") + "; click Publish/Upload; " +
                  walk.firstTime() + "; " + kSent.arg(3) + "; click Publish/Upload; " + kUpToDate));
    QCOMPARE(filesUnder(server.home()),
             (QMap<QString, QByteArray>{{"page.html", readAll(session.filePath("page.html"))},
                                        {"a.jpg", kPictureA},
                                        {"pics/b.jpg", kPictureB}}));

    // A server that does not rename over a file: the picture replaced all
    // the same. Then one that takes no file under that name at all: the old
    // picture stays aside under a hidden name, and the message says which.
    server.stop();
    server.setAllowOverwrite(false);
    QVERIFY2(server.start(), qPrintable(server.error()));
    QVERIFY(writeBytes(session.filePath("a.jpg"), kPictureB));
    E2E_RUN(app, steps("click Publish/Upload; " + kSent.arg(1)));
    QCOMPARE(filesUnder(server.home()).keys(), QStringList({"a.jpg", "page.html", "pics/b.jpg"}));
    QCOMPARE(readAll(server.home() + "/a.jpg"), kPictureB);
    server.stop();
    server.setMoreConfiguration("<Directory ~/a.jpg>\n<Limit RNTO>\nDenyAll\n</Limit>\n"
                                "</Directory>\n");
    QVERIFY2(server.start(), qPrintable(server.error()));
    QVERIFY(writeBytes(session.filePath("a.jpg"), kPictureA));
    E2E_RUN(app, steps("click Publish/Upload"));
    QTRY_COMPARE_WITH_TIMEOUT(filesUnder(server.home()).firstKey().left(20),
                              QString(".a.jpg.tarnwell-old-"), app.patience);
    const QMap<QString, QByteArray> left = filesUnder(server.home());
    E2E_RUN(app, steps("answer OK [warn] Tarnwell could not put the new file in place on "
                       "127.0.0.1, nor put the old one back: the old file is now on the server "
                       "as " + left.firstKey() + ", and your page may be missing a file. Publish "
                       "again, or rename it back with your web host's file manager."));
    QCOMPARE(left.size(), 3);
    QVERIFY2(left.firstKey().startsWith(".a.jpg.tarnwell-old-"), qPrintable(left.firstKey()));
    QCOMPARE(left.first(), kPictureB);
    QCOMPARE(filesHolding(app.home(), server.password()), QStringList());
}

// What cannot be published is refused before any connection: a folder that
// goes up, a page that is a link out of the session folder, a web address
// that is not one.
void TestPublish::refusedBeforeConnecting()
{
    // The program may write a core dump, unless it holds a password.
    rlimit core{};
    QVERIFY(::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_max != 0);
    core.rlim_cur = core.rlim_max;
    QVERIFY(::setrlimit(RLIMIT_CORE, &core) == 0);
    PublishWalk walk;
    START_WALK(walk);
    Program &app = walk.app;
    // No core dump while the password field holds one, and as before once
    // it is emptied.
    const auto coreLimit = [&app] {
        const QStringList lines = QString(readAll(QString("/proc/%1/limits").arg(app.pid())))
                                      .split('\n')
                                      .filter("Max core file size");
        return lines.value(0).simplified().section(' ', 4, 4);
    };
    const QString before = coreLimit();
    QVERIFY(!before.isEmpty() && before != "0");
    E2E_RUN(app, kToPublish);
    QCOMPARE(coreLimit(), QString("0"));
    E2E_RUN(app, steps("type Publish/Password ; text Publish/Password "));
    QCOMPARE(coreLimit(), before);
    E2E_RUN(app, steps("type Publish/RemoteFolder ../up; type Publish/Password {W}; "
                       "click Publish/Upload; " +
                       kSaveFirst + "; " + kUpRefused));
    const QString page = walk.session.filePath("page.html");
    QTemporaryDir outside;
    QVERIFY(QFile::rename(page, outside.filePath("page.html")));
    QVERIFY(QFile::link(outside.filePath("page.html"), page));
    E2E_RUN(app, steps("type Publish/RemoteFolder {R}; click Publish/Upload; " +
                       notInFolder("page.html")));
    QVERIFY(QFile::remove(page) && QFile::rename(outside.filePath("page.html"), page));
    // A picture that is a link, even to a file of the folder, is not sent, and
    // the page is not published without it.
    const QString picture = walk.session.filePath("pics/b.jpg");
    QVERIFY(QFile::remove(picture) && QFile::link("../a.jpg", picture));
    E2E_RUN(app, steps("click Publish/Upload; " + notInFolder("pics/b.jpg")));
    QVERIFY(QFile::remove(picture) && writeBytes(picture, kPictureB));
    E2E_RUN(app, steps("type Publish/SiteAddress file:///etc/; click Publish/Upload; answer OK "
                       "[info] The web address of the folder must start with http:// or "
                       "https://, such as https://example.org/~ann/. Correct it, or leave it "
                       "empty.; enabled Publish/Upload"));
    // Typed without its scheme, as in a browser: taken as https, and shown so.
    E2E_RUN(app, steps("type Publish/SiteAddress example.org/~ann/; type Publish/RemoteFolder "
                       "../up; click Publish/Upload; " +
                       kUpRefused +
                       "; text Publish/SiteAddress https://example.org/~ann/; "
                       "type Publish/RemoteFolder {R}"));
    QVERIFY(filesUnder(walk.web()).isEmpty());

    // On the server, a link where the page goes is left as it is.
    const QString web = walk.web();
    QVERIFY(writeBytes(web + "/../other.txt", "the account's own"));
    QVERIFY(QFile::link("../other.txt", web + "/page.html"));
    E2E_RUN(app, steps("type Publish/SiteAddress http://127.0.0.1:1/; click Publish/Upload; " +
                       walk.firstTime() +
                       "; answer OK [warn] On 127.0.0.1, {R}/page.html is a link or a folder, "
                       "not a file, so Tarnwell did not replace it. Remove it from your web "
                       "space, then publish again."));
    QVERIFY(QFileInfo(web + "/page.html").isSymLink());
    QCOMPARE(readAll(web + "/../other.txt"), QByteArray("the account's own"));
}

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_e2e_publish.moc"

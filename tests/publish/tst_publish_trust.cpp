// What the user trusts, against real servers on 127.0.0.1 (OpenSSH's sshd,
// ProFTPD): key files with a passphrase, certificates renewed with their key
// or with a new one, host names in capitals, damaged files of remembered
// keys, revoked keys; replacing a file on servers that do not rename over
// one; TLS 1.3; no core dump while a password is held.

#include "publish/ftp_text.h"
#include "publish/known_hosts.h"
#include "publish/publisher.h"
#include "publish/secret.h"
#include "publish/transport.h"
#include "support/files.h"
#include "support/publish_server.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <future>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace tarnwell::publish;
using tarnwell::test::filesUnder;
using tarnwell::test::FtpServer;
using tarnwell::test::PublishServer;
using tarnwell::test::readAll;
using tarnwell::test::reportOf;
using tarnwell::test::runProgram;
using tarnwell::test::siteOf;
using tarnwell::test::SshdServer;
using tarnwell::test::storeWithin;
using tarnwell::test::writeBytes;

namespace {
using Files = QMap<QString, QByteArray>;

const std::atomic_bool never{false};

// Connects, and fails the test rather than hang when the connection waits
// for someone to type at a terminal.
Problem connectWithin(Transport &transport)
{
    std::packaged_task<Problem()> task([&transport] { return transport.connect(); });
    std::future<Problem> done = task.get_future();
    std::thread(std::move(task)).detach();
    if (done.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
        qFatal("the connection still waits after 60 seconds");
    return done.get();
}

Problem connectOnce(const Site &site, const Store &store)
{
    const std::unique_ptr<Transport> transport = makeTransport(site, store, never);
    return connectWithin(*transport);
}

QString failureText(const Problem &problem)
{
    return QString("failure %1 (%2)").arg(int(problem.failure)).arg(problem.details);
}

#define COMPARE_FAILURE(problem, expected)                                                         \
    QVERIFY2((problem).failure == (expected), qPrintable(failureText(problem)))
} // namespace

class TestPublishTrust final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostField_data();
    void hostField();
    void knownHostsLines_data();
    void knownHostsLines();
    void sshTrust_data();
    void sshTrust();
    void renewedCertificate_data();
    void renewedCertificate();
    void damagedTrustFile_data();
    void damagedTrustFile();
    void replaceAside_data();
    void replaceAside();
    void onlyTls13_data();
    void onlyTls13();
    void noCoreDumpWithPassword();
    void wipedPassword();
};

void TestPublishTrust::initTestCase()
{
    // No terminal to be asked at: a prompt would fail, and connectWithin
    // catches one that waits.
    QVERIFY(std::freopen("/dev/null", "r", stdin));
    ::setsid();
}

// OpenSSH's host patterns, the names compared in small letters.
void TestPublishTrust::hostField_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("matches");
    QTest::newRow("another port") << QByteArray("[h]:2222") << "h" << 2222 << true;
    QTest::newRow("another port, not given") << QByteArray("h") << "h" << 2222 << false;
    QTest::newRow("port 22 plain") << QByteArray("h") << "h" << 22 << true;
    QTest::newRow("capitals") << QByteArray("[LocalHost]:2222") << "localHOST" << 2222 << true;
    QTest::newRow("wildcard") << QByteArray("*.Example.org") << "www.example.ORG" << 22 << true;
    QTest::newRow("negated") << QByteArray("*.example.org,!bad.example.org") << "bad.example.org"
                             << 22 << false;
    QTest::newRow("one letter") << QByteArray("host?") << "host1" << 22 << true;
    QTest::newRow("one letter, two given") << QByteArray("host?") << "host12" << 22 << false;
    QTest::newRow("second of a list") << QByteArray("a,[h]:2,b") << "h" << 2 << true;
    QTest::newRow("empty") << QByteArray() << "h" << 22 << false;
    QTest::newRow("hashed, cut short") << QByteArray("|1|abc") << "h" << 22 << false;
}

void TestPublishTrust::hostField()
{
    QFETCH(QByteArray, field);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, matches);
    QCOMPARE(hostFieldMatches(field, host, port), matches);
}

// Lines of a known_hosts file: what is damaged, and hashed names as
// ssh-keygen -H writes them.
void TestPublishTrust::knownHostsLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("damaged");
    const QByteArray key = "ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIKx9";
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("comments and blank lines") << "# mine\n\n   \n[h]:2 " + key + "\n" << false;
    QTest::newRow("CR LF") << "[h]:2 " + key + "\r\nh " + key + "\r\n" << false;
    QTest::newRow("no end of line") << "h " + key << false;
    QTest::newRow("markers") << "@revoked h " + key + "\n@cert-authority *.o " + key << false;
    QTest::newRow("an unknown marker") << "@trusted h " + key + "\n" << true;
    QTest::newRow("no key") << QByteArray("h ssh-ed25519\n") << true;
    QTest::newRow("a key not in base64") << QByteArray("h ssh-ed25519 !!!!\n") << true;
    QTest::newRow("a NUL") << QByteArray("h ssh-ed25519 AAAA\0\n", 20) << true;
}

void TestPublishTrust::knownHostsLines()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, damaged);
    QCOMPARE(knownHostsDamaged(file), damaged);
    if (damaged)
        return;
    // The same file with its names hashed.
    const QTemporaryDir dir;
    const QString path = dir.filePath("known_hosts");
    QVERIFY(writeBytes(path, file));
    QString why;
    QVERIFY2(runProgram("ssh-keygen", {"-q", "-H", "-f", path}, &why), qPrintable(why));
    const QByteArray hashed = readAll(path);
    QCOMPARE(knownHostsDamaged(hashed), false);
    bool found = false;
    const QByteArray kept = withoutServer(hashed, "H", 2, &found);
    QCOMPARE(found, file.contains("[h]:2 "));
    QCOMPARE(kept.count('\n'), hashed.count('\n') - (found ? 1 : 0));
}

// What decides an SFTP login besides the server: a key file in the older PEM
// form with a passphrase, "@revoked" in the user's own known_hosts, and a key
// remembered for "localhost" that the server no longer shows when the user
// types "LocalHost" (the alarm, not a first time).
void TestPublishTrust::sshTrust_data()
{
    QTest::addColumn<QString>("password"); // for the PEM key; "-": the plain key, no password
    QTest::addColumn<QString>("revoked");  // hosts marked in the user's file; %1: the port
    QTest::addColumn<bool>("otherKnown");  // another key remembered for "localhost"
    QTest::addColumn<Failure>("failure");
    const auto row = [](const char *name, const QString &password, const QString &revoked,
                        Failure failure, bool otherKnown = false) {
        QTest::newRow(name) << password << revoked << otherKnown << failure;
    };
    row("key file, no password typed", "", "", Failure::KeyNeedsPassword);
    row("key file, its password", SshdServer::pemKeyPassphrase(), "", Failure::None);
    row("key file, another password", "not-it", "", Failure::KeyRefused);
    row("revoked for this server", "-", "[127.0.0.1]:%1", Failure::RevokedHostKey);
    row("revoked for every server", "-", "*", Failure::RevokedHostKey);
    row("revoked for another port", "-", "[127.0.0.1]:1", Failure::None);
    row("host in capitals", "-", "", Failure::ChangedHostKey, true);
}

void TestPublishTrust::sshTrust()
{
    QFETCH(QString, password);
    QFETCH(QString, revoked);
    QFETCH(bool, otherKnown);
    QFETCH(Failure, failure);
    SshdServer server;
    server.addPemKey();
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const QTemporaryDir data;
    const Store store = storeWithin(data.path());
    Site site = siteOf(server);
    if (password != "-") {
        site.keyFile = server.pemKey();
        site.password = password;
    }
    if (!revoked.isEmpty())
        QVERIFY(writeBytes(store.userKnownHosts,
                           QString("@revoked %1 %2\n")
                               .arg(QString(revoked).replace("%1", QString::number(server.port())))
                               .arg(server.hostKeyLine())
                               .toLatin1()));
    if (otherKnown) {
        QVERIFY(writeBytes(store.knownHosts, QString("[localhost]:%1 %2\n")
                                                 .arg(server.port())
                                                 .arg(server.otherKeyLine())
                                                 .toLatin1()));
        site.host = "LocalHost";
        site.acceptedFingerprint.clear();
    }
    const Problem problem = connectOnce(site, store);
    COMPARE_FAILURE(problem, failure);
    QVERIFY(!problem.details.contains(SshdServer::pemKeyPassphrase()));
    if (failure == Failure::RevokedHostKey) {
        QCOMPARE(problem.where, store.userKnownHosts);
        QCOMPARE(problem.fingerprint, server.fingerprint());
        QVERIFY(!QFile::exists(store.knownHosts));
    }
}

// A certificate shown on the first connection, accepted for "localhost",
// then the server's certificate renewed, and the user types "LocalHost".
void TestPublishTrust::renewedCertificate_data()
{
    QTest::addColumn<FtpServer::Key>("key");
    QTest::addColumn<bool>("wholeCertificateEntry"); // remembered as older files did
    QTest::addColumn<Failure>("failure");
    QTest::newRow("renewed with the same key") << FtpServer::Key::Same << false << Failure::None;
    QTest::newRow("a new key") << FtpServer::Key::New << false << Failure::ChangedCertificate;
    QTest::newRow("whole-certificate entry, same certificate")
        << FtpServer::Key::Same << true << Failure::None;
}

void TestPublishTrust::renewedCertificate()
{
    QFETCH(FtpServer::Key, key);
    QFETCH(bool, wholeCertificateEntry);
    QFETCH(Failure, failure);
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    const QTemporaryDir data;
    // A first run: the data folder is not there yet.
    const Store store = storeIn(data.filePath("tarnwell/data"));
    Site site = siteOf(server);
    site.host = "localhost";
    const QString first = site.acceptedFingerprint;
    QCOMPARE(first.size(), 50);
    // Not accepted, or another one accepted: shown, and nothing sent or kept.
    for (const QString &accepted : {QString(), "SHA256:" + QString(43, u'A')}) {
        site.acceptedFingerprint = accepted;
        const Problem problem = connectOnce(site, store);
        COMPARE_FAILURE(problem, Failure::NewCertificate);
        QCOMPARE(problem.fingerprint, first);
    }
    QVERIFY(!QFile::exists(store.certificates));
    QVERIFY(!server.commands().contains("USER") && !server.commands().contains("PASS"));
    site.acceptedFingerprint = first;
    QVERIFY(!connectOnce(site, store));
    site.acceptedFingerprint.clear();
    const QString entry = QString("localhost:%1").arg(server.port());
    const RememberedCertificate remembered =
        rememberedCertificate(readAll(store.certificates), entry).value_or(RememberedCertificate());
    QCOMPARE(remembered.fingerprint, first);

    if (wholeCertificateEntry) {
        // The certificate alone, with no key: accepted, then kept by its key.
        QVERIFY(writeBytes(store.certificates, QString("{\"servers\": {\"%1\": {\"fingerprint\": "
                                                       "\"%2\"}}}")
                                                   .arg(entry, first)
                                                   .toLatin1()));
    } else {
        server.stop();
        QVERIFY(server.newCertificate(key));
        QVERIFY2(server.start(), qPrintable(server.error()));
    }
    const QString now = server.fingerprint();
    QCOMPARE(now == first, wholeCertificateEntry);
    // The name typed in capitals is the same server: not a first time.
    site.host = "LocalHost";
    const Problem problem = connectOnce(site, store);
    COMPARE_FAILURE(problem, failure);
    const RememberedCertificate after =
        rememberedCertificate(readAll(store.certificates), entry).value_or(RememberedCertificate());
    if (failure == Failure::None) {
        QCOMPARE(after.fingerprint, now);
        QCOMPARE(after.pin, remembered.pin);
        QVERIFY(!connectOnce(site, store));
    } else {
        QCOMPARE(problem.fingerprint, now);
        QCOMPARE(problem.where, store.certificates);
        QCOMPARE(after.fingerprint, first);
        // Accepted as on a first connection, it is refused all the same.
        site.acceptedFingerprint = now;
        const Problem again = connectOnce(site, store);
        COMPARE_FAILURE(again, Failure::ChangedCertificate);
        QCOMPARE(again.fingerprint, now);
        QCOMPARE(server.commands().count("PASS"), 1);
    }
}

// Tarnwell's own file of keys or certificates damaged: set aside whole and
// told, never read in part or written over.
void TestPublishTrust::damagedTrustFile_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("SFTP, a line cut short") << Method::Sftp << QByteArray("[localhost]:22 ssh-ed\n");
    QTest::newRow("SFTP, binary") << Method::Sftp << QByteArray("\x00\xff\x01 key\n", 9);
    QTest::newRow("FTPS, cut short") << Method::Ftps << QByteArray("{\"servers\": {\"127.0.0.1:2");
    QTest::newRow("FTPS, not a set of servers") << Method::Ftps << QByteArray("[1, 2]");
    QTest::newRow("FTPS, an entry without its fingerprint")
        << Method::Ftps << QByteArray("{\"servers\": {\"a:21\": {\"pin\": 3}}}");
    QTest::newRow("FTPS, a pin that is not one")
        << Method::Ftps
        << "{\"servers\": {\"a:21\": {\"fingerprint\": \"SHA256:" + QByteArray(43, 'A') +
               "\", \"pin\": 3}}}";
}

void TestPublishTrust::damagedTrustFile()
{
    QFETCH(Method, method);
    QFETCH(QByteArray, bytes);
    const QTemporaryDir data;
    const Store store = storeIn(data.path());
    const QString file = method == Method::Sftp ? store.knownHosts : store.certificates;
    QVERIFY(writeBytes(file, bytes));
    PublishServer server(method);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const Problem problem = connectOnce(server.site(), store);
    COMPARE_FAILURE(problem, Failure::DamagedTrustFile);
    QCOMPARE(problem.details, file);
    QVERIFY2(QRegularExpression("\\.damaged-\\d{8}-\\d{6}$").match(problem.where).hasMatch(),
             qPrintable(problem.where));
    QCOMPARE(readAll(problem.where), bytes);
    QVERIFY(!QFile::exists(file));
    if (server.ftp)
        QVERIFY(!server.ftp->commands().contains("PASS"));
}

// A new page in place of the old one where the server does not rename over
// a file: ProFTPD with AllowOverwrite off, an SFTP server that refuses
// posix-rename. When the new file cannot take the name, the old one is put
// back, or the report says where it is.
void TestPublishTrust::replaceAside_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<bool>("newThere");   // the new file was sent
    QTest::addColumn<bool>("pageDenied"); // FTP: the server refuses any rename to the page
    QTest::addColumn<QString>("leftBefore"); // a file that an earlier try left in the folder
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("left"); // what the folder holds then: old, new, aside

    QTest::newRow("FTPS, replaced") << Method::Ftps << true << false << "" << Failure::None << "new";
    QTest::newRow("SFTP, replaced") << Method::Sftp << true << false << "" << Failure::None << "new";
    for (const Method method : {Method::Sftp, Method::Ftps})
        QTest::addRow("%s, beside a file an earlier try left", method == Method::Sftp ? "SFTP" : "FTPS")
            << method << true << false << "index.html.tarnwell-old" << Failure::None << "new";
    QTest::newRow("FTPS, the new file gone: the old one back")
        << Method::Ftps << false << false << "" << Failure::Other << "old";
    QTest::newRow("SFTP, the new file gone: the old one back")
        << Method::Sftp << false << false << "" << Failure::FolderMissing << "old";
    QTest::newRow("FTPS, the old one cannot come back")
        << Method::Ftps << true << true << "" << Failure::LeftAside << "aside";
}

void TestPublishTrust::replaceAside()
{
    QFETCH(Method, method);
    QFETCH(bool, newThere);
    QFETCH(bool, pageDenied);
    QFETCH(QString, leftBefore);
    QFETCH(Failure, failure);
    QFETCH(QString, left);
    PublishServer server(method);
    if (server.ftp) {
        server.ftp->setAllowOverwrite(false);
        if (pageDenied)
            server.ftp->setMoreConfiguration("<Directory ~/web/index.html>\n<Limit RNTO>\n"
                                             "DenyAll\n</Limit>\n</Directory>\n");
    } else {
        server.ssh.refusePosixRename();
    }
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const Site site = server.site();
    const QString web = server.web();
    const QTemporaryDir data;
    const QString local = data.filePath("index.html");
    QVERIFY(writeBytes(local, "new"));
    QVERIFY(writeBytes(web + "/index.html", "old"));
    if (!leftBefore.isEmpty())
        QVERIFY(writeBytes(web + '/' + leftBefore, "older"));
    const std::unique_ptr<Transport> transport = makeTransport(site, storeIn(data.path()), never);
    QVERIFY(!connectWithin(*transport));
    const QString folder = site.remoteFolder + '/';
    const QString temporary = ".index.html.tarnwell-tmp";
    if (newThere) {
        QFile source(local);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY(!transport->upload(source, folder + temporary, {}));
    }
    const Problem problem = transport->replace(folder + temporary, folder + "index.html");
    COMPARE_FAILURE(problem, failure);

    Files expected;
    if (left == "aside") {
        // Hidden, of its own name, and named in the report.
        const QRegularExpression aside("^" + QRegularExpression::escape(folder) +
                                       "(\\.index\\.html\\.tarnwell-old-[a-z0-9]{12})$");
        const QRegularExpressionMatch match = aside.match(problem.where);
        QVERIFY2(match.hasMatch(), qPrintable(problem.where));
        expected.insert(match.captured(1), "old");
    } else {
        expected.insert("index.html", left.toLatin1());
    }
    if (newThere && left != "new")
        expected.insert(temporary, "new");
    if (!leftBefore.isEmpty())
        expected.insert(leftBefore, "older");
    QCOMPARE(filesUnder(web), expected);
}

// A server that speaks TLS 1.3 and nothing older, and wants each data
// connection to resume the control connection's TLS session: reached, and
// written to, one file or several.
void TestPublishTrust::onlyTls13_data()
{
    QTest::addColumn<bool>("publish"); // a whole publish, else Test connection
    QTest::newRow("Test connection") << false;
    QTest::newRow("a page and two pictures, one in a folder") << true;
}

void TestPublishTrust::onlyTls13()
{
    QFETCH(bool, publish);
    FtpServer server;
    server.setOnlyTls13(true);
    QVERIFY2(server.start(), qPrintable(server.error()));
    const QTemporaryDir folder;
    const Files files{{"index.html", "<img src=\"stone.png\"><img src=\"pics/sky.jpg\">"},
                      {"stone.png", QByteArray("\x89PNG\r\n\x1a\n stone", 14)},
                      {"pics/sky.jpg", QByteArray(70000, '\xd8')}};
    QVERIFY(QDir(folder.path()).mkdir("pics"));
    for (auto file = files.cbegin(); file != files.cend(); ++file)
        QVERIFY(writeBytes(folder.filePath(file.key()), file.value()));
    const QTemporaryDir data;
    Publisher publisher(siteOf(server), storeIn(data.path()),
                        filesToPublish(folder.path(), "index.html",
                                       QString::fromLatin1(files.value("index.html"))));
    const Report report = reportOf(publisher, !publish);
    QVERIFY2(!report.problem, qPrintable(failureText(report.problem)));
    if (publish) {
        QCOMPARE(report.sent, 3);
        QCOMPARE(filesUnder(server.home()), files);
    } else {
        QVERIFY(server.commands().contains("STOR .tarnwell-test"));
    }
}

// While a publish holds the password the process writes no core dump;
// afterwards it is as it was.
void TestPublishTrust::noCoreDumpWithPassword()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir folder;
    QVERIFY(writeBytes(folder.filePath("index.html"), "<p>page</p>"));
    const QTemporaryDir data;
    const int dumpableBefore = ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_CORE, &before) == 0);
    QCOMPARE(dumpableBefore, 1);

    Publisher publisher(siteOf(server), storeIn(data.path()),
                        filesToPublish(folder.path(), "index.html", u"<p>page</p>"));
    QList<int> dumpable;
    QList<rlim_t> coreLimit;
    QObject::connect(&publisher, &Publisher::progress, [&](qint64, qint64) {
        dumpable << ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
        rlimit now{};
        ::getrlimit(RLIMIT_CORE, &now);
        coreLimit << now.rlim_cur;
    });
    const Report report = reportOf(publisher);
    QVERIFY2(!report.problem, qPrintable(failureText(report.problem)));
    // The first report comes before the connection, the others while it is open.
    QVERIFY(dumpable.size() >= 2);
    QCOMPARE(dumpable.mid(1), QList<int>(dumpable.size() - 1, 0));
    QCOMPARE(coreLimit.mid(1), QList<rlim_t>(coreLimit.size() - 1, 0));
    QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), dumpableBefore);
    rlimit after{};
    QVERIFY(::getrlimit(RLIMIT_CORE, &after) == 0);
    QCOMPARE(after.rlim_cur, before.rlim_cur);
}

// A password's bytes are cleared in every copy that shares them; a Site
// leaves a copy that something else still holds as it is.
void TestPublishTrust::wipedPassword()
{
    const QString typed = "secret-" + QString::number(::getpid());
    QString password(typed.constData(), typed.size());
    const QString shared = password;
    const QChar *bytes = shared.constData();
    {
        Site site;
        site.password = password;
    }
    QCOMPARE(shared, typed);
    wipe(password);
    QVERIFY(password.isEmpty());
    QCOMPARE(QStringView(bytes, typed.size()), QString(typed.size(), QChar(0)));

    QByteArray utf8 = typed.toUtf8();
    const QByteArray sharedUtf8 = utf8;
    wipe(utf8);
    QCOMPARE(sharedUtf8, QByteArray(typed.size(), '\0'));
    QString literal = QStringLiteral("a literal stays");
    wipe(literal); // read-only memory: not written
    QVERIFY(literal.isEmpty());
}

QTEST_GUILESS_MAIN(TestPublishTrust)
#include "tst_publish_trust.moc"

// Publishing against real servers on 127.0.0.1, OpenSSH's sshd and ProFTPD:
// the rows that are the same idea over every method (files arrive byte for
// byte, a wrong password, a refused port, a missing folder made, a cancel or
// a dead server part-way leaving the old file whole), then what is only
// SFTP's (host keys) or only FTP's (no password to a server without TLS, the
// folders and files the publisher does not reach).

#include "publish/ftp_text.h"
#include "publish/publisher.h"
#include "publish/transport.h"
#include "support/files.h"
#include "support/mount.h"
#include "support/publish_server.h"
#include "support/web_server.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace tarnwell::publish;
using tarnwell::test::filesHolding;
using tarnwell::test::filesUnder;
using tarnwell::test::freePort;
using tarnwell::test::FtpServer;
using tarnwell::test::Mount;
using tarnwell::test::PublishServer;
using tarnwell::test::readAll;
using tarnwell::test::reportOf;
using tarnwell::test::siteOf;
using tarnwell::test::SshdServer;
using tarnwell::test::storeWithin;
using tarnwell::test::WebServer;
using tarnwell::test::writeBytes;

namespace {
using Files = QMap<QString, QByteArray>;

enum class Run {
    First,          // an empty server folder
    FirstPassword,  // the same, logged in over SFTP with a password, not the key
    Again,          // nothing changed since the last publish
    OneChanged,     // one picture changed since
    SameSize,       // one picture changed since, to as many bytes
    NewHostKey,     // never seen, not accepted
    Remembered,     // accepted once, then known without asking
    UserKnows,      // known from the user's own known_hosts alone
    ChangedHostKey, // Tarnwell remembers another key for the server
    WrongPassword,
    WrongKey,
    FolderMissing,
    CreateFolder,
    ClosedFolder,  // one the account may not write to
    Cancel,        // in the middle of the big picture, sent before
    ServerKilled,  // in the middle of the big picture, sent before
    ServerStalled, // cancelled while the server does not answer
    ServerSilent,  // the server stops answering part-way
    NoRoom,        // the server's disk is full part-way
    RefusedPort,   // nothing listens there
    OtherTls,      // an FTP server with TLS for plain FTP, or without it for FTPS
    UnknownHost,   // a name that resolves to nothing
};

// Bytes that differ from one place to the next, so that a piece sent twice
// or left out shows.
QByteArray pattern(qint64 size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed) % 251);
    return bytes;
}

// The session folder: a page, pictures (one with a name to be escaped, one
// empty, one in a subfolder and large enough that a stop part-way comes
// before the socket has taken it all) and a file that the page does not use.
struct Folder
{
    static constexpr qint64 kBig = 24 * 1024 * 1024;
    QTemporaryDir dir;
    QList<PageFile> files;

    Folder()
    {
        QDir(dir.path()).mkpath("pics");
        const QByteArray page = "<html><body><img src=\"stone.png\">"
                                "<img src=\"Ma%20photo%20%C3%A9t%C3%A9%20%231%25.png\">"
                                "<img src=\"empty.gif\"><img src=\"pics/big%20sky.jpg\">"
                                "</body></html>\n";
        writeBytes(dir.filePath("index.html"), page);
        writeBytes(dir.filePath("stone.png"), QByteArray("\x89PNG stone", 10));
        writeBytes(dir.filePath("Ma photo \u00e9t\u00e9 #1%.png"), "\x89PNG\r\n");
        writeBytes(dir.filePath("empty.gif"), QByteArray());
        writeBytes(dir.filePath("pics/big sky.jpg"), pattern(kBig));
        writeBytes(dir.filePath("notes.txt"), "not on the page");
        files = filesToPublish(dir.path(), "index.html", QString::fromUtf8(page));
    }
};

// The rows' server: what it wrote down, and how each is stopped part-way.
struct Server : PublishServer
{
    using PublishServer::PublishServer;
    QString log() const { return ftp ? QString::fromLocal8Bit(ftp->log()) : ssh.log(); }
    // All that the server wrote down: its log and, for FTP, every command.
    QByteArray records() const { return ftp ? ftp->commands() + ftp->log() : ssh.log().toUtf8(); }
    void stop() { ftp ? ftp->stop() : ssh.stop(); }
    // SFTP loses its sessions, the FTP server goes whole and is started again.
    void kill() { ftp ? ftp->kill() : ssh.killSessions(); }
    bool revive() { return !ftp || ftp->start(); }
    void stall() { ftp ? ftp->freeze(true) : ssh.stallSessions(); }
};
} // namespace

class TestPublish final : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void arrival_data();
    void arrival();
    void ftpFolders();
};

void TestPublish::runs_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<Run>("run");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("words"); // the server's or libcurl's, in the details

    const auto row = [](const char *name, Method method, Run run, Failure failure, int sent,
                        const char *words = "") {
        static const char *const prefixes[] = {"SFTP, ", "FTPS, ", "FTP, "};
        QTest::addRow("%s%s", prefixes[int(method)], name)
            << method << run << failure << sent << QString(words);
    };
    // What the server holds after a second publish, and how each method
    // replaces a file.
    for (const Method method : {Method::Sftp, Method::Ftps, Method::Ftp}) {
        row("nothing changed", method, Run::Again, Failure::None, 0);
        row("one picture changed", method, Run::OneChanged, Failure::None, 1);
        row("one picture changed, same size", method, Run::SameSize, Failure::None, 1);
    }
    for (const Method method : {Method::Sftp, Method::Ftps}) {
        row("first publish", method, Run::First, Failure::None, 5);
        row("wrong password", method, Run::WrongPassword, Failure::LoginRefused, 0);
        row("folder missing", method, Run::FolderMissing, Failure::FolderMissing, 0);
        row("folder made", method, Run::CreateFolder, Failure::None, 5);
        row("cancel part-way", method, Run::Cancel, Failure::Cancelled, 0);
        row("server killed part-way", method, Run::ServerKilled, Failure::ConnectionLost, 0);
        row("server stops answering", method, Run::ServerSilent, Failure::NoAnswer, 0);
        row("refused port", method, Run::RefusedPort, Failure::Refused, 0);
    }
    row("first publish", Method::Ftp, Run::First, Failure::None, 5);
    row("wrong password", Method::Ftp, Run::WrongPassword, Failure::LoginRefused, 0,
        "530 Login incorrect.");
    row("refused port", Method::Ftp, Run::RefusedPort, Failure::Refused, 0,
        "Failed to connect to 127.0.0.1");
    row("server without TLS", Method::Ftps, Run::OtherTls, Failure::NoTls, 0,
        "500 AUTH not understood");
    row("server that requires TLS", Method::Ftp, Run::OtherTls, Failure::LoginRefused, 0,
        "550 SSL/TLS required on the control channel");

    row("first publish, password", Method::Sftp, Run::FirstPassword, Failure::None, 5);
    row("new host key", Method::Sftp, Run::NewHostKey, Failure::NewHostKey, 0);
    row("accepted key remembered", Method::Sftp, Run::Remembered, Failure::None, 0);
    row("user's known hosts", Method::Sftp, Run::UserKnows, Failure::None, 5);
    row("changed host key", Method::Sftp, Run::ChangedHostKey, Failure::ChangedHostKey, 0);
    row("wrong key", Method::Sftp, Run::WrongKey, Failure::KeyRefused, 0);
    row("folder not writable", Method::Sftp, Run::ClosedFolder, Failure::NoPermission, 0);
    row("cancel while the server does not answer", Method::Sftp, Run::ServerStalled,
        Failure::Cancelled, 0);
    for (const Method method : {Method::Sftp, Method::Ftps, Method::Ftp})
        row("no room left", method, Run::NoRoom, Failure::NoRoom, 3);
    row("unknown host", Method::Sftp, Run::UnknownHost, Failure::UnknownHost, 0);
}

void TestPublish::runs()
{
    QFETCH(Method, method);
    QFETCH(Run, run);
    QFETCH(Failure, failure);
    QFETCH(int, sent);
    QFETCH(QString, words);

    // Over SFTP the key logs in unless the row is about the password.
    const bool password =
        method != Method::Sftp || run == Run::WrongPassword || run == Run::FirstPassword;
    if (method == Method::Sftp && password)
        REQUIRE_PASSWORD_LOGIN();

    Server server(method, run == Run::OtherTls);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));

    // Under HOME, so that the look for the password there reads it.
    const QTemporaryDir data(QDir::homePath() + "/data-XXXXXX");
    const Store store = storeWithin(data.path());
    Folder folder;
    Site site = server.site(password);

    const auto publish = [&](const Site &to,
                             const std::function<void(Publisher &, qint64)> &during = {}) {
        Publisher publisher(to, store, folder.files);
        if (during)
            QObject::connect(&publisher, &Publisher::progress,
                             [&](qint64 done, qint64) { during(publisher, done); });
        return reportOf(publisher);
    };
    const QString big = "pics/big sky.jpg";
    const QString knownLine = "[127.0.0.1]:%1 %2\n";
    Files expected = filesUnder(folder.dir.path());
    expected.remove("notes.txt");
    Mount smallDisk(server.web());

    // Before the run under test: what the server holds then.
    switch (run) {
    case Run::Again:
    case Run::Remembered:
    case Run::OneChanged:
    case Run::SameSize:
    case Run::Cancel:
    case Run::ServerKilled:
    case Run::ServerStalled:
    case Run::ServerSilent:
        QCOMPARE(publish(site).problem.failure, Failure::None);
        if (run == Run::Remembered)
            site.acceptedFingerprint.clear();
        if (run == Run::OneChanged || run == Run::SameSize) {
            // One shorter than before: a replaced file is cut to its new end.
            const QByteArray now = run == Run::SameSize ? "\x89PNG STONE" : "\x89PNG o";
            QVERIFY(writeBytes(folder.dir.filePath("stone.png"), now));
            expected.insert("stone.png", now);
        }
        if (run >= Run::Cancel) { // the four that stop part-way
            QVERIFY(writeBytes(folder.dir.filePath(big), pattern(Folder::kBig, 1)));
            expected.insert(big, pattern(Folder::kBig, 1));
        }
        break;
    case Run::NewHostKey:
        site.acceptedFingerprint.clear();
        break;
    case Run::UserKnows:
        site.acceptedFingerprint.clear();
        QVERIFY(writeBytes(store.userKnownHosts,
                           knownLine.arg(site.port).arg(server.ssh.hostKeyLine()).toLatin1()));
        break;
    case Run::ChangedHostKey:
        QVERIFY(writeBytes(store.knownHosts,
                           knownLine.arg(site.port).arg(server.ssh.otherKeyLine()).toLatin1()));
        break;
    case Run::WrongPassword:
        site.password += u'x';
        break;
    case Run::WrongKey:
        site.keyFile = server.ssh.otherKey();
        break;
    case Run::FolderMissing:
    case Run::CreateFolder:
        site.remoteFolder += "/deeper/still";
        site.createFolder = run == Run::CreateFolder;
        break;
    case Run::ClosedFolder:
        REQUIRE_HERE(SshdServer::isRoot(),
                     "only root makes a folder that the account may not write to");
        QVERIFY(QDir().mkpath(server.web() + "/closed"));
        site.remoteFolder += "/closed";
        break;
    case Run::NoRoom: {
        // 1 MB over the server's folder, the test account's own.
        const QFileInfo web(server.web());
        REQUIRE_MOUNT(smallDisk.mount(
            QString("size=1m,mode=0755,uid=%1,gid=%2").arg(web.ownerId()).arg(web.groupId())));
        break;
    }
    case Run::RefusedPort:
        server.stop();
        break;
    case Run::UnknownHost:
        // Two dots in a row: the resolver refuses the name without asking any
        // server.
        site.host = "nowhere..invalid";
        break;
    default:
        break;
    }
    const QByteArray knownBefore = readAll(store.knownHosts);
    const QByteArray userKnownBefore = readAll(store.userKnownHosts);
    const Files before = filesUnder(server.web());
    const QStringList stamped = tarnwell::test::listing(server.web(), true);

    bool stopped = false;
    QElapsedTimer took;
    took.start();
    const Report report = publish(site, [&](Publisher &publisher, qint64 done) {
        if (stopped || done < 2 * 1024 * 1024)
            return;
        stopped = true;
        if (run == Run::ServerStalled || run == Run::ServerSilent)
            server.stall();
        if (run == Run::Cancel || run == Run::ServerStalled)
            publisher.cancel();
        if (run == Run::ServerKilled)
            server.kill();
    });
    // A cancel that waited for the server's 20 s answer time would show here.
    if (run == Run::ServerStalled)
        QVERIFY2(took.elapsed() < 10000, qPrintable(QString::number(took.elapsed())));

    QVERIFY2(report.problem.failure == failure,
             qPrintable(QString("failure %1: %2\n%3")
                            .arg(int(report.problem.failure))
                            .arg(report.problem.details, server.log().right(2000))));
    QVERIFY2(report.problem.details.contains(words), qPrintable(report.problem.details));
    // A server whose TLS does not match the method is never told the password.
    if (run == Run::OtherTls)
        QVERIFY(!server.records().contains("PASS"));
    // A wrong password is the right one and a letter, so this finds either.
    if (const QString secret = server.password(); !secret.isEmpty()) {
        QVERIFY(!report.problem.details.contains(secret));
        QVERIFY(!server.records().contains(secret.toUtf8()));
    }
    QCOMPARE(report.sent, sent);
    QCOMPARE(readAll(store.userKnownHosts), userKnownBefore);
    Files after = filesUnder(server.web());

    switch (run) {
    case Run::First:
    case Run::FirstPassword:
    case Run::Again:
    case Run::OneChanged:
    case Run::SameSize:
    case Run::Remembered:
    case Run::UserKnows:
        QCOMPARE(after, expected);
        QCOMPARE(report.files.size(), 5);
        if (run == Run::OneChanged || run == Run::SameSize)
            QCOMPARE(report.files.at(0).state, FileState::Sent);
        // A file not sent again is not written again either.
        for (const FileReport &file : report.files) {
            if (file.state != FileState::Unchanged)
                continue;
            const auto stamp = [&file](const QStringList &lines) {
                return lines.filter(
                    QRegularExpression("^" + QRegularExpression::escape(file.name) + " \\d"));
            };
            QVERIFY(!stamp(stamped).isEmpty());
            QCOMPARE(stamp(tarnwell::test::listing(server.web(), true)), stamp(stamped));
        }
        if (run == Run::UserKnows)
            QCOMPARE(readAll(store.knownHosts), knownBefore);
        break;
    case Run::NewHostKey:
    case Run::ChangedHostKey:
        QCOMPARE(report.problem.fingerprint, server.ssh.fingerprint());
        QVERIFY(after.isEmpty());
        QCOMPARE(report.problem.where, run == Run::NewHostKey ? QString() : store.knownHosts);
        QCOMPARE(readAll(store.knownHosts), knownBefore);
        QCOMPARE(QFile::exists(store.knownHosts), run == Run::ChangedHostKey);
        break;
    case Run::CreateFolder: {
        Files deeper;
        for (auto file = expected.begin(); file != expected.end(); ++file)
            deeper.insert("deeper/still/" + file.key(), file.value());
        QCOMPARE(after, deeper);
        break;
    }
    case Run::Cancel:
    case Run::ServerKilled:
    case Run::ServerStalled:
    case Run::ServerSilent:
        QVERIFY(stopped);
        // The page and the small picture went before; the big one is the old
        // one. A cancel takes its part away; cut off, the server keeps it.
        QCOMPARE(after.value(big), before.value(big));
        QCOMPARE(report.files.last().state, FileState::Failed);
        if (run != Run::Cancel)
            after.removeIf([](const auto &file) {
                return file.key().startsWith("pics/.big sky.jpg.") &&
                       file.key().endsWith(".tarnwell-tmp");
            });
        QCOMPARE(after, before);
        if (run == Run::ServerKilled) {
            // Sent again: the record did not take the lost file.
            QVERIFY2(server.revive(), qPrintable(server.log()));
            const Report again = publish(site);
            QCOMPARE(again.problem.failure, Failure::None);
            QCOMPARE(again.sent, 1);
            QCOMPARE(filesUnder(server.web()), expected);
        }
        break;
    case Run::NoRoom:
        // The small pictures are there; the picture that did not fit is not,
        // in part or whole, and the page that shows it waits.
        QCOMPARE(report.files.last().state, FileState::Failed);
        expected.remove(big);
        expected.remove("index.html");
        QCOMPARE(after, expected);
        break;
    default:
        QVERIFY(after.isEmpty());
        break;
    }
    if (!server.password().isEmpty())
        QCOMPARE(filesHolding(QDir::homePath(), server.password()), QStringList());
}

void TestPublish::arrival_data()
{
    QTest::addColumn<QString>("address"); // {A}: the web server's; {F}: a port nothing listens on
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<Arrival>("arrival");
    QTest::addColumn<bool>("told"); // the details say why

    const QByteArray page = "<html><body><p>Hello</p></body></html>\n";
    QTest::newRow("same bytes") << "{A}index.html" << page << Arrival::Same << false;
    QTest::newRow("the folder's address") << "{A}" << page << Arrival::Same << false;
    QTest::newRow("an older page")
        << "{A}index.html" << page.chopped(1) << Arrival::Different << false;
    QTest::newRow("not there") << "{A}gone.html" << page << Arrival::NotFound << true;
    QTest::newRow("far bigger than a page") << "{A}big.html" << page << Arrival::Different << true;
    QTest::newRow("nothing listens")
        << "http://127.0.0.1:{F}/" << page << Arrival::NotFound << true;
    // Only a web server's answer shows that the page is on the web.
    for (const char *other : {"file", "ftp://127.0.0.1/index.html", "example.org/index.html",
                              "data:text/html,hello", "http:///index.html"})
        QTest::addRow("not a web address: %s", other) << other << page << Arrival::NotFound << true;
}

void TestPublish::arrival()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, sent);
    QFETCH(Arrival, arrival);
    QFETCH(bool, told);

    QTemporaryDir served;
    QVERIFY(writeBytes(served.filePath("index.html"), "<html><body><p>Hello</p></body></html>\n"));
    QVERIFY(writeBytes(served.filePath("big.html"), QByteArray(20 * 1024 * 1024, 'x')));
    WebServer web(served.path());
    QVERIFY(web.listening());
    address.replace("{A}", web.address()).replace("{F}", QString::number(freePort()));
    const QUrl url =
        address == "file" ? QUrl::fromLocalFile(served.filePath("index.html")) : QUrl(address);
    QString details;
    const Arrival found = checkArrival(url, sent, &details);
    QVERIFY2(found == arrival, qPrintable(details));
    QCOMPARE(!details.isEmpty(), told);
    QCOMPARE(isWebAddress(url), address.startsWith("http://127.0.0.1:"));
    if (!isWebAddress(url))
        QVERIFY(details.contains("http://"));
    QVERIFY(isWebAddress(QUrl("HTTPS://example.org/~ann/")));
}

// What the publisher does not reach: a file sent into a missing folder, a
// folder out of the login folder or where a file is, a folder made twice,
// and removing a file that is not there.
void TestPublish::ftpFolders()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    const std::atomic_bool never{false};
    const auto transport = makeFtpTransport(siteOf(server), storeIn(data.path()), never);
    QVERIFY(!transport->connect());
    QByteArray bytes = "<p>page</p>";
    QBuffer local(&bytes);
    QVERIFY(local.open(QIODevice::ReadOnly));
    const QString folder = "public_html/my site";
    const QString page = folder + "/page.html";

    Problem problem;
    QVERIFY(!transport->remoteFile(page, &problem));
    QVERIFY(!problem);
    QCOMPARE(transport->upload(local, page, {}).failure, Failure::FolderMissing);
    QCOMPARE(transport->makeFolder("../elsewhere").failure, Failure::Other);

    QVERIFY(!transport->makeFolder(folder));
    QVERIFY(!transport->makeFolder(folder)); // already there
    QVERIFY(local.seek(0));
    QVERIFY(!transport->upload(local, page, {}));

    // A name where a folder should be, and a file that is not there.
    const std::optional<RemoteFile> there = transport->remoteFile(folder, &problem);
    QVERIFY(there && !there->regular);
    QVERIFY(!problem);
    QCOMPARE(transport->makeFolder(page).failure, Failure::NoPermission);
    QVERIFY(transport->remove(folder + "/none.html"));
    QVERIFY(!transport->remove(page));
    QVERIFY(filesUnder(server.home()).isEmpty());
}

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"

// Publishing against real servers on 127.0.0.1, OpenSSH's sshd and ProFTPD:
// the rows that are the same idea over every method (files arrive byte for
// byte, a wrong password, a refused port, a missing folder made, a cancel or
// a dead server part-way leaving the old file whole), then what is only
// SFTP's (host keys) or only FTP's (the certificate against openssl's own
// fingerprint, no password to a server without TLS).

#include "publish/ftp_text.h"
#include "publish/publisher.h"
#include "publish/transport.h"
#include "support/files.h"
#include "support/ftp_server.h"
#include "support/mount.h"
#include "support/sshd_server.h"
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
using tarnwell::test::FtpServer;
using tarnwell::test::Mount;
using tarnwell::test::readAll;
using tarnwell::test::runProgram;
using tarnwell::test::SshdServer;
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

// What openssl itself prints for the certificate, as "SHA256:" and base64.
QString opensslFingerprint(const QString &certificate)
{
    QString why;
    QByteArray line; // "... Fingerprint=AB:CD:..."
    if (!runProgram("openssl", {"x509", "-in", certificate, "-noout", "-fingerprint", "-sha256"},
                    &why, &line))
        return {};
    const QByteArray hex = line.trimmed().mid(line.indexOf('=') + 1).replace(':', "");
    return "SHA256:" +
           QString::fromLatin1(QByteArray::fromHex(hex).toBase64(QByteArray::OmitTrailingEquals));
}

Site ftpSite(const FtpServer &server, Method method)
{
    Site site;
    site.method = method;
    site.host = "127.0.0.1";
    site.port = server.port();
    site.user = server.user();
    site.password = server.password();
    site.acceptedFingerprint = opensslFingerprint(server.certificate());
    return site;
}

// An FTP or FTPS transport that nothing cancels.
std::unique_ptr<Transport> ftpTransport(const Site &site, const Store &store)
{
    static const std::atomic_bool never{false};
    return makeFtpTransport(site, store, never);
}

// Either server, as the rows that are the same over every method see it.
struct Server
{
    Server(Method method, bool otherTls) : method(method)
    {
        if (method != Method::Sftp)
            ftp.emplace((method == Method::Ftps) != otherTls ? FtpServer::Tls::Required
                                                             : FtpServer::Tls::None);
    }

    bool start(QString *why)
    {
        if (!ftp)
            return ssh.start(why);
        const bool started = ftp->start() && QDir().mkpath(web());
        *why = ftp->error();
        return started;
    }
    Site site(bool password) const
    {
        Site site;
        if (ftp) {
            site = ftpSite(*ftp, method);
            site.remoteFolder = "web";
            return site;
        }
        site.host = "127.0.0.1";
        site.port = ssh.port();
        site.user = ssh.user();
        site.remoteFolder = ssh.remoteFolder();
        site.acceptedFingerprint = ssh.fingerprint();
        if (password)
            site.password = ssh.password();
        else
            site.keyFile = ssh.clientKey();
        return site;
    }
    // The folder the files land in, on this machine.
    QString web() const { return ftp ? ftp->home() + "/web" : ssh.webFolder(); }
    QString password() const { return ftp ? ftp->password() : ssh.password(); }
    QString log() const { return ftp ? QString::fromLocal8Bit(ftp->log()) : ssh.log(); }
    // All that the server wrote down: its log and, for FTP, every command.
    QByteArray records() const { return ftp ? ftp->commands() + ftp->log() : ssh.log().toUtf8(); }
    void stop() { ftp ? ftp->stop() : ssh.stop(); }
    // SFTP loses its sessions, the FTP server goes whole and is started again.
    void kill() { ftp ? ftp->kill() : ssh.killSessions(); }
    bool revive() { return !ftp || ftp->start(); }
    void stall() { ftp ? ftp->freeze(true) : ssh.stallSessions(); }

    const Method method;
    SshdServer ssh;
    std::optional<FtpServer> ftp;
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
    void certificates();
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
    Store store = storeIn(data.path());
    store.userKnownHosts = data.filePath("user_known_hosts");
    Folder folder;
    Site site = server.site(password);

    const auto publish = [&](const Site &to,
                             const std::function<void(Publisher &, qint64)> &during = {}) {
        Publisher publisher(to, store, folder.files);
        Report report;
        QObject::connect(&publisher, &Publisher::finished, [&](const Report &r) { report = r; });
        if (during)
            QObject::connect(&publisher, &Publisher::progress,
                             [&](qint64 done, qint64) { during(publisher, done); });
        publisher.run();
        return report;
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
        if (run == Run::OneChanged) {
            // Shorter than before: a replaced file is cut to its new end.
            QVERIFY(writeBytes(folder.dir.filePath("stone.png"), "\x89PNG o"));
            expected.insert("stone.png", "\x89PNG o");
        }
        if (run == Run::SameSize) {
            QVERIFY(writeBytes(folder.dir.filePath("stone.png"), "\x89PNG STONE"));
            expected.insert("stone.png", "\x89PNG STONE");
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
    case Run::First:
    case Run::FirstPassword:
    case Run::OtherTls:
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
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<Arrival>("arrival");

    const QByteArray page = "<html><body><p>Hello</p></body></html>\n";
    QTest::newRow("same bytes") << "index.html" << page << Arrival::Same;
    QTest::newRow("the folder's address") << "" << page << Arrival::Same;
    QTest::newRow("an older page") << "index.html" << page.chopped(1) << Arrival::Different;
    QTest::newRow("not there") << "gone.html" << page << Arrival::NotFound;
    QTest::newRow("far bigger than a page") << "big.html" << page << Arrival::Different;
    QTest::newRow("nothing listens") << "" << page << Arrival::NotFound;
}

void TestPublish::arrival()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, sent);
    QFETCH(Arrival, arrival);

    QTemporaryDir served;
    QVERIFY(writeBytes(served.filePath("index.html"), "<html><body><p>Hello</p></body></html>\n"));
    QVERIFY(writeBytes(served.filePath("big.html"), QByteArray(20 * 1024 * 1024, 'x')));
    std::optional<WebServer> web;
    QString address = QString("http://127.0.0.1:%1/").arg(tarnwell::test::freePort());
    if (QTest::currentDataTag() != QLatin1String("nothing listens")) {
        web.emplace(served.path());
        QVERIFY(web->listening());
        address = web->address();
    }
    QString details;
    const Arrival found = checkArrival(QUrl(address + path), sent, &details);
    QVERIFY2(found == arrival, qPrintable(details));
    QCOMPARE(details.isEmpty(), arrival == Arrival::Same || path == QLatin1String("index.html"));
}

// The first connection shows the certificate's fingerprint and sends no
// password; accepted, it is remembered; a new certificate is refused.
void TestPublish::certificates()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    // A first run: the data folder is not there yet.
    const Store store = storeIn(data.filePath("tarnwell/data"));
    Site site = ftpSite(server, Method::Ftps);
    const QString fingerprint = site.acceptedFingerprint;
    site.acceptedFingerprint.clear();
    QVERIFY(fingerprint.size() == 50);

    Problem problem = ftpTransport(site, store)->connect();
    QCOMPARE(problem.failure, Failure::NewCertificate);
    QCOMPARE(problem.fingerprint, fingerprint);
    QVERIFY(!QFile::exists(store.certificates));

    // Accepted, but not the certificate that the server shows.
    site.acceptedFingerprint = "SHA256:" + QString(43, u'A');
    problem = ftpTransport(site, store)->connect();
    QCOMPARE(problem.failure, Failure::NewCertificate);
    QCOMPARE(problem.fingerprint, fingerprint);
    QVERIFY(!server.commands().contains("USER"));
    QVERIFY(!server.commands().contains("PASS"));

    site.acceptedFingerprint = fingerprint;
    problem = ftpTransport(site, store)->connect();
    QVERIFY2(!problem, qPrintable(problem.details));
    const QString key = QString("127.0.0.1:%1").arg(server.port());
    QCOMPARE(rememberedCertificate(readAll(store.certificates), key)
                 .value_or(RememberedCertificate())
                 .fingerprint,
             fingerprint);

    site.acceptedFingerprint.clear();
    std::unique_ptr<Transport> remembered = ftpTransport(site, store);
    QVERIFY(!remembered->connect());
    QVERIFY(remembered->folderExists(QString(), &problem));

    server.stop();
    QVERIFY(server.newCertificate());
    const QString changed = opensslFingerprint(server.certificate());
    QVERIFY(changed != fingerprint);
    const QByteArray before = server.commands();
    QVERIFY2(server.start(), qPrintable(server.error()));
    for (const QString &accepted : {QString(), changed}) {
        site.acceptedFingerprint = accepted;
        problem = ftpTransport(site, store)->connect();
        QCOMPARE(problem.failure, Failure::ChangedCertificate);
        QCOMPARE(problem.fingerprint, changed);
        QCOMPARE(problem.where, store.certificates);
    }
    QCOMPARE(server.commands().count("PASS"), before.count("PASS"));
}

// What the publisher does not reach: a file sent into a missing folder, a
// folder out of the login folder or where a file is, a folder made twice,
// and removing a file that is not there.
void TestPublish::ftpFolders()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    const std::unique_ptr<Transport> transport =
        ftpTransport(ftpSite(server, Method::Ftps), storeIn(data.path()));
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

// Publishing against real servers on 127.0.0.1, OpenSSH's sshd and ProFTPD:
// the rows that are the same idea over every method (files arrive byte for
// byte, a wrong password, a refused port, a missing folder made, a cancel or
// a dead server part-way leaving the old file whole), then what is only
// SFTP's (host keys) or only FTP's (the certificate against openssl's own
// fingerprint, no password to a server without TLS, what a server says and
// the file of accepted certificates read as hostile input).

#include "publish/ftp_text.h"
#include "publish/publisher.h"
#include "publish/transport.h"
#include "support/files.h"
#include "support/ftp_server.h"
#include "support/sshd_server.h"
#include "support/web_server.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace tarnwell::publish;
using tarnwell::test::filesUnder;
using tarnwell::test::FtpServer;
using tarnwell::test::readAll;
using tarnwell::test::SshdServer;
using tarnwell::test::WebServer;
using tarnwell::test::writeBytes;

namespace {
using Files = QMap<QString, QByteArray>;

enum class Run {
    First,          // an empty server folder
    Again,          // nothing changed since the last publish
    OneChanged,     // one picture changed since
    NewHostKey,     // never seen, not accepted
    Remembered,     // accepted once, then known without asking
    UserKnows,      // known from the user's own known_hosts alone
    ChangedHostKey, // Tarnwell remembers another key for the server
    WrongPassword,
    WrongKey,
    FolderMissing,
    CreateFolder,
    Cancel,        // in the middle of the big picture, sent before
    ServerKilled,  // in the middle of the big picture, sent before
    ServerStalled, // cancelled while the server does not answer
    ServerSilent,  // the server stops answering part-way
    NoRoom,        // the server's disk is full part-way
    RefusedPort,   // nothing listens there
    UnknownHost,   // a name that resolves to nothing
};

enum class Login { Key, Password };

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
        QDir(dir.path()).mkpath(QStringLiteral("pics"));
        const QByteArray page = "<html><body><img src=\"stone.png\">"
                                "<img src=\"Ma%20photo%20%C3%A9t%C3%A9%20%231%25.png\">"
                                "<img src=\"empty.gif\"><img src=\"pics/big%20sky.jpg\">"
                                "</body></html>\n";
        writeBytes(dir.filePath(QStringLiteral("index.html")), page);
        writeBytes(dir.filePath(QStringLiteral("stone.png")), QByteArray("\x89PNG stone", 10));
        writeBytes(dir.filePath(QStringLiteral("Ma photo \u00e9t\u00e9 #1%.png")), "\x89PNG\r\n");
        writeBytes(dir.filePath(QStringLiteral("empty.gif")), QByteArray());
        writeBytes(dir.filePath(QStringLiteral("pics/big sky.jpg")), pattern(kBig));
        writeBytes(dir.filePath(QStringLiteral("notes.txt")), "not on the page");
        files = filesToPublish(dir.path(), QStringLiteral("index.html"), QString::fromUtf8(page));
    }
};

// Tarnwell's data folder for one test, under HOME so that the password check
// reads it; kept until the next run.
QString freshDataFolder()
{
    QString tag = QString::fromLatin1(QTest::currentTestFunction()) + u'-' +
                  QString::fromLatin1(QTest::currentDataTag()).toLower();
    tag.replace(QRegularExpression(QStringLiteral("[^a-z0-9-]")), QStringLiteral("_"));
    QDir folder(QDir::homePath() + QStringLiteral("/data/") + tag);
    folder.removeRecursively();
    folder.mkpath(QStringLiteral("."));
    return folder.path();
}

// A 1 MB file system over the server's folder, the test account's own.
bool mountSmallDisk(const QString &folder, QString *why)
{
    const passwd *user = ::getpwnam(SshdServer::account);
    if (!user) {
        *why = QStringLiteral("no test account");
        return false;
    }
    return tarnwell::test::runProgram(
        QStringLiteral("mount"),
        {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
         QStringLiteral("size=1m,mode=0755,uid=%1,gid=%2").arg(user->pw_uid).arg(user->pw_gid),
         QStringLiteral("tmpfs"), folder},
        why);
}

// What openssl itself prints for the certificate, as "SHA256:" and base64.
QString opensslFingerprint(const QString &certificate)
{
    QString why;
    QByteArray line; // "... Fingerprint=AB:CD:..."
    if (!tarnwell::test::runProgram(QStringLiteral("openssl"),
                                    {QStringLiteral("x509"), QStringLiteral("-in"), certificate,
                                     QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
                                     QStringLiteral("-sha256")},
                                    &why, &line))
        return {};
    const QByteArray hex = line.trimmed().mid(line.indexOf('=') + 1).replace(':', "");
    return QStringLiteral("SHA256:") +
           QString::fromLatin1(QByteArray::fromHex(hex).toBase64(QByteArray::OmitTrailingEquals));
}

Site ftpSite(const FtpServer &server, Method method)
{
    Site site;
    site.method = method;
    site.host = QStringLiteral("127.0.0.1");
    site.port = server.port();
    site.user = server.user();
    site.password = server.password();
    site.acceptedFingerprint = opensslFingerprint(server.certificate());
    return site;
}

// Either server, as the rows that are the same over every method see it.
struct Server
{
    explicit Server(Method method) : method(method)
    {
        if (method != Method::Sftp)
            ftp.emplace(method == Method::Ftps ? FtpServer::Tls::Required : FtpServer::Tls::None);
    }

    bool start(QString *why)
    {
        if (!ftp)
            return ssh.start(why);
        if (ftp->start() && QDir().mkpath(web()))
            return true;
        *why = ftp->error();
        return false;
    }
    Site site(Login login) const
    {
        Site site;
        if (ftp) {
            site = ftpSite(*ftp, method);
            site.remoteFolder = QStringLiteral("web");
            return site;
        }
        site.host = QStringLiteral("127.0.0.1");
        site.port = ssh.port();
        site.user = ssh.user();
        site.remoteFolder = ssh.remoteFolder();
        site.acceptedFingerprint = ssh.fingerprint();
        if (login == Login::Password)
            site.password = ssh.password();
        else
            site.keyFile = ssh.clientKey();
        return site;
    }
    // The folder the files land in, on this machine.
    QString web() const { return ftp ? ftp->home() + QStringLiteral("/web") : ssh.webFolder(); }
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
    void testConnectionLeavesNothing();
    void arrival_data();
    void arrival();
    void replyLines_data();
    void replyLines();
    void certificateFile_data();
    void certificateFile();
    void certificates();
    void refusals_data();
    void refusals();
    void ftpFolders();
    void passwordsAreInNoFile();

private:
    QStringList m_passwords;
};

void TestPublish::runs_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<Run>("run");
    QTest::addColumn<Login>("login");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<int>("sent");

    const auto row = [](const char *name, Method method, Run run, Login login, Failure failure,
                        int sent) {
        static const char *const prefixes[] = {"SFTP, ", "FTPS, ", "FTP, "};
        QTest::addRow("%s%s", prefixes[int(method)], name)
            << method << run << login << failure << sent;
    };
    for (const Method method : {Method::Sftp, Method::Ftps}) {
        const Login login = method == Method::Sftp ? Login::Key : Login::Password;
        row("first publish", method, Run::First, login, Failure::None, 5);
        row("nothing changed", method, Run::Again, login, Failure::None, 0);
        row("one picture changed", method, Run::OneChanged, login, Failure::None, 1);
        row("wrong password", method, Run::WrongPassword, Login::Password, Failure::LoginRefused,
            0);
        row("folder missing", method, Run::FolderMissing, login, Failure::FolderMissing, 0);
        row("folder made", method, Run::CreateFolder, login, Failure::None, 5);
        row("cancel part-way", method, Run::Cancel, login, Failure::Cancelled, 0);
        row("server killed part-way", method, Run::ServerKilled, login, Failure::ConnectionLost, 0);
        row("server stops answering", method, Run::ServerSilent, login, Failure::NoAnswer, 0);
        row("refused port", method, Run::RefusedPort, login, Failure::Refused, 0);
    }
    row("first publish", Method::Ftp, Run::First, Login::Password, Failure::None, 5);
    row("one picture changed", Method::Ftp, Run::OneChanged, Login::Password, Failure::None, 1);

    row("first publish, password", Method::Sftp, Run::First, Login::Password, Failure::None, 5);
    row("new host key", Method::Sftp, Run::NewHostKey, Login::Key, Failure::NewHostKey, 0);
    row("accepted key remembered", Method::Sftp, Run::Remembered, Login::Key, Failure::None, 0);
    row("user's known hosts", Method::Sftp, Run::UserKnows, Login::Key, Failure::None, 5);
    row("changed host key", Method::Sftp, Run::ChangedHostKey, Login::Key, Failure::ChangedHostKey,
        0);
    row("wrong key", Method::Sftp, Run::WrongKey, Login::Key, Failure::KeyRefused, 0);
    row("cancel while the server does not answer", Method::Sftp, Run::ServerStalled, Login::Key,
        Failure::Cancelled, 0);
    row("no room left", Method::Sftp, Run::NoRoom, Login::Key, Failure::NoRoom, 3);
    row("unknown host", Method::Sftp, Run::UnknownHost, Login::Key, Failure::UnknownHost, 0);
}

void TestPublish::runs()
{
    QFETCH(Method, method);
    QFETCH(Run, run);
    QFETCH(Login, login);
    QFETCH(Failure, failure);
    QFETCH(int, sent);

    if (method == Method::Sftp && login == Login::Password &&
        !SshdServer::whyNoPassword().isEmpty())
        QSKIP(qPrintable(SshdServer::whyNoPassword()));

    Server server(method);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    m_passwords.append(server.password());

    const QString data = freshDataFolder();
    Store store = storeIn(data);
    store.userKnownHosts = data + QStringLiteral("/user_known_hosts");
    Folder folder;
    QCOMPARE(folder.files.size(), 5);
    Site site = server.site(login);

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
    const QString big = QStringLiteral("pics/big sky.jpg");
    const QString temporary = QStringLiteral("pics/.big sky.jpg.tarnwell-tmp");
    Files expected = filesUnder(folder.dir.path());
    expected.remove(QStringLiteral("notes.txt"));

    // Before the run under test: what the server holds then.
    switch (run) {
    case Run::Again:
    case Run::Remembered:
    case Run::OneChanged:
    case Run::Cancel:
    case Run::ServerKilled:
    case Run::ServerStalled:
    case Run::ServerSilent:
        QCOMPARE(publish(site).problem.failure, Failure::None);
        if (run == Run::Remembered)
            site.acceptedFingerprint.clear();
        if (run == Run::OneChanged) {
            // Shorter than before: a replaced file is cut to its new end.
            QVERIFY(writeBytes(folder.dir.filePath(QStringLiteral("stone.png")), "\x89PNG o"));
            expected.insert(QStringLiteral("stone.png"), "\x89PNG o");
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
        QVERIFY(writeBytes(store.userKnownHosts, QStringLiteral("[127.0.0.1]:%1 %2\n")
                                                     .arg(site.port)
                                                     .arg(server.ssh.hostKeyLine())
                                                     .toLatin1()));
        break;
    case Run::ChangedHostKey:
        QVERIFY(writeBytes(store.knownHosts, QStringLiteral("[127.0.0.1]:%1 %2\n")
                                                 .arg(site.port)
                                                 .arg(server.ssh.otherKeyLine())
                                                 .toLatin1()));
        break;
    case Run::WrongPassword:
        site.password += u'x';
        break;
    case Run::WrongKey:
        site.keyFile = server.ssh.otherKey();
        break;
    case Run::FolderMissing:
    case Run::CreateFolder:
        site.remoteFolder += QStringLiteral("/deeper/still");
        site.createFolder = run == Run::CreateFolder;
        break;
    case Run::NoRoom:
        if (!SshdServer::isRoot())
            QSKIP("a full disk is a small file system mounted by root");
        if (!mountSmallDisk(server.web(), &why))
            QSKIP(qPrintable(QStringLiteral("cannot mount a small file system: ") + why));
        break;
    case Run::RefusedPort:
        server.stop();
        break;
    case Run::UnknownHost:
        // Two dots in a row: the resolver refuses the name without asking any server.
        site.host = QStringLiteral("nowhere..invalid");
        break;
    case Run::First:
        break;
    }
    const auto unmount = qScopeGuard([&] {
        if (run == Run::NoRoom)
            QProcess::execute(QStringLiteral("umount"), {server.web()});
    });
    const QByteArray knownBefore = readAll(store.knownHosts);
    const QByteArray userKnownBefore = readAll(store.userKnownHosts);
    const Files before = filesUnder(server.web());

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
             qPrintable(QStringLiteral("failure %1: %2\n%3")
                            .arg(int(report.problem.failure))
                            .arg(report.problem.details, server.log().right(2000))));
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
    case Run::Again:
    case Run::OneChanged:
    case Run::Remembered:
    case Run::UserKnows:
        QCOMPARE(after, expected);
        QCOMPARE(report.files.size(), 5);
        if (run == Run::OneChanged)
            QCOMPARE(report.files.at(0).state, FileState::Sent);
        if (run == Run::UserKnows)
            QCOMPARE(readAll(store.knownHosts), knownBefore);
        break;
    case Run::NewHostKey:
    case Run::ChangedHostKey:
        QCOMPARE(report.problem.fingerprint, server.ssh.fingerprint());
        QVERIFY(after.isEmpty());
        if (run == Run::NewHostKey) {
            QVERIFY(!QFile::exists(store.knownHosts));
        } else {
            QCOMPARE(report.problem.where, store.knownHosts);
            QCOMPARE(readAll(store.knownHosts), knownBefore);
        }
        break;
    case Run::CreateFolder: {
        Files deeper;
        for (auto file = expected.begin(); file != expected.end(); ++file)
            deeper.insert(QStringLiteral("deeper/still/") + file.key(), file.value());
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
            after.remove(temporary);
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
        expected.remove(QStringLiteral("index.html"));
        QCOMPARE(after, expected);
        break;
    default:
        QVERIFY(after.isEmpty());
        break;
    }
}

void TestPublish::testConnectionLeavesNothing()
{
    Server server(Method::Sftp);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const QString data = freshDataFolder();
    Site site = server.site(Login::Key);
    // In a worker thread, as the screen runs it, the report coming back queued.
    QThread worker;
    auto *publisher = new Publisher(site, storeIn(data), {});
    publisher->moveToThread(&worker);
    QObject::connect(&worker, &QThread::finished, publisher, &QObject::deleteLater);
    Report report;
    bool reported = false;
    QObject::connect(publisher, &Publisher::finished, this, [&](const Report &r) {
        report = r;
        reported = true;
    });
    worker.start();
    QMetaObject::invokeMethod(publisher, &Publisher::testConnection, Qt::QueuedConnection);
    QTRY_VERIFY_WITH_TIMEOUT(reported, 30000);
    worker.quit();
    QVERIFY(worker.wait(30000));
    QCOMPARE(report.problem.failure, Failure::None);
    QVERIFY(filesUnder(server.web()).isEmpty());

    // A folder the account may not write to.
    if (SshdServer::isRoot()) {
        QVERIFY(QDir().mkpath(server.web() + QStringLiteral("/closed")));
        site.remoteFolder += QStringLiteral("/closed");
        site.acceptedFingerprint.clear();
        Publisher closed(site, storeIn(data), {});
        QObject::connect(&closed, &Publisher::finished, [&](const Report &r) { report = r; });
        closed.testConnection();
        QCOMPARE(report.problem.failure, Failure::NoPermission);
    }
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
    QVERIFY(writeBytes(served.filePath(QStringLiteral("index.html")),
                       "<html><body><p>Hello</p></body></html>\n"));
    QVERIFY(
        writeBytes(served.filePath(QStringLiteral("big.html")), QByteArray(20 * 1024 * 1024, 'x')));
    std::optional<WebServer> web;
    QString address = QStringLiteral("http://127.0.0.1:%1/").arg(tarnwell::test::freePort());
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

void TestPublish::replyLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code"); // 0: not a reply's first or last line
    QTest::addColumn<bool>("last");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << QByteArray("550 No such file\r\n") << 550 << true
                           << QStringLiteral("No such file");
    QTest::newRow("goes on") << QByteArray("211-Features:\r\n") << 211 << false
                             << QStringLiteral("Features:");
    QTest::newRow("bare code") << QByteArray("226") << 226 << true << QString();
    QTest::newRow("code and CR LF") << QByteArray("226\r\n") << 226 << true << QString();
    QTest::newRow("inner line") << QByteArray(" MDTM\r\n") << 0 << true << QString();
    QTest::newRow("six hundred") << QByteArray("600 no\r\n") << 0 << true << QString();
    QTest::newRow("zero") << QByteArray("099 no\r\n") << 0 << true << QString();
    QTest::newRow("four digits") << QByteArray("5500 no\r\n") << 0 << true << QString();
    QTest::newRow("two digits") << QByteArray("55") << 0 << true << QString();
    QTest::newRow("letters") << QByteArray("5x0 no") << 0 << true << QString();
    QTest::newRow("empty") << QByteArray() << 0 << true << QString();
    QTest::newRow("control characters") << QByteArray("550 a\x1b[31mb\tc\0d\x7f"
                                                      "e\r\n",
                                                      17)
                                        << 550 << true << QStringLiteral("a [31mb c d e");
    QTest::newRow("UTF-8") << QByteArray("550 \xc3\xa9t\xc3\xa9\r\n") << 550 << true
                           << QStringLiteral("\u00e9t\u00e9");
    QTest::newRow("broken UTF-8") << QByteArray("550 \xc3(\xff\r\n") << 550 << true
                                  << QStringLiteral("\ufffd(\ufffd");
    QTest::newRow("very long") << "452 " + QByteArray(5000, 'x') << 452 << true
                               << QString(kReplyTextLength, u'x');
    QTest::newRow("long, cut in a pair")
        << "452 " + QByteArray(kReplyTextLength - 1, 'x') + "\xf0\x9f\x98\x80" << 452 << true
        << QString(kReplyTextLength - 1, u'x');
    QTest::newRow("long, cut after a space")
        << "452 " + QByteArray(kReplyTextLength - 1, 'x') + "  yz" << 452 << true
        << QString(kReplyTextLength - 1, u'x');
}

void TestPublish::replyLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    QFETCH(bool, last);
    QFETCH(QString, text);
    const std::optional<ReplyLine> reply = readReplyLine(line);
    QCOMPARE(reply.has_value(), code != 0);
    if (!reply)
        return;
    QCOMPARE(reply->code, code);
    QCOMPARE(reply->last, last);
    QCOMPARE(reply->text, text);
}

void TestPublish::certificateFile_data()
{
    const QString fingerprint = QStringLiteral("SHA256:") + QString(43, u'A');
    const QString pin = QStringLiteral("sha256//") + QString(43, u'B') + u'=';
    const QByteArray entry = "{\"fingerprint\": \"" + fingerprint.toLatin1() + "\", \"pin\": \"" +
                             pin.toLatin1() + "\"}";
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("remembered"); // for "h:21"

    QTest::newRow("none") << QByteArray() << false;
    QTest::newRow("remembered") << "{\"servers\": {\"h:21\": " + entry + "}}" << true;
    QTest::newRow("another port") << "{\"servers\": {\"h:2121\": " + entry + "}}" << false;
    QTest::newRow("not JSON") << QByteArray("h:21 " + fingerprint.toLatin1()) << false;
    QTest::newRow("cut off") << QByteArray("{\"servers\": {\"h:21\": " + entry).chopped(3) << false;
    QTest::newRow("a list") << "[{\"servers\": {\"h:21\": " + entry + "}}]" << false;
    QTest::newRow("fingerprint short")
        << QByteArray("{\"servers\": {\"h:21\": " + entry + "}}").replace("AAAA\"", "AAA\"")
        << false;
    QTest::newRow("pin not base64")
        << QByteArray("{\"servers\": {\"h:21\": " + entry + "}}").replace("BBBB=", "BB\\nB=")
        << false;
    QTest::newRow("pin a number") << "{\"servers\": {\"h:21\": {\"fingerprint\": \"" +
                                         fingerprint.toLatin1() + "\", \"pin\": 5}}}"
                                  << false;
    QTest::newRow("fingerprint with a line after")
        << QByteArray("{\"servers\": {\"h:21\": " + entry + "}}")
               .replace("AAAA\",", "AAAA\\nSHA256:x\",")
        << false;
}

// Only a whole, well-formed entry for exactly this server counts, and adding
// a server keeps the others that the file holds.
void TestPublish::certificateFile()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, remembered);
    const RememberedCertificate other{QStringLiteral("SHA256:") + QString(43, u'C'),
                                      QStringLiteral("sha256//") + QString(43, u'D') + u'='};
    QCOMPARE(rememberedCertificate(file, QStringLiteral("h:21")).has_value(), remembered);
    const std::optional<QByteArray> written =
        withCertificate(file, QStringLiteral("[::1]:21"), other);
    QVERIFY(written);
    QCOMPARE(rememberedCertificate(*written, QStringLiteral("h:21")).has_value(), remembered);
    const std::optional<RememberedCertificate> back =
        rememberedCertificate(*written, QStringLiteral("[::1]:21"));
    QVERIFY(back);
    QCOMPARE(back->fingerprint, other.fingerprint);
    QCOMPARE(back->pin, other.pin);
    if (file.isEmpty()) {
        QCOMPARE(*written, "{\n    \"servers\": {\n        \"[::1]:21\": {\n"
                           "            \"fingerprint\": \"SHA256:" +
                               QByteArray(43, 'C') + "\",\n            \"pin\": \"sha256//" +
                               QByteArray(43, 'D') + "=\"\n        }\n    }\n}\n");
    }
    QVERIFY(!withCertificate(file, QStringLiteral("h:21"), {other.fingerprint + u'\n', other.pin}));
}

// The first connection shows the certificate's fingerprint and sends no
// password; accepted, it is remembered; a new certificate is refused.
void TestPublish::certificates()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    // A first run: the data folder is not there yet.
    const Store store = storeIn(data.filePath(QStringLiteral("tarnwell/data")));
    const std::atomic_bool cancelled{false};
    Site site = ftpSite(server, Method::Ftps);
    const QString fingerprint = site.acceptedFingerprint;
    site.acceptedFingerprint.clear();
    QVERIFY(fingerprint.size() == 50);

    Problem problem = makeFtpTransport(site, store, cancelled)->connect();
    QCOMPARE(problem.failure, Failure::NewCertificate);
    QCOMPARE(problem.fingerprint, fingerprint);
    QVERIFY(!QFile::exists(store.certificates));

    // Accepted, but not the certificate that the server shows.
    site.acceptedFingerprint = QStringLiteral("SHA256:") + QString(43, u'A');
    problem = makeFtpTransport(site, store, cancelled)->connect();
    QCOMPARE(problem.failure, Failure::NewCertificate);
    QCOMPARE(problem.fingerprint, fingerprint);
    QVERIFY(!server.commands().contains("USER"));
    QVERIFY(!server.commands().contains("PASS"));

    site.acceptedFingerprint = fingerprint;
    problem = makeFtpTransport(site, store, cancelled)->connect();
    QVERIFY2(!problem, qPrintable(problem.details));
    QCOMPARE(rememberedCertificate(readAll(store.certificates),
                                   QStringLiteral("127.0.0.1:%1").arg(server.port()))
                 .value_or(RememberedCertificate())
                 .fingerprint,
             fingerprint);

    site.acceptedFingerprint.clear();
    std::unique_ptr<Transport> remembered = makeFtpTransport(site, store, cancelled);
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
        problem = makeFtpTransport(site, store, cancelled)->connect();
        QCOMPARE(problem.failure, Failure::ChangedCertificate);
        QCOMPARE(problem.fingerprint, changed);
        QCOMPARE(problem.where, store.certificates);
    }
    QCOMPARE(server.commands().count("PASS"), before.count("PASS"));
}

void TestPublish::refusals_data()
{
    QTest::addColumn<int>("server"); // 0: none listens, 1: plain FTP, 2: TLS required
    QTest::addColumn<Method>("method");
    QTest::addColumn<bool>("rightPassword");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<bool>("passwordSent");

    QTest::addColumn<QString>("words"); // the server's or libcurl's, in the details

    // Over FTPS the same two are rows of runs().
    QTest::newRow("FTP, wrong password") << 1 << Method::Ftp << false << Failure::LoginRefused
                                         << true << QStringLiteral("530 Login incorrect.");
    QTest::newRow("FTPS to a server without TLS")
        << 1 << Method::Ftps << true << Failure::NoTls << false
        << QStringLiteral("500 AUTH not understood");
    QTest::newRow("FTP to a server that requires TLS")
        << 2 << Method::Ftp << true << Failure::LoginRefused << false
        << QStringLiteral("550 SSL/TLS required on the control channel");
    QTest::newRow("FTP, nothing listens") << 0 << Method::Ftp << true << Failure::Refused << false
                                          << QStringLiteral("Failed to connect to 127.0.0.1");
}

void TestPublish::refusals()
{
    QFETCH(int, server);
    QFETCH(Method, method);
    QFETCH(bool, rightPassword);
    QFETCH(Failure, failure);
    QFETCH(bool, passwordSent);
    QFETCH(QString, words);
    FtpServer ftp(server == 2 ? FtpServer::Tls::Required : FtpServer::Tls::None);
    QVERIFY2(ftp.start(), qPrintable(ftp.error()));
    if (server == 0)
        ftp.stop();
    QTemporaryDir data;
    Site site = ftpSite(ftp, method);
    m_passwords.append(site.password);
    if (!rightPassword)
        site.password += u'x';
    const std::atomic_bool cancelled{false};
    const Problem problem = makeFtpTransport(site, storeIn(data.path()), cancelled)->connect();
    QCOMPARE(problem.failure, failure);
    QVERIFY2(problem.details.contains(words), qPrintable(problem.details));
    QVERIFY(!problem.details.contains(site.password));
    QCOMPARE(ftp.commands().contains("PASS"), passwordSent);
    QVERIFY(!ftp.commands().contains(site.password.toLatin1()));
    QVERIFY(!ftp.log().contains(site.password.toLatin1()));
}

// What the publisher does not reach: a file sent into a missing folder, a
// folder out of the login folder or where a file is, a folder made twice,
// and removing a file that is not there.
void TestPublish::ftpFolders()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    const Site site = ftpSite(server, Method::Ftps);
    const std::atomic_bool cancelled{false};
    const std::unique_ptr<Transport> transport =
        makeFtpTransport(site, storeIn(data.path()), cancelled);
    QVERIFY(!transport->connect());
    const QString local = data.filePath(QStringLiteral("page.html"));
    QVERIFY(writeBytes(local, "<p>page</p>"));
    const QString folder = QStringLiteral("public_html/my site");

    Problem problem;
    QVERIFY(!transport->remoteSize(folder + QStringLiteral("/page.html"), &problem));
    QVERIFY(!problem);
    QCOMPARE(transport->upload(local, folder + QStringLiteral("/page.html"), {}).failure,
             Failure::FolderMissing);
    QCOMPARE(transport->makeFolder(QStringLiteral("../elsewhere")).failure, Failure::Other);

    QVERIFY(!transport->makeFolder(folder));
    QVERIFY(!transport->makeFolder(folder)); // already there
    QVERIFY(!transport->upload(local, folder + QStringLiteral("/page.html"), {}));

    // A name where a folder should be, and a file that is not there.
    QVERIFY(!transport->remoteSize(folder, &problem));
    QVERIFY(!problem);
    QCOMPARE(transport->makeFolder(folder + QStringLiteral("/page.html")).failure,
             Failure::NoPermission);
    QVERIFY(transport->remove(folder + QStringLiteral("/none.html")));
    QVERIFY(!transport->remove(folder + QStringLiteral("/page.html")));
    QVERIFY(filesUnder(server.home()).isEmpty());
}

void TestPublish::passwordsAreInNoFile()
{
    if (m_passwords.join(QString()).isEmpty())
        QSKIP("no run logged in with a password");
    QDirIterator files(QDir::homePath(), QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    int read = 0;
    for (; files.hasNext() && read < 10000; ++read) {
        const QByteArray bytes = readAll(files.next());
        for (const QString &password : std::as_const(m_passwords))
            QVERIFY2(password.isEmpty() || !bytes.contains(password.toLatin1()),
                     qPrintable(files.filePath()));
    }
    QVERIFY(read > 0);
}

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"

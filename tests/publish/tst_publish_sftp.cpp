#include "publish/publisher.h"
#include "support/files.h"
#include "support/sshd_server.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tarnwell::publish;
using tarnwell::test::readAll;
using tarnwell::test::SshdServer;
using tarnwell::test::writeBytes;

namespace {

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

// The session folder: a page, two pictures (one in a subfolder, one large)
// and a file that the page does not use.
struct Folder
{
    QTemporaryDir dir;
    QList<PageFile> files;

    Folder()
    {
        QDir(dir.path()).mkpath(QStringLiteral("pics"));
        const QByteArray page = "<html><body><img src=\"stone.png\">"
                                "<img src=\"pics/big%20sky.jpg\"></body></html>\n";
        writeBytes(dir.filePath(QStringLiteral("index.html")), page);
        writeBytes(dir.filePath(QStringLiteral("stone.png")), QByteArray("\x89PNG stone", 10));
        writeBytes(dir.filePath(QStringLiteral("pics/big sky.jpg")), bigPicture('a'));
        writeBytes(dir.filePath(QStringLiteral("notes.txt")), "not on the page");
        files = filesToPublish(dir.path(), QStringLiteral("index.html"), QString::fromUtf8(page));
    }

    static QByteArray bigPicture(char fill)
    {
        QByteArray bytes(6 * 1024 * 1024, fill);
        for (qsizetype k = 0; k < bytes.size(); k += 4096)
            bytes[k] = char(k / 4096);
        return bytes;
    }
};

// Every file under a folder, '/' names, with its bytes.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    for (int k = 0; files.hasNext() && k < 1000; ++k) {
        const QString path = files.next();
        found.insert(QDir(folder).relativeFilePath(path), readAll(path));
    }
    return found;
}

// Tarnwell's data folder for one test, under HOME so that the password check
// reads it; kept until the next run.
QString freshDataFolder()
{
    QString tag = QString::fromLatin1(QTest::currentTestFunction()) + u'-' +
                  QString::fromLatin1(QTest::currentDataTag());
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
    QProcess mount;
    mount.start(
        QStringLiteral("mount"),
        {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
         QStringLiteral("size=1m,mode=0755,uid=%1,gid=%2").arg(user->pw_uid).arg(user->pw_gid),
         QStringLiteral("tmpfs"), folder});
    if (!mount.waitForFinished(10000) || mount.exitCode() != 0) {
        *why = QString::fromLocal8Bit(mount.readAllStandardError());
        return false;
    }
    return true;
}

} // namespace

class TestPublishSftp final : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void testConnectionLeavesNothing();
    void arrival_data();
    void arrival();
    void passwordsAreInNoFile();

private:
    QStringList m_passwords;
};

void TestPublishSftp::runs_data()
{
    QTest::addColumn<Run>("run");
    QTest::addColumn<Login>("login");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<int>("sent");

    QTest::newRow("first publish, key") << Run::First << Login::Key << Failure::None << 3;
    QTest::newRow("first publish, password") << Run::First << Login::Password << Failure::None << 3;
    QTest::newRow("nothing changed") << Run::Again << Login::Key << Failure::None << 0;
    QTest::newRow("one picture changed") << Run::OneChanged << Login::Key << Failure::None << 1;
    QTest::newRow("new host key") << Run::NewHostKey << Login::Key << Failure::NewHostKey << 0;
    QTest::newRow("accepted key remembered") << Run::Remembered << Login::Key << Failure::None << 0;
    QTest::newRow("user's known hosts") << Run::UserKnows << Login::Key << Failure::None << 3;
    QTest::newRow("changed host key")
        << Run::ChangedHostKey << Login::Key << Failure::ChangedHostKey << 0;
    QTest::newRow("wrong password")
        << Run::WrongPassword << Login::Password << Failure::LoginRefused << 0;
    QTest::newRow("wrong key") << Run::WrongKey << Login::Key << Failure::KeyRefused << 0;
    QTest::newRow("folder missing")
        << Run::FolderMissing << Login::Key << Failure::FolderMissing << 0;
    QTest::newRow("folder made") << Run::CreateFolder << Login::Key << Failure::None << 3;
    QTest::newRow("cancel part-way") << Run::Cancel << Login::Key << Failure::Cancelled << 0;
    QTest::newRow("server killed part-way")
        << Run::ServerKilled << Login::Key << Failure::ConnectionLost << 0;
    QTest::newRow("cancel while the server does not answer")
        << Run::ServerStalled << Login::Key << Failure::Cancelled << 0;
    QTest::newRow("server stops answering")
        << Run::ServerSilent << Login::Key << Failure::NoAnswer << 0;
    QTest::newRow("no room left") << Run::NoRoom << Login::Key << Failure::NoRoom << 1;
    QTest::newRow("refused port") << Run::RefusedPort << Login::Key << Failure::Refused << 0;
    QTest::newRow("unknown host") << Run::UnknownHost << Login::Key << Failure::UnknownHost << 0;
}

void TestPublishSftp::runs()
{
    QFETCH(Run, run);
    QFETCH(Login, login);
    QFETCH(Failure, failure);
    QFETCH(int, sent);

    if (login == Login::Password && !SshdServer::whyNoPassword().isEmpty())
        QSKIP(qPrintable(SshdServer::whyNoPassword()));

    SshdServer server;
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    m_passwords.append(server.password());

    const QString data = freshDataFolder();
    Store store = storeIn(data);
    store.userKnownHosts = data + QStringLiteral("/user_known_hosts");
    Folder folder;
    QCOMPARE(folder.files.size(), 3);

    Site site;
    site.host = QStringLiteral("127.0.0.1");
    site.port = server.port();
    site.user = server.user();
    site.remoteFolder = server.remoteFolder();
    site.acceptedFingerprint = server.fingerprint();
    if (login == Login::Password)
        site.password = server.password();
    else
        site.keyFile = server.clientKey();

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
    const QString bigPath = folder.dir.filePath(big);
    const QMap<QString, QByteArray> local = contents(folder.dir.path());
    QMap<QString, QByteArray> expected = local;
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
            QVERIFY(writeBytes(folder.dir.filePath(QStringLiteral("stone.png")),
                               QByteArray("\x89PNG other", 10)));
            expected = contents(folder.dir.path());
            expected.remove(QStringLiteral("notes.txt"));
        }
        if (run == Run::Cancel || run == Run::ServerKilled || run == Run::ServerStalled ||
            run == Run::ServerSilent) {
            QVERIFY(writeBytes(bigPath, Folder::bigPicture('b')));
            expected.insert(big, Folder::bigPicture('b'));
        }
        break;
    case Run::NewHostKey:
        site.acceptedFingerprint.clear();
        break;
    case Run::UserKnows:
        site.acceptedFingerprint.clear();
        QVERIFY(writeBytes(store.userKnownHosts, QStringLiteral("[127.0.0.1]:%1 %2\n")
                                                     .arg(server.port())
                                                     .arg(server.hostKeyLine())
                                                     .toLatin1()));
        break;
    case Run::ChangedHostKey:
        QVERIFY(writeBytes(store.knownHosts, QStringLiteral("[127.0.0.1]:%1 %2\n")
                                                 .arg(server.port())
                                                 .arg(server.otherKeyLine())
                                                 .toLatin1()));
        break;
    case Run::WrongPassword:
        site.password = server.password() + u'x';
        break;
    case Run::WrongKey:
        site.keyFile = server.otherKey();
        break;
    case Run::FolderMissing:
    case Run::CreateFolder:
        site.remoteFolder += QStringLiteral("/deeper/still");
        site.createFolder = run == Run::CreateFolder;
        break;
    case Run::NoRoom:
        if (!SshdServer::isRoot())
            QSKIP("a full disk is a small file system mounted by root");
        if (!mountSmallDisk(server.webFolder(), &why))
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
            QProcess::execute(QStringLiteral("umount"), {server.webFolder()});
    });
    const QByteArray knownBefore = readAll(store.knownHosts);
    const QByteArray userKnownBefore = readAll(store.userKnownHosts);
    const QMap<QString, QByteArray> before = contents(server.webFolder());

    bool stopped = false;
    QElapsedTimer took;
    took.start();
    const Report report = publish(site, [&](Publisher &publisher, qint64 done) {
        if (stopped || done < 2 * 1024 * 1024)
            return;
        stopped = true;
        if (run == Run::ServerStalled || run == Run::ServerSilent)
            server.stallSessions();
        if (run == Run::Cancel || run == Run::ServerStalled)
            publisher.cancel();
        if (run == Run::ServerKilled)
            server.killSessions();
    });
    // A cancel that waited for the server's 20 s answer time would show here.
    if (run == Run::ServerStalled)
        QVERIFY2(took.elapsed() < 10000, qPrintable(QString::number(took.elapsed())));

    QVERIFY2(report.problem.failure == failure,
             qPrintable(QStringLiteral("failure %1: %2\n%3")
                            .arg(int(report.problem.failure))
                            .arg(report.problem.details, server.log().right(2000))));
    QCOMPARE(report.sent, sent);
    QCOMPARE(readAll(store.userKnownHosts), userKnownBefore);
    QMap<QString, QByteArray> after = contents(server.webFolder());

    switch (run) {
    case Run::First:
    case Run::Again:
    case Run::OneChanged:
    case Run::Remembered:
    case Run::UserKnows:
        QCOMPARE(after, expected);
        QCOMPARE(report.files.size(), 3);
        if (run == Run::OneChanged)
            QCOMPARE(report.files.at(0).state, FileState::Sent);
        if (run == Run::UserKnows)
            QCOMPARE(readAll(store.knownHosts), knownBefore);
        break;
    case Run::NewHostKey:
        QCOMPARE(report.problem.fingerprint, server.fingerprint());
        QVERIFY(after.isEmpty());
        QVERIFY(!QFile::exists(store.knownHosts));
        break;
    case Run::ChangedHostKey:
        QCOMPARE(report.problem.fingerprint, server.fingerprint());
        QCOMPARE(report.problem.where, store.knownHosts);
        QCOMPARE(readAll(store.knownHosts), knownBefore);
        QVERIFY(after.isEmpty());
        break;
    case Run::CreateFolder: {
        QMap<QString, QByteArray> deeper;
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
        // The page and the small picture went before; the big one is the old one.
        QCOMPARE(after.value(big), before.value(big));
        QCOMPARE(report.files.last().state, FileState::Failed);
        if (run == Run::Cancel) {
            QCOMPARE(after, before);
        } else if (run == Run::ServerStalled || run == Run::ServerSilent) {
            // Cut off, the server keeps the part it had; nothing was replaced.
            after.remove(QStringLiteral("pics/.big sky.jpg.tarnwell-tmp"));
            QCOMPARE(after, before);
        } else {
            after.remove(QStringLiteral("pics/.big sky.jpg.tarnwell-tmp"));
            QCOMPARE(after, before);
            // Sent again: the record did not take the lost file.
            const Report again = publish(site);
            QCOMPARE(again.problem.failure, Failure::None);
            QCOMPARE(again.sent, 1);
            QCOMPARE(contents(server.webFolder()), expected);
        }
        break;
    case Run::NoRoom:
        // The small picture is there; the picture that did not fit is not,
        // in part or whole, and the page that shows it waits.
        QCOMPARE(report.files.last().state, FileState::Failed);
        QCOMPARE(after, (QMap<QString, QByteArray>{{"stone.png", expected.value("stone.png")}}));
        break;
    default:
        QVERIFY(after.isEmpty());
        break;
    }
}

void TestPublishSftp::testConnectionLeavesNothing()
{
    SshdServer server;
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const QString data = freshDataFolder();
    Site site;
    site.host = QStringLiteral("127.0.0.1");
    site.port = server.port();
    site.user = server.user();
    site.keyFile = server.clientKey();
    site.remoteFolder = server.remoteFolder();
    site.acceptedFingerprint = server.fingerprint();
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
    QVERIFY(contents(server.webFolder()).isEmpty());

    // A folder the account may not write to.
    if (SshdServer::isRoot()) {
        QVERIFY(QDir().mkpath(server.webFolder() + QStringLiteral("/closed")));
        site.remoteFolder += QStringLiteral("/closed");
        site.acceptedFingerprint.clear();
        Publisher closed(site, storeIn(data), {});
        QObject::connect(&closed, &Publisher::finished, [&](const Report &r) { report = r; });
        closed.testConnection();
        QCOMPARE(report.problem.failure, Failure::NoPermission);
    }
}

void TestPublishSftp::arrival_data()
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

void TestPublishSftp::arrival()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, sent);
    QFETCH(Arrival, arrival);

    QTemporaryDir served;
    QVERIFY(writeBytes(served.filePath(QStringLiteral("index.html")),
                       "<html><body><p>Hello</p></body></html>\n"));
    QVERIFY(
        writeBytes(served.filePath(QStringLiteral("big.html")), QByteArray(20 * 1024 * 1024, 'x')));
    const int port = SshdServer::freePort();
    QProcess web;
    if (QTest::currentDataTag() != QLatin1String("nothing listens")) {
        web.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-m"), QStringLiteral("http.server"), QString::number(port),
                   QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                   QStringLiteral("--directory"), served.path()});
        QVERIFY(web.waitForStarted(5000));
        bool listening = false;
        for (int tries = 0; tries < 100 && !listening; ++tries) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(port));
            listening = socket.waitForConnected(100);
            if (!listening)
                QThread::msleep(50);
        }
        QVERIFY(listening);
    }
    QString details;
    const Arrival found = checkArrival(
        QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(path)), sent, &details);
    web.kill();
    web.waitForFinished(3000);
    QVERIFY2(found == arrival, qPrintable(details));
    QCOMPARE(details.isEmpty(), arrival == Arrival::Same || path == QLatin1String("index.html"));
}

void TestPublishSftp::passwordsAreInNoFile()
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

QTEST_GUILESS_MAIN(TestPublishSftp)
#include "tst_publish_sftp.moc"

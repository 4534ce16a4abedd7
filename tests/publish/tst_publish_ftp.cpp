// Publishing over FTPS and FTP against a real ProFTPD on 127.0.0.1: files
// arrive byte for byte under their names, an unknown certificate is shown by
// the fingerprint that openssl prints for it and let by only once accepted, a
// changed one is refused, the password never goes to a server without TLS,
// and a cancel or a dead server leaves the old file as it was. Also what a
// server says, and the file of accepted certificates, read as hostile input.

#include "publish/ftp_text.h"
#include "publish/transport.h"
#include "support/files.h"
#include "support/ftp_server.h"

#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell::publish;
using tarnwell::test::FtpServer;
using tarnwell::test::readAll;
using tarnwell::test::writeBytes;

Q_DECLARE_METATYPE(tarnwell::publish::Failure)
Q_DECLARE_METATYPE(tarnwell::publish::Method)

namespace {
using Files = QMap<QString, QByteArray>;

Site siteOf(const FtpServer &server, Method method)
{
    Site site;
    site.method = method;
    site.host = QStringLiteral("127.0.0.1");
    site.port = server.port();
    site.user = server.user();
    site.password = server.password();
    return site;
}

// What openssl itself prints for the certificate, as "SHA256:" and base64.
QString opensslFingerprint(const QString &certificate)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("x509"), QStringLiteral("-in"), certificate,
                   QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
                   QStringLiteral("-sha256")});
    if (!openssl.waitForFinished(10000))
        return {};
    const QByteArray line =
        openssl.readAllStandardOutput().trimmed(); // "... Fingerprint=AB:CD:..."
    const QByteArray hex = line.mid(line.indexOf('=') + 1).replace(':', "");
    return QStringLiteral("SHA256:") +
           QString::fromLatin1(QByteArray::fromHex(hex).toBase64(QByteArray::OmitTrailingEquals));
}

// Every file under a folder, by its name relative to it.
Files filesUnder(const QString &folder)
{
    Files files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    for (int count = 0; it.hasNext() && count < 1000; ++count) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readAll(path));
    }
    return files;
}

QByteArray bigFile(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(i * 131 % 251);
    return bytes;
}

// As the publisher sends a file: under a temporary name, then renamed over.
Problem send(Transport &transport, const QString &local, const QString &remote)
{
    const QString temporary = remote + QStringLiteral(".tarnwell-part");
    if (Problem problem = transport.upload(local, temporary, {}))
        return problem;
    return transport.replace(temporary, remote);
}
} // namespace

class TestPublishFtp final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void replyLines_data();
    void replyLines();
    void certificateFile_data();
    void certificateFile();
    void upload_data();
    void upload();
    void certificates();
    void refusals_data();
    void refusals();
    void folders();
    void interrupted_data();
    void interrupted();

private:
    QTemporaryDir m_data;
};

void TestPublishFtp::initTestCase()
{
    QVERIFY(m_data.isValid());
}

void TestPublishFtp::replyLines_data()
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

void TestPublishFtp::replyLines()
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

void TestPublishFtp::certificateFile_data()
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
void TestPublishFtp::certificateFile()
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

void TestPublishFtp::upload_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<Files>("first");
    QTest::addColumn<Files>("second"); // sent over the first

    const Files page{{QStringLiteral("index.html"), "<html>\r\n<p>Hello</p>\r\n"},
                     {QStringLiteral("pictures/cat.jpg"), bigFile(300000)},
                     {QStringLiteral("pictures/Ma photo \u00e9t\u00e9 #1%.png"), "\x89PNG\r\n"},
                     {QStringLiteral("empty.txt"), QByteArray()}};
    Files changed = page;
    changed[QStringLiteral("index.html")] = "<html>\r\n<p>Hello again</p>\r\n";
    changed[QStringLiteral("pictures/cat.jpg")] = bigFile(1000);
    QTest::newRow("FTPS") << Method::Ftps << page << changed;
    QTest::newRow("FTP") << Method::Ftp << page << changed;
}

// The server's folder holds exactly the files sent, byte for byte, and the
// second sending replaces the first.
void TestPublishFtp::upload()
{
    QFETCH(Method, method);
    QFETCH(Files, first);
    QFETCH(Files, second);
    FtpServer server(method == Method::Ftps ? FtpServer::Tls::Required : FtpServer::Tls::None);
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir local;
    QTemporaryDir data;
    Site site = siteOf(server, method);
    site.acceptedFingerprint = opensslFingerprint(server.certificate());
    for (const Files &files : {first, second}) {
        const std::atomic_bool cancelled{false};
        const std::unique_ptr<Transport> transport =
            makeFtpTransport(site, storeIn(data.path()), cancelled);
        QVERIFY(!transport->connect());
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            const QString path = local.filePath(QString::number(qHash(it.key())));
            QVERIFY(writeBytes(path, it.value()));
            const QString folder = it.key().section(u'/', 0, -2);
            if (!folder.isEmpty())
                QVERIFY(!transport->makeFolder(folder));
            const Problem problem = send(*transport, path, it.key());
            QVERIFY2(!problem, qPrintable(problem.details));
            Problem sizeProblem;
            QCOMPARE(transport->remoteSize(it.key(), &sizeProblem), qint64(it.value().size()));
            QVERIFY(!sizeProblem);
        }
        QCOMPARE(filesUnder(server.home()), files);
    }
    QVERIFY(!server.commands().contains(server.password().toLatin1()));
    QVERIFY(!server.log().contains(server.password().toLatin1()));
}

// The first connection shows the certificate's fingerprint and sends no
// password; accepted, it is remembered; a new certificate is refused.
void TestPublishFtp::certificates()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    // A first run: the data folder is not there yet.
    const Store store = storeIn(data.filePath(QStringLiteral("tarnwell/data")));
    const std::atomic_bool cancelled{false};
    Site site = siteOf(server, Method::Ftps);
    const QString fingerprint = opensslFingerprint(server.certificate());
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

void TestPublishFtp::refusals_data()
{
    QTest::addColumn<int>("server"); // 0: none listens, 1: plain FTP, 2: TLS required
    QTest::addColumn<Method>("method");
    QTest::addColumn<bool>("rightPassword");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<bool>("passwordSent");

    QTest::addColumn<QString>("words"); // the server's or libcurl's, in the details

    QTest::newRow("FTPS, wrong password") << 2 << Method::Ftps << false << Failure::LoginRefused
                                          << true << QStringLiteral("530 Login incorrect.");
    QTest::newRow("FTP, wrong password") << 1 << Method::Ftp << false << Failure::LoginRefused
                                         << true << QStringLiteral("530 Login incorrect.");
    QTest::newRow("FTPS to a server without TLS")
        << 1 << Method::Ftps << true << Failure::NoTls << false
        << QStringLiteral("500 AUTH not understood");
    QTest::newRow("FTP to a server that requires TLS")
        << 2 << Method::Ftp << true << Failure::LoginRefused << false
        << QStringLiteral("550 SSL/TLS required on the control channel");
    QTest::newRow("FTPS, nothing listens") << 0 << Method::Ftps << true << Failure::Refused << false
                                           << QStringLiteral("Failed to connect to 127.0.0.1");
    QTest::newRow("FTP, nothing listens") << 0 << Method::Ftp << true << Failure::Refused << false
                                          << QStringLiteral("Failed to connect to 127.0.0.1");
}

void TestPublishFtp::refusals()
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
    Site site = siteOf(ftp, method);
    site.acceptedFingerprint = opensslFingerprint(ftp.certificate());
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

// A missing folder is told apart from a refusal and made with its parents.
void TestPublishFtp::folders()
{
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    Site site = siteOf(server, Method::Ftps);
    site.acceptedFingerprint = opensslFingerprint(server.certificate());
    const std::atomic_bool cancelled{false};
    const std::unique_ptr<Transport> transport =
        makeFtpTransport(site, storeIn(data.path()), cancelled);
    QVERIFY(!transport->connect());
    const QString local = data.filePath(QStringLiteral("page.html"));
    QVERIFY(writeBytes(local, "<p>page</p>"));
    const QString folder = QStringLiteral("public_html/my site");

    Problem problem;
    QVERIFY(!transport->folderExists(folder, &problem));
    QVERIFY(!problem);
    QVERIFY(!transport->remoteSize(folder + QStringLiteral("/page.html"), &problem));
    QVERIFY(!problem);
    QCOMPARE(transport->upload(local, folder + QStringLiteral("/page.html"), {}).failure,
             Failure::FolderMissing);
    QCOMPARE(transport->makeFolder(QStringLiteral("../elsewhere")).failure, Failure::Other);

    QVERIFY(!transport->makeFolder(folder));
    QVERIFY(transport->folderExists(folder, &problem));
    QVERIFY(!transport->upload(local, folder + QStringLiteral("/page.html"), {}));
    QVERIFY(!transport->makeFolder(folder)); // already there
    QCOMPARE(filesUnder(server.home()),
             Files({{folder + QStringLiteral("/page.html"), "<p>page</p>"}}));

    // A name where a folder should be, and a file that is not there.
    QVERIFY(!transport->remoteSize(folder, &problem));
    QVERIFY(!problem);
    QCOMPARE(transport->makeFolder(folder + QStringLiteral("/page.html")).failure,
             Failure::NoPermission);
    QVERIFY(transport->remove(folder + QStringLiteral("/none.html")));
    QVERIFY(!transport->remove(folder + QStringLiteral("/page.html")));
    QVERIFY(filesUnder(server.home()).isEmpty());
}

void TestPublishFtp::interrupted_data()
{
    QTest::addColumn<int>("what"); // 0: cancelled, 1: the server killed, 2: the server hangs
    QTest::addColumn<Failure>("failure");
    QTest::newRow("cancelled") << 0 << Failure::Cancelled;
    QTest::newRow("server killed") << 1 << Failure::ConnectionLost;
    // Waits out the 20 seconds.
    QTest::newRow("server hangs") << 2 << Failure::NoAnswer;
}

// Part-way through a big file: the old file stays whole, and the part sent
// can be removed afterwards.
void TestPublishFtp::interrupted()
{
    QFETCH(int, what);
    QFETCH(Failure, failure);
    FtpServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    QTemporaryDir data;
    Site site = siteOf(server, Method::Ftps);
    site.acceptedFingerprint = opensslFingerprint(server.certificate());
    const Store store = storeIn(data.path());
    const QString old = data.filePath(QStringLiteral("old.jpg"));
    const QString big = data.filePath(QStringLiteral("big.jpg"));
    QVERIFY(writeBytes(old, "old picture"));
    QVERIFY(writeBytes(big, bigFile(64 << 20)));
    std::atomic_bool cancelled{false};
    std::unique_ptr<Transport> transport = makeFtpTransport(site, store, cancelled);
    QVERIFY(!transport->connect());
    QVERIFY(!send(*transport, old, QStringLiteral("picture.jpg")));

    qint64 sent = 0;
    Problem problem = transport->upload(big, QStringLiteral("picture.jpg.part"), [&](qint64 bytes) {
        sent = bytes;
        if (bytes >= (1 << 20) && !cancelled) {
            if (what == 0)
                cancelled = true;
            else if (what == 1)
                server.kill();
            else
                server.freeze(true);
        }
        return true;
    });
    QCOMPARE(problem.failure, failure);
    QVERIFY(sent < (64 << 20));
    QCOMPARE(readAll(server.home() + QStringLiteral("/picture.jpg")), QByteArray("old picture"));

    server.freeze(false);
    if (what == 1)
        QVERIFY2(server.start(), qPrintable(server.error()));
    // A cancel still lets the part sent be removed, as the publisher does at
    // once; otherwise a new connection removes it.
    if (what != 0) {
        transport = makeFtpTransport(site, store, cancelled);
        QVERIFY(!transport->connect());
    }
    QVERIFY(QFile::exists(server.home() + QStringLiteral("/picture.jpg.part")));
    QVERIFY(!transport->remove(QStringLiteral("picture.jpg.part")));
    QCOMPARE(filesUnder(server.home()), Files({{QStringLiteral("picture.jpg"), "old picture"}}));
    // Then nothing more goes while the cancel holds.
    QCOMPARE(transport->remoteSize(QStringLiteral("picture.jpg"), &problem).has_value(), what != 0);
    QCOMPARE(problem.failure, what == 0 ? Failure::Cancelled : Failure::None);
}

QTEST_GUILESS_MAIN(TestPublishFtp)
#include "tst_publish_ftp.moc"

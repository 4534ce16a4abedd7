// Publishing's readers of odd input, with no server: which files of the
// folder a page sends, the record of what was sent, an FTP server's reply
// lines and the file of accepted certificates.

#include "publish/ftp_text.h"
#include "publish/publisher.h"
#include "publish/sent_record.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell::publish;
using tarnwell::test::makePipe;
using tarnwell::test::readAll;
using tarnwell::test::writeBytes;

namespace {
const QByteArray hashHex = "2d711642b726b04401627ca9fbac32f5c8530fb1903cc4db02258717921a4881";

// "sftp example.org 22 ann public_html": method, host, port, user and folder.
Site siteOf(const QString &words)
{
    const QStringList parts = words.split(u' ');
    Site site;
    site.method = Method(QStringList{"sftp", "ftps", "ftp"}.indexOf(parts.at(0)));
    site.host = parts.at(1);
    site.port = parts.at(2).toInt();
    site.user = parts.at(3);
    site.remoteFolder = parts.value(4);
    return site;
}
} // namespace

class TestPublishTables final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedAddress_data();
    void typedAddress();
    void files_data();
    void files();
    void parse_data();
    void parse();
    void places_data();
    void places();
    void oddFiles();
    void replyLines_data();
    void replyLines();
    void replyFailures_data();
    void replyFailures();
    void certificateFile_data();
    void certificateFile();

private:
    QTemporaryDir m_outer; // holds the session folder and what lies beside it
    QString m_folder;
};

void TestPublishTables::initTestCase()
{
    const QDir outer(m_outer.path());
    QVERIFY(outer.mkpath("site/pics") && outer.mkpath("elsewhere"));
    m_folder = outer.filePath("site");
    const QDir site(m_folder);
    for (const char *name : {"index.html", "a.png", "pics/b.gif", "Case.png", "x y.png", "amp&.png",
                             "caf\xc3\xa9.png"})
        QVERIFY(writeBytes(site.filePath(QString::fromUtf8(name)), name));
    QVERIFY(writeBytes(outer.filePath("secret.png"), "beside the folder"));
    QVERIFY(writeBytes(outer.filePath("elsewhere/x.png"), "outside"));
    QVERIFY(QFile::link(outer.filePath("secret.png"), site.filePath("out.png")));
    QVERIFY(QFile::link(site.filePath("a.png"), site.filePath("in.png")));
    QVERIFY(QFile::link(outer.filePath("elsewhere"), site.filePath("linked")));
    QVERIFY(makePipe(site.filePath("pipe.png")));
}

void TestPublishTables::typedAddress_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("used");
    QTest::newRow("empty") << "  " << "";
    QTest::newRow("whole") << " https://example.org/~ann/ " << "https://example.org/~ann/";
    QTest::newRow("http kept") << "http://example.org/" << "http://example.org/";
    QTest::newRow("no scheme") << "example.org/~ann/" << "https://example.org/~ann/";
    QTest::newRow("no scheme, www") << "www.example.org" << "https://www.example.org";
    QTest::newRow("no scheme, port") << "127.0.0.1:8000/site/" << "https://127.0.0.1:8000/site/";
    QTest::newRow("a word") << "mysite" << "mysite";
    QTest::newRow("another scheme") << "file:///etc/" << "file:///etc/";
    QTest::newRow("ftp") << "ftp://example.org/" << "ftp://example.org/";
    QTest::newRow("a sentence") << "my site.org" << "my site.org";
}

// What a beginner types in the web address: only a plain host and path gain
// a scheme; anything else is left to be refused as it is.
void TestPublishTables::typedAddress()
{
    QFETCH(QString, typed);
    QFETCH(QString, used);
    QCOMPARE(typedWebAddress(typed), used);
}

void TestPublishTables::files_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("names"); // before index.html

    const QStringList none;
    QTest::newRow("a picture") << "<img src=\"a.png\">" << QStringList{"a.png"};
    QTest::newRow("in a subfolder") << "<img src=\"pics/b.gif\">" << QStringList{"pics/b.gif"};
    QTest::newRow("backslash") << "<img src=\"pics\\b.gif\">" << QStringList{"pics/b.gif"};
    QTest::newRow("background") << "<body background=\"pics/b.gif\">" << QStringList{"pics/b.gif"};
    QTest::newRow("the same file twice")
        << "<img src=\"a.png\"><a href=\"./a.png\"><img src=\"pics/../a.png\">"
        << QStringList{"a.png"};
    QTest::newRow("the page itself") << "<a href=\"index.html\">" << none;
    QTest::newRow("page order") << "<img src=\"pics/b.gif\"><img src=\"a.png\">"
                                << QStringList{"pics/b.gif", "a.png"};
    QTest::newRow("query and fragment") << "<img src=\"a.png?v=2#top\">" << QStringList{"a.png"};
    QTest::newRow("entity") << "<img src=\"amp&amp;.png\">" << QStringList{"amp&.png"};
    QTest::newRow("percent space") << "<img src=\"x%20y.png\">" << QStringList{"x y.png"};
    QTest::newRow("UTF-8 name") << "<img src=\"caf%C3%A9.png\">" << QStringList{"caf\u00e9.png"};
    QTest::newRow("letter case differs") << "<img src=\"A.PNG\"><img src=\"case.png\">" << none;
    QTest::newRow("letter case same") << "<img src=\"Case.png\">" << QStringList{"Case.png"};
    QTest::newRow("up and out") << "<img src=\"../secret.png\">" << none;
    QTest::newRow("up and out, encoded") << "<img src=\"%2e%2e/secret.png\">" << none;
    QTest::newRow("site root") << "<img src=\"/etc/passwd\">" << none;
    QTest::newRow("file address") << "<img src=\"file:///etc/passwd\">" << none;
    QTest::newRow("web address") << "<img src=\"http://example.org/a.png\">" << none;
    QTest::newRow("link out") << "<img src=\"out.png\">" << none;
    // Not followed: what it leads to may change before it is sent.
    QTest::newRow("link inside") << "<img src=\"in.png\">" << none;
    QTest::newRow("through a linked folder") << "<img src=\"linked/x.png\">" << none;
    QTest::newRow("named pipe") << "<img src=\"pipe.png\">" << none;
    QTest::newRow("a folder") << "<a href=\"pics/\"><a href=\"pics\">" << none;
    QTest::newRow("missing") << "<img src=\"gone.png\">" << none;
    QTest::newRow("in a comment") << "<!-- <img src=\"a.png\"> -->" << none;
    QTest::newRow("in a script's text") << "<script>x='<img src=\"a.png\">'</script>" << none;
}

void TestPublishTables::files()
{
    QFETCH(QString, page);
    QFETCH(QStringList, names);

    const QList<PageFile> files = filesToPublish(m_folder, "index.html", page);
    const QString inside = QFileInfo(m_folder).canonicalFilePath() + u'/';
    QStringList found;
    for (const PageFile &file : files) {
        found.append(file.name);
        QVERIFY2(file.localPath.startsWith(inside), qPrintable(file.localPath));
        QFile opened(file.localPath);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        QCOMPARE(file.size, opened.size());
    }
    QCOMPARE(found, names + QStringList{"index.html"});
}

void TestPublishTables::parse_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("kept");
    const QByteArray good = "{\"places\":{\"p\":{\"a.png\":\"" + hashHex + "\"}}}";
    const auto row = [&](const char *tag, const char *from, const char *to, const QString &name,
                         bool kept) {
        QTest::newRow(tag) << QByteArray(good).replace(from, to) << name << kept;
    };

    row("a hash", "a.png", "a.png", "a.png", true);
    row("capital hex", "2d7", "2D7", "a.png", true);
    row("hash too short", "4881", "", "a.png", false);
    row("hash too long", "4881", "488100", "a.png", false);
    row("not hex", "2d", "zz", "a.png", false);
    row("empty name", "a.png", "", "", false);
    row("lone surrogate", "a.png", "\\ud800.png", "\xed\xa0\x80.png", false);
    row("escaped name", "a.png", "caf\\u00e9.png", "caf\u00e9.png", true);
    QTest::newRow("hash a number")
        << QByteArray("{\"places\":{\"p\":{\"a.png\":12}}}") << "a.png" << false;
    QTest::newRow("files a list") << QByteArray("{\"places\":{\"p\":[\"" + hashHex + "\"]}}") << "0"
                                  << false;
    QTest::newRow("root a list") << QByteArray("[{\"places\":{}}]") << "a.png" << false;
    QTest::newRow("nothing") << QByteArray() << "a.png" << false;
    QTest::newRow("NUL inside") << QByteArray(good).insert(5, '\0') << "a.png" << false;
}

void TestPublishTables::parse()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, name);
    QFETCH(bool, kept);

    const SentRecord record = SentRecord::parse(json);
    QCOMPARE(record.hash("p", name), kept ? QByteArray::fromHex(hashHex) : QByteArray());
    QVERIFY(SentRecord::parse(record.toJson()) == record);
}

void TestPublishTables::places_data()
{
    QTest::addColumn<QString>("one");
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("same");

    const QString plain = "sftp example.org 22 ann public_html";
    QTest::newRow("trailing slash") << plain << "sftp example.org 22 ann public_html/" << true;
    QTest::newRow("host's case") << plain << "sftp Example.ORG 22 ann public_html" << true;
    QTest::newRow("method") << plain << "ftps example.org 22 ann public_html" << false;
    QTest::newRow("port") << plain << "sftp example.org 2222 ann public_html" << false;
    QTest::newRow("user") << plain << "sftp example.org 22 Ann public_html" << false;
    QTest::newRow("folder") << plain << "sftp example.org 22 ann www" << false;
    QTest::newRow("@ moved between user and host") << "sftp b@c 22 a"
                                                   << "sftp c 22 a@b" << false;
    QTest::newRow(": moved between host and port") << "sftp h:22 1 a"
                                                   << "sftp h 22 a" << false;
}

void TestPublishTables::places()
{
    QFETCH(QString, one);
    QFETCH(QString, other);
    QFETCH(bool, same);
    QCOMPARE(SentRecord::placeOf(siteOf(one)) == SentRecord::placeOf(siteOf(other)), same);
}

// A record that is not an ordinary file reads as empty and at once; writing
// replaces it whole.
void TestPublishTables::oddFiles()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath("pipe.json");
    QVERIFY(makePipe(pipe));
    for (const QString &odd : {pipe, dir.path(), QString("/dev/zero")})
        QVERIFY(SentRecord::read(odd) == SentRecord());

    const QString big = dir.filePath("big.json");
    QVERIFY(writeBytes(big, "{\"places\":{\"p\":{\"a\":\"" + hashHex + "\"}}}" +
                                QByteArray(17 * 1024 * 1024, ' ')));
    QVERIFY(SentRecord::read(big) == SentRecord());

    SentRecord record;
    record.setHash("p", "a", QByteArray::fromHex(hashHex));
    const QString path = dir.filePath("sent.json");
    QVERIFY(record.write(path));
    QCOMPARE(readAll(path), "{\n    \"places\": {\n        \"p\": {\n            \"a\": \"" +
                                hashHex + "\"\n        }\n    }\n}\n");
    QVERIFY(SentRecord::read(path) == record);
}

void TestPublishTables::replyLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code"); // 0: not a reply's first or last line
    QTest::addColumn<bool>("last");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *name, const QByteArray &line, int code, const QString &text,
                        bool last = true) { QTest::newRow(name) << line << code << last << text; };

    row("plain", "550 No such file\r\n", 550, "No such file");
    row("goes on", "211-Features:\r\n", 211, "Features:", false);
    row("bare code", "226", 226, {});
    row("code and CR LF", "226\r\n", 226, {});
    row("inner line", " MDTM\r\n", 0, {});
    row("six hundred", "600 no\r\n", 0, {});
    row("zero", "099 no\r\n", 0, {});
    row("four digits", "5500 no\r\n", 0, {});
    row("two digits", "55", 0, {});
    row("letters", "5x0 no", 0, {});
    row("empty", {}, 0, {});
    row("control characters",
        QByteArray("550 a\x1b[31mb\tc\0d\x7f"
                   "e\r\n",
                   17),
        550, "a [31mb c d e");
    row("UTF-8", "550 \xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80\r\n", 550, u"\u00e9t\u00e9 \U0001F600"_qs);
    row("broken UTF-8", "550 \xc3(\xff\r\n", 550, "\ufffd(\ufffd");
    row("very long", "452 " + QByteArray(5000, 'x'), 452, QString(kReplyTextLength, u'x'));
    row("long, cut in a pair", "452 " + QByteArray(kReplyTextLength - 1, 'x') + "\xf0\x9f\x98\x80",
        452, QString(kReplyTextLength - 1, u'x'));
    row("long, cut after a space", "452 " + QByteArray(kReplyTextLength - 1, 'x') + "  yz", 452,
        QString(kReplyTextLength - 1, u'x'));
}

void TestPublishTables::replyLines()
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

void TestPublishTables::replyFailures_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("verb"); // the command the reply answers
    QTest::addColumn<Failure>("failure");

    QTest::newRow("login refused") << 530 << QByteArray("PASS") << Failure::LoginRefused;
    QTest::newRow("no such folder") << 550 << QByteArray("CWD") << Failure::FolderMissing;
    for (const char *verb : {"STOR", "MKD", "RNTO", "DELE"})
        QTest::addRow("%s refused", verb) << 550 << QByteArray(verb) << Failure::NoPermission;
    QTest::newRow("no size of a file not there") << 550 << QByteArray("SIZE") << Failure::Other;
    QTest::newRow("disk full") << 452 << QByteArray("STOR") << Failure::NoRoom;
    QTest::newRow("quota full") << 552 << QByteArray("STOR") << Failure::NoRoom;
    QTest::newRow("name not allowed") << 553 << QByteArray("STOR") << Failure::NoPermission;
    QTest::newRow("account needed to store") << 532 << QByteArray("STOR") << Failure::NoPermission;
    for (const int code : {421, 425, 426})
        QTest::addRow("%d", code) << code << QByteArray("STOR") << Failure::ConnectionLost;
    QTest::newRow("not understood") << 500 << QByteArray("MKD") << Failure::Other;
}

// What each refusal means to the user, from its code and the command it answers.
void TestPublishTables::replyFailures()
{
    QFETCH(int, code);
    QFETCH(QByteArray, verb);
    QFETCH(Failure, failure);
    QCOMPARE(failureForReply(code, verb), failure);
}

void TestPublishTables::certificateFile_data()
{
    const QByteArray entry = "{\"fingerprint\": \"SHA256:" + QByteArray(43, 'A') +
                             "\", \"pin\": \"sha256//" + QByteArray(43, 'B') + "=\"}";
    const QByteArray file = "{\"servers\": {\"h:21\": " + entry + "}}";
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("remembered"); // for "h:21"

    QTest::newRow("none") << QByteArray() << false;
    QTest::newRow("remembered") << file << true;
    QTest::newRow("another port") << QByteArray(file).replace("h:21", "h:2121") << false;
    QTest::newRow("not JSON") << "h:21 SHA256:" + QByteArray(43, 'A') << false;
    QTest::newRow("cut off") << file.chopped(5) << false;
    QTest::newRow("a list") << "[" + file + "]" << false;
    QTest::newRow("fingerprint short") << QByteArray(file).replace("AAAA\"", "AAA\"") << false;
    QTest::newRow("pin not base64") << QByteArray(file).replace("BBBB=", "BB\\nB=") << false;
    QTest::newRow("pin a number") << QByteArray(file).replace(
                                         "\"sha256//" + QByteArray(43, 'B') + "=\"", "5")
                                  << false;
    QTest::newRow("fingerprint with a line after")
        << QByteArray(file).replace("AAAA\",", "AAAA\\nSHA256:x\",") << false;
}

// Only a whole, well-formed entry for exactly this server counts, and adding
// a server keeps the others that the file holds.
void TestPublishTables::certificateFile()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, remembered);
    const RememberedCertificate other{"SHA256:" + QString(43, u'C'),
                                      "sha256//" + QString(43, u'D') + u'='};
    QCOMPARE(rememberedCertificate(file, "h:21").has_value(), remembered);
    const std::optional<QByteArray> written = withCertificate(file, "[::1]:21", other);
    QVERIFY(written);
    QCOMPARE(rememberedCertificate(*written, "h:21").has_value(), remembered);
    const std::optional<RememberedCertificate> back = rememberedCertificate(*written, "[::1]:21");
    QVERIFY(back);
    QCOMPARE(back->fingerprint, other.fingerprint);
    QCOMPARE(back->pin, other.pin);
    if (file.isEmpty()) {
        QCOMPARE(*written, "{\n    \"servers\": {\n        \"[::1]:21\": {\n"
                           "            \"fingerprint\": \"SHA256:" +
                               QByteArray(43, 'C') + "\",\n            \"pin\": \"sha256//" +
                               QByteArray(43, 'D') + "=\"\n        }\n    }\n}\n");
    }
    QVERIFY(!withCertificate(file, "h:21", {other.fingerprint + u'\n', other.pin}));
}

QTEST_GUILESS_MAIN(TestPublishTables)
#include "tst_publish_tables.moc"

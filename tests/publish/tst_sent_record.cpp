#include "publish/sent_record.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace tarnwell::publish;
using tarnwell::test::readAll;
using tarnwell::test::writeBytes;

namespace {
const QByteArray hashHex = "2d711642b726b04401627ca9fbac32f5c8530fb1903cc4db02258717921a4881";

Site siteOf(Method method, const char *host, int port, const char *user, const char *folder)
{
    Site site;
    site.method = method;
    site.host = QString::fromUtf8(host);
    site.port = port;
    site.user = QString::fromUtf8(user);
    site.remoteFolder = QString::fromUtf8(folder);
    return site;
}
} // namespace

class TestSentRecord final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void places_data();
    void places();
    void oddFiles();
};

void TestSentRecord::parse_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("kept");

    const QByteArray good = "{\"places\":{\"p\":{\"a.png\":\"" + hashHex + "\"}}}";
    QTest::newRow("a hash") << good << "a.png" << true;
    QTest::newRow("capital hex") << QByteArray(good).replace("2d7", "2D7") << "a.png" << true;
    QTest::newRow("hash too short") << QByteArray(good).replace("4881", "") << "a.png" << false;
    QTest::newRow("hash too long")
        << QByteArray(good).replace("4881", "488100") << "a.png" << false;
    QTest::newRow("not hex") << QByteArray(good).replace("2d", "zz") << "a.png" << false;
    QTest::newRow("hash a number")
        << QByteArray("{\"places\":{\"p\":{\"a.png\":12}}}") << "a.png" << false;
    QTest::newRow("files a list") << QByteArray("{\"places\":{\"p\":[\"" + hashHex + "\"]}}") << "0"
                                  << false;
    QTest::newRow("root a list") << QByteArray("[{\"places\":{}}]") << "a.png" << false;
    QTest::newRow("empty name") << QByteArray(good).replace("a.png", "") << "" << false;
    QTest::newRow("lone surrogate")
        << QByteArray(good).replace("a.png", "\\ud800.png") << "\xed\xa0\x80.png" << false;
    QTest::newRow("escaped name") << QByteArray(good).replace("a.png", "caf\\u00e9.png")
                                  << "caf\u00e9.png" << true;
    QTest::newRow("nothing") << QByteArray() << "a.png" << false;
    QTest::newRow("NUL inside") << QByteArray(good).insert(5, '\0') << "a.png" << false;
}

void TestSentRecord::parse()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, name);
    QFETCH(bool, kept);

    const SentRecord record = SentRecord::parse(json);
    QCOMPARE(record.hash(QStringLiteral("p"), name),
             kept ? QByteArray::fromHex(hashHex) : QByteArray());
    QVERIFY(SentRecord::parse(record.toJson()) == record);
}

void TestSentRecord::places_data()
{
    QTest::addColumn<Site>("one");
    QTest::addColumn<Site>("other");
    QTest::addColumn<bool>("same");

    const Site plain = siteOf(Method::Sftp, "example.org", 22, "ann", "public_html");
    QTest::newRow("trailing slash")
        << plain << siteOf(Method::Sftp, "example.org", 22, "ann", "public_html/") << true;
    QTest::newRow("host's case") << plain
                                 << siteOf(Method::Sftp, "Example.ORG", 22, "ann", "public_html")
                                 << true;
    QTest::newRow("method") << plain
                            << siteOf(Method::Ftps, "example.org", 22, "ann", "public_html")
                            << false;
    QTest::newRow("port") << plain
                          << siteOf(Method::Sftp, "example.org", 2222, "ann", "public_html")
                          << false;
    QTest::newRow("user") << plain << siteOf(Method::Sftp, "example.org", 22, "Ann", "public_html")
                          << false;
    QTest::newRow("folder") << plain << siteOf(Method::Sftp, "example.org", 22, "ann", "www")
                            << false;
    QTest::newRow("@ moved between user and host")
        << siteOf(Method::Sftp, "b@c", 22, "a", "") << siteOf(Method::Sftp, "c", 22, "a@b", "")
        << false;
    QTest::newRow(": moved between host and port")
        << siteOf(Method::Sftp, "h:22", 1, "a", "") << siteOf(Method::Sftp, "h", 22, "a", "")
        << false;
}

void TestSentRecord::places()
{
    QFETCH(Site, one);
    QFETCH(Site, other);
    QFETCH(bool, same);
    QCOMPARE(SentRecord::placeOf(one) == SentRecord::placeOf(other), same);
}

// A record that is not an ordinary file reads as empty and at once; writing
// replaces it whole.
void TestSentRecord::oddFiles()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.json"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(SentRecord::read(pipe) == SentRecord());
    QVERIFY(SentRecord::read(dir.path()) == SentRecord());
    QVERIFY(SentRecord::read(QStringLiteral("/dev/zero")) == SentRecord());

    const QString big = dir.filePath(QStringLiteral("big.json"));
    QVERIFY(writeBytes(big, "{\"places\":{\"p\":{\"a\":\"" + hashHex + "\"}}}" +
                                QByteArray(17 * 1024 * 1024, ' ')));
    QVERIFY(SentRecord::read(big) == SentRecord());

    SentRecord record;
    record.setHash(QStringLiteral("p"), QStringLiteral("a"), QByteArray::fromHex(hashHex));
    const QString path = dir.filePath(QStringLiteral("sent.json"));
    QVERIFY(record.write(path));
    QCOMPARE(readAll(path), "{\n    \"places\": {\n        \"p\": {\n            \"a\": \"" +
                                hashHex + "\"\n        }\n    }\n}\n");
    QVERIFY(SentRecord::read(path) == record);
}

QTEST_GUILESS_MAIN(TestSentRecord)
#include "tst_sent_record.moc"

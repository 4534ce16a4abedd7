#include "publish/sent_record.h"
#include "support/files.h"

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

void TestSentRecord::parse()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, name);
    QFETCH(bool, kept);

    const SentRecord record = SentRecord::parse(json);
    QCOMPARE(record.hash("p", name), kept ? QByteArray::fromHex(hashHex) : QByteArray());
    QVERIFY(SentRecord::parse(record.toJson()) == record);
}

void TestSentRecord::places_data()
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

void TestSentRecord::places()
{
    QFETCH(QString, one);
    QFETCH(QString, other);
    QFETCH(bool, same);
    QCOMPARE(SentRecord::placeOf(siteOf(one)) == SentRecord::placeOf(siteOf(other)), same);
}

// A record that is not an ordinary file reads as empty and at once; writing
// replaces it whole.
void TestSentRecord::oddFiles()
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

QTEST_GUILESS_MAIN(TestSentRecord)
#include "tst_sent_record.moc"

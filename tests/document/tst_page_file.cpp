#include "document/page_file.h"
#include "document/session.h"
#include "document/windows1252.h"
#include "support/gui.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace tarnwell;
using tarnwell::test::readAll;

namespace {
const QString kWorkedBody = QStringLiteral(
    "<HTML>\r\n<HEAD>\r\n<TITLE>My page</TITLE>\r\n"
    "<META name=\"description\" content=\" Tarnwell - the fast HTML page writer. It's FREEWARE "
    "and it's fast! Create good-looking pages with simple effects. MouseOver pictures and links "
    "easily created.\">\r\n"
    "<META name=\"keywords\" content=\"HTML, Freeware, freeware, web, editor, Internet, "
    "Education, education, computing\">\r\n</HEAD>\r\n<BODY  BGCOLOR=\"#FFFFFF\">\r\n"
    "<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>\r\n"
    "<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">Hello</FONT><P></P>");

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

class TestPageFile final : public QObject
{
    Q_OBJECT

private slots:
    void savedFileOfWorkedExample();
    void savedFileLayout();
    void previewFile();
    void windows1252KeepsEveryCharacter();
    void windows1252DecodesEveryByte();
    void loaderKeepsAndDropsLines_data();
    void loaderKeepsAndDropsLines();
    void loaderReadsUtf8AndKeepsWritingIt();
    void saveLoadSaveRoundTrip();
    void saveFailureKeepsEarlierFile();
    void unreadableFilesAreReported();
};

void TestPageFile::savedFileOfWorkedExample()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    QString error;
    QVERIFY(SaveFile(path, kWorkedBody, PageEncoding::Windows1252, &error));
    const QByteArray bytes = readAll(path);
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 13); // 11 lines, the empty line, and nothing after the last LF
    QCOMPARE(lines.at(6), QByteArray("<BODY  BGCOLOR=\"#FFFFFF\">\r"));
    QCOMPARE(lines.at(9), QByteArray("</BODY>\r"));
    QCOMPARE(lines.at(10), QByteArray("</HTML>\r"));
    QCOMPARE(lines.at(11), QByteArray("\r"));
    QCOMPARE(bytes, kWorkedBody.toLatin1() + "\r\n</BODY>\r\n</HTML>\r\n\r\n");
}

void TestPageFile::savedFileLayout()
{
    QCOMPARE(pageClosing(), QStringLiteral("</BODY>\r\n</HTML>\r\n"));
    QCOMPARE(savedPageBytes(QStringLiteral("<HTML>\r\n<BR>"), PageEncoding::Windows1252),
             QByteArray("<HTML>\r\n<BR>\r\n</BODY>\r\n</HTML>\r\n\r\n"));
    // A page body already ending in CR LF gives an empty line before </BODY>.
    QCOMPARE(savedPageBytes(QStringLiteral("<BR>\r\n"), PageEncoding::Windows1252),
             QByteArray("<BR>\r\n\r\n</BODY>\r\n</HTML>\r\n\r\n"));
    QCOMPARE(savedPageBytes(QStringLiteral("\u0436"), PageEncoding::Utf8WithBom),
             QByteArray("\xEF\xBB\xBF\xD0\xB6\r\n</BODY>\r\n</HTML>\r\n\r\n"));
}

void TestPageFile::previewFile()
{
    QTemporaryDir dir;
    Session session;
    session.setSessionFolder(QDir::toNativeSeparators(dir.path()));
    const QString preview = dir.filePath(QStringLiteral("viewtmp.html"));

    QVERIFY(session.writePreview());
    QCOMPARE(readAll(preview), QByteArray("\r\n"));

    session.page().append(QStringLiteral("<HTML>\r\n<BR>\r\nsome longer text than later"));
    QVERIFY(session.writePreview());
    session.page().replace(QStringLiteral("<P>"));
    QVERIFY(session.writePreview());
    QCOMPARE(readAll(preview), QByteArray("<P>\r\n"));

    session.setSessionFolder(QDir::toNativeSeparators(dir.filePath(QStringLiteral("gone"))));
    QVERIFY(!session.writePreview()); // harmless: the caller passes over it
}

void TestPageFile::windows1252KeepsEveryCharacter()
{
    QCOMPARE(toWindows1252(u"\u20AC"), QByteArray("\x80"));
    QCOMPARE(toWindows1252(u"caf\u00E9 \u00A0\u00FF"), QByteArray("caf\xE9 \xA0\xFF"));
    QCOMPARE(toWindows1252(u"\u201Cq\u201D \u2122 \u0178"), QByteArray("\x93q\x94 \x99 \x9F"));
    QCOMPARE(toWindows1252(u"\u0436"), QByteArray("&#1078;"));
    QCOMPARE(toWindows1252(QStringLiteral("a\U0001F600b")), QByteArray("a&#128512;b"));
    QCOMPARE(toWindows1252(u"\u0080\u0081"), QByteArray("&#128;\x81"));
    QCOMPARE(toWindows1252(QString(QChar(0xD83D))), QByteArray("&#65533;"));
    QCOMPARE(toWindows1252(QStringView(u"a\r\nb\0c", 6)), QByteArray("a\r\nb\0c", 6));
}

void TestPageFile::windows1252DecodesEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = fromWindows1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0x81), QChar(0x81));
    QCOMPARE(text.at(0x9F), QChar(0x178));
    QCOMPARE(text.at(0xE9), QChar(0xE9));
    QCOMPARE(toWindows1252(text), all);
}

void TestPageFile::loaderKeepsAndDropsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("body");
    QTest::newRow("saved page") << QByteArray(
                                       "<HTML>\r\n<BODY>\r\nhello\r\n</BODY>\r\n</HTML>\r\n\r\n")
                                << QStringLiteral("<HTML>\r\n<BODY>\r\nhello\r\n");
    QTest::newRow("closing on a text line")
        << QByteArray("<HTML>\r\nlast words</BODY></HTML>\r\n") << QStringLiteral("<HTML>\r\n");
    QTest::newRow("empty lines") << QByteArray("a\r\n\r\n\r\nb") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("lower case kept") << QByteArray("x\r\n</body>\r\n</html>\r\n")
                                     << QStringLiteral("x\r\n</body>\r\n</html>\r\n");
    QTest::newRow("LF alone") << QByteArray("<HTML>\n<BODY>\nhello\n</BODY>\n</HTML>\n")
                              << QStringLiteral("<HTML>\r\n<BODY>\r\nhello\r\n");
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("mixed") << QByteArray("a\r\n\nb\r\rc\n\rd")
                           << QStringLiteral("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("nothing") << QByteArray() << QString();
    QTest::newRow("windows-1252") << QByteArray("caf\xE9 \x80")
                                  << QStringLiteral("caf\u00E9 \u20AC\r\n");
    QTest::newRow("not valid UTF-8") << QByteArray("\xC3(") << QStringLiteral("\u00C3(\r\n");
}

void TestPageFile::loaderKeepsAndDropsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, body);
    const LoadedPage page = readPageBytes(bytes);
    QCOMPARE(page.body, body);
    QCOMPARE(page.encoding, PageEncoding::Windows1252);
}

void TestPageFile::loaderReadsUtf8AndKeepsWritingIt()
{
    const QByteArray utf8 = QByteArray("<P>\xD0\xB6 \xE2\x82\xAC</P>\n</BODY>\n");
    LoadedPage page = readPageBytes(utf8);
    QCOMPARE(page.encoding, PageEncoding::Utf8);
    QCOMPARE(page.body, QStringLiteral("<P>\u0436 \u20AC</P>\r\n"));
    QCOMPARE(savedPageBytes(page.body, page.encoding),
             QByteArray("<P>\xD0\xB6 \xE2\x82\xAC</P>\r\n\r\n</BODY>\r\n</HTML>\r\n\r\n"));

    page = readPageBytes(QByteArray("\xEF\xBB\xBFplain\r\n"));
    QCOMPARE(page.encoding, PageEncoding::Utf8WithBom);
    QCOMPARE(page.body, QStringLiteral("plain\r\n"));
    QVERIFY(savedPageBytes(page.body, page.encoding).startsWith("\xEF\xBB\xBFplain\r\n"));

    // The encoding is the page's until a new page is begun.
    Session session;
    session.setPageEncoding(PageEncoding::Utf8);
    session.beginPage(QStringLiteral("<HTML>\r\n"));
    QCOMPARE(session.pageEncoding(), PageEncoding::Windows1252);
}

void TestPageFile::saveLoadSaveRoundTrip()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.html"));
    const QString second = dir.filePath(QStringLiteral("second.html"));
    const QString body = kWorkedBody + QStringLiteral("\r\n\r\n<P>\u00E9\u20AC</P>");
    QVERIFY(SaveFile(first, body, PageEncoding::Windows1252));

    LoadedPage loaded;
    QVERIFY(loadPageFile(first, &loaded));
    QCOMPARE(loaded.encoding, PageEncoding::Windows1252);
    QCOMPARE(loaded.body, kWorkedBody + QStringLiteral("\r\n<P>\u00E9\u20AC</P>\r\n"));

    QVERIFY(SaveFile(second, loaded.body, loaded.encoding));
    const QByteArray again = readAll(second);
    QCOMPARE(again.count("</BODY>"), 1);
    QCOMPARE(again.count("</HTML>"), 1);
    QVERIFY(again.endsWith("<P>\xE9\x80</P>\r\n\r\n</BODY>\r\n</HTML>\r\n\r\n"));
}

void TestPageFile::saveFailureKeepsEarlierFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    const QByteArray earlier("<HTML>\r\nthe earlier page\r\n</BODY>\r\n</HTML>\r\n\r\n");
    QVERIFY(writeBytes(path, earlier));

    QString error;
    QVERIFY(!SaveFile(dir.filePath(QStringLiteral("no/such/folder/page.html")), QStringLiteral("x"),
                      PageEncoding::Windows1252, &error));
    QVERIFY(!error.isEmpty());

#ifdef Q_OS_UNIX
    // A disk that fills up half-way: writes past the size limit fail.
    const QString big(200000, QLatin1Char('x'));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    error.clear();
    const bool saved = SaveFile(path, big, PageEncoding::Windows1252, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), earlier);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("page.html")});
#endif
}

void TestPageFile::unreadableFilesAreReported()
{
    QTemporaryDir dir;
    LoadedPage page;
    page.body = QStringLiteral("untouched");
    QString error;
    QVERIFY(!loadPageFile(dir.filePath(QStringLiteral("missing.html")), &page, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.html")));
    error.clear();
    QVERIFY(!loadPageFile(dir.filePath(QStringLiteral("folder.html")), &page, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(page.body, QStringLiteral("untouched"));
}

QTEST_MAIN(TestPageFile)
#include "tst_page_file.moc"

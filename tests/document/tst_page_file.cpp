#include "document/page_file.h"
#include "document/session.h"
#include "document/windows1252.h"
#include "html/modern.h"
#include "support/files.h"
#include "support/worked_example.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace tarnwell;
using tarnwell::test::readAll;
using tarnwell::test::writeBytes;

namespace {
const QByteArray kClosing = QByteArrayLiteral("\r\n</BODY>\r\n</HTML>\r\n\r\n");
const auto W1252 = int(PageEncoding::Windows1252);
const auto Utf8 = int(PageEncoding::Utf8);
const auto Utf8WithBom = int(PageEncoding::Utf8WithBom);

// The worked example's page body: its saved file without the closing lines.
QString workedBody()
{
    const QByteArray file = tarnwell::test::kWorkedExampleFile;
    return QString::fromLatin1(file.left(file.size() - kClosing.size()));
}
} // namespace

class TestPageFile final : public QObject
{
    Q_OBJECT

private slots:
    void savedBytes_data();
    void savedBytes();
    void windows1252DecodesEveryByte();
    void loader_data();
    void loader();
    void modernPageRecognised_data();
    void modernPageRecognised();
    void modernPageSavedTwiceIsTheSame();
    void previewFile();
    void saveLoadSaveRoundTrip();
    void saveFailureKeepsEarlierFile();
    void unreadableFilesAreReported_data();
    void unreadableFilesAreReported();
};

// The bytes a page body is saved as, and what loading them gives back.
void TestPageFile::savedBytes_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("bytes"); // before the closing lines
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<int>("loadedEncoding");
    // clang-format off
    QTest::newRow("worked example") << workedBody() << W1252
        << tarnwell::test::kWorkedExampleFile.chopped(kClosing.size()) << workedBody() + "\r\n" << W1252;
    QTest::newRow("ending in CR LF") << "<BR>\r\n" << W1252
        << QByteArray("<BR>\r\n") << "<BR>\r\n" << W1252;
    QTest::newRow("code page") << "\u20AC caf\u00E9 \u00A0\u00FF \u201Cq\u201D \u2122 \u0178" << W1252
        << QByteArray("\x80 caf\xE9 \xA0\xFF \x93q\x94 \x99 \x9F")
        << "\u20AC caf\u00E9 \u00A0\u00FF \u201Cq\u201D \u2122 \u0178\r\n" << W1252;
    QTest::newRow("references") << "\u0436 a\U0001F600b \u0080\u0081" << W1252
        << QByteArray("&#1078; a&#128512;b &#128;\x81") << "&#1078; a&#128512;b &#128;\u0081\r\n" << W1252;
    QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + "b" << W1252
        << QByteArray("a\0b", 3) << QStringLiteral("a") + QChar(0) + "b\r\n" << W1252;
    QTest::newRow("UTF-8 with a mark") << "\u0436" << Utf8WithBom
        << QByteArray("\xEF\xBB\xBF\xD0\xB6") << "\u0436\r\n" << Utf8WithBom;
    // Cases the page fuzzers found, kept so that they stay fixed.
    QTest::newRow("a second mark is a character") << QStringLiteral("\uFEFFtwo\r\n") << Utf8WithBom
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFtwo\r\n") << QStringLiteral("\uFEFFtwo\r\n") << Utf8WithBom;
    // Without a mark, a U+FEFF first would be taken for one and dropped.
    QTest::newRow("UTF-8 starting with U+FEFF") << QStringLiteral("\uFEFF\u0436") << Utf8
        << QByteArray("&#65279;\xD0\xB6") << "&#65279;\u0436\r\n" << Utf8;
    QTest::newRow("U+FEFF later on") << "a\uFEFF" << Utf8
        << QByteArray("a\xEF\xBB\xBF") << "a\uFEFF\r\n" << Utf8;
    // Half a pair is no character: Qt's encoder writes '?', a real question mark.
    const QString halves = QStringLiteral("a") + QChar(0xD83D) + "b\U0001F600" + QChar(0xDC00);
    QTest::newRow("half pairs, UTF-8") << halves << Utf8
        << QByteArray("a\xEF\xBF\xBD" "b\xF0\x9F\x98\x80\xEF\xBF\xBD") << "a\uFFFDb\U0001F600\uFFFD\r\n" << Utf8;
    QTest::newRow("half pairs, Windows-1252") << halves << W1252
        << QByteArray("a&#65533;b&#128512;&#65533;") << "a&#65533;b&#128512;&#65533;\r\n" << W1252;
    // A Windows-1252 page must never read back as UTF-8.
    QTest::newRow("looks like a UTF-8 sequence") << "<P>\u00C3\u00A9</P>" << W1252
        << QByteArray("<P>&#195;\xA9</P>") << "<P>&#195;\u00A9</P>\r\n" << W1252;
    QTest::newRow("looks like a mark") << "\u00EF\u00BB\u00BF2\u00C3" << W1252
        << QByteArray("&#239;\xBB\xBF" "2\xC3") << "&#239;\u00BB\u00BF2\u00C3\r\n" << W1252;
    QTest::newRow("looks like four bytes") << "\u00F0\u0178\u02DC\u20AC" << W1252
        << QByteArray("&#240;\x9F\x98\x80") << "&#240;\u0178\u02DC\u20AC\r\n" << W1252;
    QTest::newRow("only the first is changed") << "\u00C3\u00A9 \u00C3\u00A9" << W1252
        << QByteArray("&#195;\xA9 \xC3\xA9") << "&#195;\u00A9 \u00C3\u00A9\r\n" << W1252;
    QTest::newRow("mark on a later line") << "\u00EF\u00BB\u00BF\x1F\u008D\r\n" << W1252
        << QByteArray("&#239;\xBB\xBF\x1F\x8D\r\n") << "&#239;\u00BB\u00BF\x1F\u008D\r\n" << W1252;
    QTest::newRow("no UTF-8 in it") << "caf\u00E9 \u00C3(\u00A9" << W1252
        << QByteArray("caf\xE9 \xC3(\xA9") << "caf\u00E9 \u00C3(\u00A9\r\n" << W1252;
    // clang-format on
}

void TestPageFile::savedBytes()
{
    QFETCH(QString, body);
    QFETCH(int, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, loaded);
    QFETCH(int, loadedEncoding);
    QCOMPARE(savedPageBytes(body, PageEncoding(encoding)), bytes + kClosing);
    const LoadedPage page = readPageBytes(bytes + kClosing);
    QCOMPARE(page.body, loaded);
    QCOMPARE(int(page.encoding), loadedEncoding);
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
    QCOMPARE(toWindows1252(text), all);
}

void TestPageFile::loader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("encoding");
    // clang-format off
    QTest::newRow("closing on a text line") << QByteArray("<HTML>\r\nlast words</BODY></HTML>\r\n") << "<HTML>\r\n" << W1252;
    QTest::newRow("empty lines") << QByteArray("a\r\n\r\n\r\nb") << "a\r\nb\r\n" << W1252;
    QTest::newRow("lower case kept") << QByteArray("x\r\n</body>\r\n</html>\r\n") << "x\r\n</body>\r\n</html>\r\n" << W1252;
    QTest::newRow("LF alone") << QByteArray("<HTML>\n<BODY>\nhello\n</BODY>\n</HTML>\n") << "<HTML>\r\n<BODY>\r\nhello\r\n" << W1252;
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << "a\r\nb\r\n" << W1252;
    QTest::newRow("mixed") << QByteArray("a\r\n\nb\r\rc\n\rd") << "a\r\nb\r\nc\r\nd\r\n" << W1252;
    QTest::newRow("nothing") << QByteArray() << QString() << W1252;
    QTest::newRow("not valid UTF-8") << QByteArray("\xC3(") << "\u00C3(\r\n" << W1252;
    QTest::newRow("UTF-8") << QByteArray("<P>\xD0\xB6 \xE2\x82\xAC</P>\n</BODY>\n") << "<P>\u0436 \u20AC</P>\r\n" << Utf8;
    QTest::newRow("a mark on a later line is no mark") << QByteArray("\n\xEF\xBB\xBF\x1F\x8D") << "\u00EF\u00BB\u00BF\x1F\u008D\r\n" << W1252;
    // clang-format on
}

void TestPageFile::loader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, body);
    QFETCH(int, encoding);
    const LoadedPage page = readPageBytes(bytes);
    QCOMPARE(page.body, body);
    QCOMPARE(int(page.encoding), encoding);
}

namespace {
const QByteArray kDoctype = "<!DOCTYPE html>\r\n";
const QByteArray kGenerator = "<meta name=\"generator\" content=\"Tarnwell\">\r\n";
const QByteArray kModernHead =
    kDoctype + "<html lang=\"en\">\r\n<head>\r\n<title>t</title>\r\n" + kGenerator + "</head>\r\n";
} // namespace

// A page loaded back goes on as modern only when its own head says so; a
// modern page of plain ASCII still goes on in UTF-8, as its head says.
void TestPageFile::modernPageRecognised_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("modern");
    QByteArray head = kModernHead;
    // clang-format off
    QTest::newRow("as Tarnwell writes it") << kModernHead + "<body>\r\n<main>\r\n<p>x</p>\r\n</main></BODY>\r\n</HTML>\r\n" << true;
    QTest::newRow("LF alone, capital HEAD, small doctype") << QByteArray("<!doctype html>\n<html>\n<HEAD>\n") + kGenerator.chopped(2) + "\n</HEAD>\n<p>x</p>\n" << true;
    QTest::newRow("a comment before the doctype") << "<!-- mine -->\r\n" + kModernHead << true;
    QTest::newRow("the classic worked example") << test::kWorkedExampleFile << false;
    QTest::newRow("doctype without the generator") << QByteArray(head).replace(kGenerator, "") << false;
    QTest::newRow("generator without the doctype") << QByteArray(head).replace(kDoctype, "") << false;
    QTest::newRow("another program's generator") << QByteArray(head).replace("Tarnwell", "Other") << false;
    QTest::newRow("generator in a comment") << QByteArray(head).replace(kGenerator, "<!-- " + kGenerator.chopped(2) + " -->\r\n") << false;
    QTest::newRow("generator in a comment of lines") << QByteArray(head).replace(kGenerator, "<!--\r\n" + kGenerator + "-->\r\n") << false;
    QTest::newRow("generator in the title") << QByteArray(head).replace(kGenerator, "").replace("t</title>", kGenerator.chopped(2) + "</title>") << false;
    QTest::newRow("generator in the body") << QByteArray(head).replace(kGenerator, "") + kGenerator << false;
    QTest::newRow("end of head in a comment only") << QByteArray(head).replace("</head>", "<!-- </head> -->") << false;
    QTest::newRow("a comment never closed") << QByteArray(head).replace("<title>", "<!-- <title>") << false;
    QTest::newRow("doctype after text") << "Hello\r\n" + kModernHead << false;
    QTest::newRow("nothing") << QByteArray() << false;
    // clang-format on
}

void TestPageFile::modernPageRecognised()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, modern);
    Session session;
    session.takeLoadedPage(readPageBytes(bytes));
    QCOMPARE(session.isModern(), modern);
    QCOMPARE(session.pageEncoding(), modern ? PageEncoding::Utf8 : PageEncoding::Windows1252);
}

// The modern closing is left out on loading, so a page loaded and saved
// again keeps one closing.
void TestPageFile::modernPageSavedTwiceIsTheSame()
{
    const QString body = QString::fromLatin1(kModernHead) + "<body>\r\n<main>\r\n<p>x</p>\r\n";
    const QByteArray saved = savedPageBytes(body, PageEncoding::Utf8, modernPageClosing());
    QCOMPARE(saved, kModernHead + "<body>\r\n<main>\r\n<p>x</p>\r\n\r\n</main></BODY>\r\n"
                                  "</HTML>\r\n\r\n");
    const LoadedPage loaded = readPageBytes(saved);
    QCOMPARE(loaded.body, body);
    QCOMPARE(savedPageBytes(loaded.body, PageEncoding::Utf8, modernPageClosing()), saved);
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
    // The encoding is the page's until a new page is begun.
    session.setPageEncoding(PageEncoding::Utf8);
    session.beginPage(QStringLiteral("<HTML>\r\n"));
    QCOMPARE(session.pageEncoding(), PageEncoding::Windows1252);
    session.setSessionFolder(QDir::toNativeSeparators(dir.filePath(QStringLiteral("gone"))));
    QVERIFY(!session.writePreview()); // harmless: the caller passes over it
}

void TestPageFile::saveLoadSaveRoundTrip()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.html"));
    const QString second = dir.filePath(QStringLiteral("second.html"));
    QVERIFY(SaveFile(first, workedBody() + QStringLiteral("\r\n\r\n<P>\u00E9\u20AC</P>"),
                     PageEncoding::Windows1252));
    LoadedPage loaded;
    QVERIFY(loadPageFile(first, &loaded));
    QCOMPARE(loaded.body, workedBody() + QStringLiteral("\r\n<P>\u00E9\u20AC</P>\r\n"));
    QVERIFY(SaveFile(second, loaded.body, loaded.encoding));
    const QByteArray again = readAll(second);
    QCOMPARE(again.count("</BODY>"), 1);
    QCOMPARE(again.count("</HTML>"), 1);
    QVERIFY(again.endsWith("<P>\xE9\x80</P>\r\n" + kClosing));
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
    // A folder in the way of the file.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.html")));
    error.clear();
    QVERIFY(!SaveFile(dir.filePath(QStringLiteral("folder.html")), QStringLiteral("x"),
                      PageEncoding::Windows1252, &error));
    QVERIFY(!error.isEmpty());
#ifdef Q_OS_UNIX
    // A disk that fills up half-way: writes past the size limit fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    error.clear();
    const bool saved =
        SaveFile(path, QString(200000, QLatin1Char('x')), PageEncoding::Windows1252, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), earlier);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("page.html")});
#endif
}

// Nothing that is not an ordinary file is read, and nothing waits: a named
// pipe would block the reader until something wrote to it.
void TestPageFile::unreadableFilesAreReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    const QString missing = QStringLiteral("No such file or directory");
    const QString folder = QStringLiteral("it is a folder, not a file");
    const QString special = QStringLiteral("it is not an ordinary file");
    QTest::newRow("missing") << "missing.html" << missing;
    QTest::newRow("folder") << "folder.html" << folder;
#ifdef Q_OS_UNIX
    QTest::newRow("named pipe") << "pipe.html" << special;
    QTest::newRow("link to a named pipe") << "to-pipe.html" << special;
    QTest::newRow("link to a folder") << "to-folder.html" << folder;
    QTest::newRow("link to nothing") << "to-nothing.html" << missing;
    QTest::newRow("device") << "/dev/zero" << special;
#endif
}

void TestPageFile::unreadableFilesAreReported()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QDir here(dir.path());
    QVERIFY(here.mkdir(QStringLiteral("folder.html")));
#ifdef Q_OS_UNIX
    QCOMPARE(mkfifo(QFile::encodeName(here.filePath(QStringLiteral("pipe.html"))), 0600), 0);
    QVERIFY(
        QFile::link(QStringLiteral("pipe.html"), here.filePath(QStringLiteral("to-pipe.html"))));
    QVERIFY(QFile::link(QStringLiteral("folder.html"),
                        here.filePath(QStringLiteral("to-folder.html"))));
    QVERIFY(
        QFile::link(QStringLiteral("gone.html"), here.filePath(QStringLiteral("to-nothing.html"))));
#endif
    LoadedPage page{QStringLiteral("untouched"), PageEncoding::Utf8};
    QString reason;
    QVERIFY(!loadPageFile(here.filePath(name), &page, &reason));
    QCOMPARE(reason, error);
    QCOMPARE(page.body, QStringLiteral("untouched"));
    QCOMPARE(page.encoding, PageEncoding::Utf8);
}

QTEST_MAIN(TestPageFile)
#include "tst_page_file.moc"

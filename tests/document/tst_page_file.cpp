#include "document/files.h"
#include "document/page_body.h"
#include "document/page_file.h"
#include "document/session.h"
#include "document/windows1252.h"
#include "support/files.h"
#include "support/worked_example.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QtEndian>
#include <algorithm>
#include <csignal>
#include <iconv.h>
#include <sys/resource.h>

using namespace tarnwell;
using tarnwell::test::ownPermissions;
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

// One iconv conversion direction, reused for every input.
class Iconv final
{
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (isOpen())
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    bool isOpen() const { return m_cd != iconv_t(-1); }

    // The whole input converted, or false where iconv refuses any of it
    // (including a sequence cut short at the end).
    bool convert(QByteArrayView in, QByteArray *out = nullptr)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[64];
        char *inAt = const_cast<char *>(in.data());
        size_t inLeft = size_t(in.size());
        char *outAt = buffer;
        size_t outLeft = sizeof buffer;
        if (size_t(in.size()) * 4 > sizeof buffer)
            return false;
        if (iconv(m_cd, &inAt, &inLeft, &outAt, &outLeft) == size_t(-1) || inLeft != 0 ||
            iconv(m_cd, nullptr, nullptr, &outAt, &outLeft) == size_t(-1))
            return false;
        if (out)
            *out = QByteArray(buffer, outAt - buffer);
        return true;
    }

private:
    iconv_t m_cd;
};

// The five bytes Windows-1252 leaves undefined. glibc refuses them both
// ways; browsers (and Windows) read each as the C1 control of its value, and
// so do we: a page holding one loads as the browser shows it, and saving it
// writes the byte back unchanged, as earlier versions of ours did.
bool isUndefinedInCodePage(char32_t cp)
{
    return cp == 0x81 || cp == 0x8D || cp == 0x8F || cp == 0x90 || cp == 0x9D;
}

// Not QString::fromUcs4, which takes a U+FEFF first for a byte-order mark.
QString text(char32_t cp)
{
    return QStringView(QChar::fromUcs4(cp)).toString();
}

QString hex(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' '));
}

} // namespace

class TestPageFile final : public QObject
{
    Q_OBJECT

private slots:
    void savedBytes_data();
    void savedBytes();
    void loader_data();
    void loader();
    void previewFile();
    void saveFailureKeepsEarlierFile();
    void unreadableFilesAreReported_data();
    void unreadableFilesAreReported();
    void pageBody_data();
    void pageBody();
    void copyLeavesTheUsersFileAlone();
    void copyNeverOverwrites();
    void names_data();
    void names();
    void codePage_data();
    void codePage();
    void utf8Verdict_data();
    void utf8Verdict();
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
    session.setSessionFolder(QStringLiteral("/"));
    QCOMPARE(session.previewFilePath(), QStringLiteral("//viewtmp.html"));
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
    QTest::newRow("named pipe") << "pipe.html" << special;
    QTest::newRow("link to a named pipe") << "to-pipe.html" << special;
    QTest::newRow("link to a folder") << "to-folder.html" << folder;
    QTest::newRow("link to nothing") << "to-nothing.html" << missing;
    QTest::newRow("device") << "/dev/zero" << special;
}

void TestPageFile::unreadableFilesAreReported()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QDir here(dir.path());
    QVERIFY(here.mkdir(QStringLiteral("folder.html")));
    QVERIFY(test::makePipe(here.filePath(QStringLiteral("pipe.html"))));
    QVERIFY(QFile::link("pipe.html", here.filePath("to-pipe.html")));
    QVERIFY(QFile::link("folder.html", here.filePath("to-folder.html")));
    QVERIFY(QFile::link("gone.html", here.filePath("to-nothing.html")));
    LoadedPage page{QStringLiteral("untouched"), PageEncoding::Utf8};
    QString reason;
    QVERIFY(!loadPageFile(here.filePath(name), &page, &reason));
    QCOMPARE(reason, error);
    QCOMPARE(page.body, QStringLiteral("untouched"));
    QCOMPARE(page.encoding, PageEncoding::Utf8);
}

// The page as a run of changes: "+" appends, "=" replaces, "-" clears and
// ">" types at the end as in the Selection screen's field.
void TestPageFile::pageBody_data()
{
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("text");
    QTest::newRow("new") << QStringList() << QString();
    QTest::newRow("appended") << QStringList{"+X", "+\r\n<BR>", "+\r\n<P></P>"}
                              << "X\r\n<BR>\r\n<P></P>";
    QTest::newRow("appended after a replace")
        << QStringList{"+X", "=<HTML>\r\n<BODY>\r\n", "+A"} << "<HTML>\r\n<BODY>\r\nA";
    QTest::newRow("cleared") << QStringList{"+X", "-"} << QString();
    QTest::newRow("appended after clearing") << QStringList{"+X", "-", "+Y"} << "Y";
    QTest::newRow("line ends as CR LF") << QStringList{"+a\nb\rc\r\nd"} << "a\r\nb\r\nc\r\nd";
    QTest::newRow("empty lines kept") << QStringList{"=\r\n\r\nx\r\n"} << "\r\n\r\nx\r\n";
    // Shift+Enter in the field makes a line separator.
    QTest::newRow("typed") << QStringList{"=<HTML>\r\n", ">typed", u">\u2028more"_qs}
                           << "<HTML>\r\ntyped\r\nmore";
    QTest::newRow("characters kept")
        << QStringList{u"+a\u00A0b\tc \u20AC \u0436 \U0001F600 & < \""_qs}
        << u"a\u00A0b\tc \u20AC \u0436 \U0001F600 & < \""_qs;
}

void TestPageFile::pageBody()
{
    QFETCH(QStringList, changes);
    QFETCH(QString, text);
    PageBody page;
    for (const QString &change : changes) {
        const QString rest = change.mid(1);
        if (change.startsWith(u'+'))
            page.append(rest);
        else if (change.startsWith(u'='))
            page.replace(rest);
        else if (change.startsWith(u'-'))
            page.clear();
        else {
            QTextCursor cursor(page.document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(rest);
        }
    }
    QCOMPARE(page.text(), text);
    QCOMPARE(page.isEmpty(), text.isEmpty());
}

void TestPageFile::copyLeavesTheUsersFileAlone()
{
    QTemporaryDir mine;
    QTemporaryDir session;
    const QString source = mine.filePath(QStringLiteral("stone.jpg"));
    QVERIFY(writeBytes(source, "picture bytes"));
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner;
    QVERIFY(QFile::setPermissions(source, readOnly));

    const QString target = session.filePath(QStringLiteral("stone.jpg"));
    QCOMPARE(copyIntoFolder(source, target), CopyResult::Copied);
    QCOMPARE(readAll(target), QByteArray("picture bytes"));
    QVERIFY(QFile::permissions(target) & QFileDevice::WriteOwner);
    QCOMPARE(ownPermissions(source), readOnly);

    QCOMPARE(copyIntoFolder(target, target), CopyResult::SameFile);
    QCOMPARE(copyIntoFolder(mine.filePath(QStringLiteral("gone.jpg")),
                            session.filePath(QStringLiteral("gone.jpg"))),
             CopyResult::Failed);
    QCOMPARE(copyIntoFolder(source, session.filePath(QStringLiteral("deleted/stone.jpg"))),
             CopyResult::Failed);
}

void TestPageFile::copyNeverOverwrites()
{
    QTemporaryDir mine;
    QTemporaryDir session;
    const QString source = mine.filePath(QStringLiteral("a.gif"));
    QVERIFY(writeBytes(source, "new"));
    QVERIFY(writeBytes(session.filePath(QStringLiteral("a.gif")), "kept"));
    QCOMPARE(copyIntoFolder(source, session.filePath(QStringLiteral("a.gif"))),
             CopyResult::AlreadyThere);
    QCOMPARE(readAll(session.filePath(QStringLiteral("a.gif"))), QByteArray("kept"));

    // A hidden file of that name is kept as well.
    QVERIFY(writeBytes(mine.filePath(QStringLiteral(".b.gif")), "new"));
    QVERIFY(writeBytes(session.filePath(QStringLiteral(".b.gif")), "hidden"));
    QCOMPARE(copyIntoFolder(mine.filePath(QStringLiteral(".b.gif")),
                            session.filePath(QStringLiteral(".b.gif"))),
             CopyResult::AlreadyThere);
    QCOMPARE(readAll(session.filePath(QStringLiteral(".b.gif"))), QByteArray("hidden"));
}

// A picked file's bare name, and a saved page's name.
void TestPageFile::names_data()
{
    QTest::addColumn<QString>("got");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare") << bareFileName("/home/ann/pics/Stone.JPG") << "Stone.JPG";
    QTest::newRow("bare, odd characters")
        << bareFileName(u"/pics/my photo \u0436.gif"_qs) << u"my photo \u0436.gif"_qs;
    QTest::newRow("bare already") << bareFileName("plain.gif") << "plain.gif";
    QTest::newRow("no extension") << withPageExtension("page") << "page.html";
    QTest::newRow(".htm") << withPageExtension("page.htm") << "page.htm";
    QTest::newRow(".html") << withPageExtension("page.html") << "page.html";
    QTest::newRow(".HTML") << withPageExtension("page.HTML") << "page.HTML.html";
    QTest::newRow(".HTM") << withPageExtension("page.HTM") << "page.HTM.html";
}

void TestPageFile::names()
{
    QFETCH(QString, got);
    QFETCH(QString, expected);
    QCOMPARE(got, expected);
}

// The code page and the UTF-8 verdict against glibc's iconv, which shares no
// code with ours, over the whole input space or a dense sample of it.
void TestPageFile::codePage_data()
{
    QTest::addColumn<uint>("first");
    QTest::addColumn<uint>("last");
    QTest::newRow("ASCII") << 0x00u << 0x7Fu;
    QTest::newRow("C1 and the code page's own") << 0x80u << 0x9Fu;
    QTest::newRow("Latin-1") << 0xA0u << 0xFFu;
    QTest::newRow("rest of the BMP") << 0x100u << 0xFFFFu;
    QTest::newRow("other planes") << 0x10000u << 0x10FFFFu;
}

// Each byte decoded, and each code point encoded: a single byte where
// iconv has one, else its decimal reference, which iconv must refuse too.
void TestPageFile::codePage()
{
    QFETCH(uint, first);
    QFETCH(uint, last);
    Iconv decoder("UTF-32LE", "WINDOWS-1252");
    Iconv encoder("CP1252", "UTF-32LE");
    QVERIFY(decoder.isOpen() && encoder.isOpen());
    QStringList wrong;
    for (char32_t cp = first; cp <= last && wrong.size() < 10; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue; // no code point: the page writer's own tests cover half pairs
        if (cp < 0x100) {
            const char byte = char(cp);
            QByteArray utf32;
            char32_t expected = cp;
            if (decoder.convert(QByteArrayView(&byte, 1), &utf32))
                expected = qFromLittleEndian<quint32>(utf32.constData());
            else if (!isUndefinedInCodePage(cp))
                wrong << QStringLiteral("iconv refuses byte %1").arg(uint(cp), 2, 16);
            const QString ours = fromWindows1252(QByteArrayView(&byte, 1));
            if (ours != text(expected))
                wrong << QStringLiteral("byte %1 reads as %2")
                             .arg(uint(cp), 2, 16)
                             .arg(hex(ours.toUtf8()));
        }
        const quint32 in = qToLittleEndian(quint32(cp));
        QByteArray expected;
        // glibc drops the tag characters U+E0000 to U+E007F without a word;
        // we keep them as references, like any other character.
        if (!encoder.convert(QByteArrayView(reinterpret_cast<const char *>(&in), 4), &expected) ||
            (cp >= 0xE0000 && cp <= 0xE007F && expected.isEmpty()))
            expected = isUndefinedInCodePage(cp) ? QByteArray(1, char(cp))
                                                 : "&#" + QByteArray::number(quint32(cp)) + ';';
        const QByteArray ours = toWindows1252(text(cp));
        if (ours != expected)
            wrong << QStringLiteral("U+%1 writes %2, not %3")
                         .arg(uint(cp), 4, 16, QLatin1Char('0'))
                         .arg(hex(ours), hex(expected));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
}

void TestPageFile::utf8Verdict_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("inContext");
    for (const int length : {1, 2, 3, 4}) {
        QTest::addRow("%d bytes alone", length) << length << false;
        QTest::addRow("%d bytes in ASCII", length) << length << true;
    }
}

// Whether bytes load as UTF-8: so iconv must find them valid and holding a
// byte above ASCII. Every sequence of up to three bytes; of four, every
// first byte with the edge values of the others (overlong forms, surrogates,
// beyond U+10FFFF, ASCII and stray bytes between). One deliberate exception:
// a page that begins with the byte-order mark is UTF-8 whatever follows, as
// in browsers.
void TestPageFile::utf8Verdict()
{
    QFETCH(int, length);
    QFETCH(bool, inContext);
    static const uchar kEdges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F,
                                   0xA0, 0xBF, 0xC0, 0xC2, 0xED, 0xF4, 0xFF};
    const QByteArray before = inContext ? QByteArrayLiteral("<P>") : QByteArray();
    const QByteArray after = inContext ? QByteArrayLiteral("</P>") : QByteArray();
    Iconv utf8("UTF-32LE", "UTF-8");
    QVERIFY(utf8.isOpen());

    QByteArray page = before + QByteArray(length, '\0') + after;
    char *const sequence = page.data() + before.size();
    const int edges = int(sizeof kEdges);
    const qint64 count = length == 4 ? 256 * edges * edges * edges : qint64(1) << (8 * length);
    QStringList wrong;
    qint64 agreed = 0;
    for (qint64 i = 0; i < count && wrong.size() < 10; ++i) {
        if (length == 4) {
            sequence[0] = char(i / (edges * edges * edges));
            for (int k = 1, rest = int(i % (edges * edges * edges)); k < 4; ++k, rest /= edges)
                sequence[k] = char(kEdges[rest % edges]);
        } else {
            for (int k = 0; k < length; ++k)
                sequence[k] = char(i >> (8 * (length - 1 - k)));
        }
        const bool high = std::any_of(sequence, sequence + length, [](char c) { return c < 0; });
        const bool expected = page.startsWith("\xEF\xBB\xBF") || (high && utf8.convert(page));
        const bool ours = readPageBytes(page).encoding != PageEncoding::Windows1252;
        if (ours == expected)
            ++agreed;
        else
            wrong << hex(QByteArrayView(sequence, length)) +
                         (ours ? " read as UTF-8" : " not read as UTF-8");
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
    QCOMPARE(agreed, count);
}

QTEST_MAIN(TestPageFile)
#include "tst_page_file.moc"

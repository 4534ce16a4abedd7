#include "document/files.h"
#include "document/page_body.h"
#include "document/page_file.h"
#include "document/recovery.h"
#include "document/session.h"
#include "document/windows1252.h"
#include "html/modern.h"
#include "support/files.h"
#include "support/mount.h"
#include "support/worked_example.h"

#include <QDir>
#include <QPlainTextDocumentLayout>
#include <QSignalSpy>
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

// An iconv conversion direction, reused for every input.
using Iconv = std::unique_ptr<void, int (*)(iconv_t)>;

Iconv openIconv(const char *to, const char *from)
{
    const iconv_t cd = iconv_open(to, from);
    return Iconv(cd == iconv_t(-1) ? nullptr : cd, iconv_close);
}

// The whole input converted, or false where iconv refuses any of it
// (including a sequence cut short at the end).
bool converts(const Iconv &cd, QByteArrayView in, QByteArray *out = nullptr)
{
    char buffer[64];
    char *inAt = const_cast<char *>(in.data());
    size_t inLeft = size_t(in.size());
    char *outAt = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    if (inLeft * 4 > sizeof buffer ||
        iconv(cd.get(), &inAt, &inLeft, &outAt, &outLeft) == size_t(-1) || inLeft != 0 ||
        iconv(cd.get(), nullptr, nullptr, &outAt, &outLeft) == size_t(-1))
        return false;
    if (out)
        *out = QByteArray(buffer, outAt - buffer);
    return true;
}

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

const QString kFolder = u"/home/\u03a9mega/a=b\nc %41"_qs;

KeptPage pageKept(const QString &body, bool saved = false)
{
    const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9, 10), Qt::UTC);
    return {body, kFolder, kFolder + "/out", PageEncoding::Utf8WithBom, saved, when};
}
} // namespace

class TestPageFile final : public QObject
{
    Q_OBJECT

private slots:
    void savedBytes_data();
    void savedBytes();
    void modernPageRecognised_data();
    void modernPageRecognised();
    void modernPageSavedTwiceIsTheSame();
    void previewFile();
    void saveFailureKeepsEarlierFile();
    void unreadableFilesAreReported_data();
    void unreadableFilesAreReported();
    void pageBody_data();
    void pageBody();
    void copyLeavesTheUsersFileAlone();
    void codePage();
    void utf8Verdict_data();
    void utf8Verdict();
    void keptAsEdited_data();
    void keptAsEdited();
    void fileFoundAtStart_data();
    void fileFoundAtStart();
    void unwritableFolderSaidOnce_data();
    void unwritableFolderSaidOnce();
};

// The bytes a page body is saved as, and what loading them gives back in the
// same encoding; a row with no body is a file from elsewhere, loaded as it is.
void TestPageFile::savedBytes_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("encoding");     // saved and loaded in
    QTest::addColumn<QByteArray>("bytes"); // saved: before the closing lines
    QTest::addColumn<QString>("loaded");   // null: the body and the line end before the closing
    const auto saved = [](const char *name, const QString &body, int encoding,
                          const QByteArray &bytes, const QString &loaded = {}) {
        QTest::newRow(name) << body << encoding << bytes << loaded;
    };
    const auto file = [](const char *name, const QByteArray &bytes, const QString &body,
                         int encoding) {
        QTest::newRow(name) << QString() << encoding << bytes << body;
    };
    // The worked example's page body: its saved file without the closing lines.
    const QByteArray worked = test::kWorkedExampleFile.chopped(kClosing.size());
    // clang-format off
    saved("worked example", QString::fromLatin1(worked), W1252, worked);
    saved("ending in CR LF", "<BR>\r\n", W1252, "<BR>\r\n", "<BR>\r\n");
    saved("code page", "\u20AC caf\u00E9 \u00A0\u00FF \u201Cq\u201D \u2122 \u0178", W1252,
        "\x80 caf\xE9 \xA0\xFF \x93q\x94 \x99 \x9F");
    saved("references", "\u0436 a\U0001F600b \u0080\u0081", W1252, "&#1078; a&#128512;b &#128;\x81",
        "&#1078; a&#128512;b &#128;\u0081\r\n");
    saved("NUL", u"a"_qs + QChar(0) + "b", W1252, QByteArray("a\0b", 3));
    saved("UTF-8 with a mark", "\u0436", Utf8WithBom, "\xEF\xBB\xBF\xD0\xB6");
    // Cases the page fuzzers found, kept so that they stay fixed.
    saved("a second mark is a character", u"\uFEFFtwo\r\n"_qs, Utf8WithBom,
        "\xEF\xBB\xBF\xEF\xBB\xBFtwo\r\n", u"\uFEFFtwo\r\n"_qs);
    // Without a mark, a U+FEFF first would be taken for one and dropped.
    saved("UTF-8 starting with U+FEFF", u"\uFEFF\u0436"_qs, Utf8, "&#65279;\xD0\xB6", "&#65279;\u0436\r\n");
    saved("U+FEFF later on", "a\uFEFF", Utf8, "a\xEF\xBB\xBF");
    // Half a pair is no character: Qt's encoder writes '?', a real question mark.
    const QString halves = u"a"_qs + QChar(0xD83D) + "b\U0001F600" + QChar(0xDC00);
    saved("half pairs, UTF-8", halves, Utf8, "a\xEF\xBF\xBD" "b\xF0\x9F\x98\x80\xEF\xBF\xBD",
        "a\uFFFDb\U0001F600\uFFFD\r\n");
    saved("half pairs, Windows-1252", halves, W1252, "a&#65533;b&#128512;&#65533;", "a&#65533;b&#128512;&#65533;\r\n");
    // A Windows-1252 page must never read back as UTF-8.
    saved("looks like a UTF-8 sequence", "<P>\u00C3\u00A9</P>", W1252, "<P>&#195;\xA9</P>", "<P>&#195;\u00A9</P>\r\n");
    saved("looks like a mark", "\u00EF\u00BB\u00BF2\u00C3", W1252, "&#239;\xBB\xBF" "2\xC3",
        "&#239;\u00BB\u00BF2\u00C3\r\n");
    saved("looks like four bytes", "\u00F0\u0178\u02DC\u20AC", W1252, "&#240;\x9F\x98\x80",
        "&#240;\u0178\u02DC\u20AC\r\n");
    saved("only the first is changed", "\u00C3\u00A9 \u00C3\u00A9", W1252, "&#195;\xA9 \xC3\xA9",
        "&#195;\u00A9 \u00C3\u00A9\r\n");
    saved("no UTF-8 in it", "caf\u00E9 \u00C3(\u00A9", W1252, "caf\xE9 \xC3(\xA9");
    file("closing on a text line", "<HTML>\r\nlast words</BODY></HTML>\r\n", "<HTML>\r\n", W1252);
    file("empty lines", "a\r\n\r\n\r\nb", "a\r\nb\r\n", W1252);
    file("lower case kept", "x\r\n</body>\r\n</html>\r\n", "x\r\n</body>\r\n</html>\r\n", W1252);
    file("LF alone", "<HTML>\n<BODY>\nhello\n</BODY>\n</HTML>\n", "<HTML>\r\n<BODY>\r\nhello\r\n", W1252);
    file("mixed line ends", "a\r\n\nb\r\rc\n\rd", "a\r\nb\r\nc\r\nd\r\n", W1252);
    file("nothing", QByteArray(), QString(), W1252);
    file("not valid UTF-8", "\xC3(", "\u00C3(\r\n", W1252);
    file("UTF-8", "<P>\xD0\xB6 \xE2\x82\xAC</P>\n</BODY>\n", "<P>\u0436 \u20AC</P>\r\n", Utf8);
    file("a mark on a later line is no mark", "\n\xEF\xBB\xBF\x1F\x8D", "\u00EF\u00BB\u00BF\x1F\u008D\r\n", W1252);
    // clang-format on
}

void TestPageFile::savedBytes()
{
    QFETCH(QString, body);
    QFETCH(int, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, loaded);
    if (!body.isNull()) {
        QCOMPARE(savedPageBytes(body, PageEncoding(encoding)), bytes + kClosing);
        bytes += kClosing;
    }
    const LoadedPage page = readPageBytes(bytes);
    QCOMPARE(page.body, body.isNull() || !loaded.isNull() ? loaded : body + "\r\n");
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
    const QString preview = dir.filePath(u"viewtmp.html"_qs);
    QVERIFY(session.writePreview());
    QCOMPARE(readAll(preview), QByteArray("\r\n"));
    session.page().append(u"<HTML>\r\n<BR>\r\nsome longer text than later"_qs);
    QVERIFY(session.writePreview());
    session.page().replace(u"<P>"_qs);
    QVERIFY(session.writePreview());
    QCOMPARE(readAll(preview), QByteArray("<P>\r\n"));
    // The encoding is the page's until a new page is begun.
    session.setPageEncoding(PageEncoding::Utf8);
    session.beginPage(u"<HTML>\r\n"_qs);
    QCOMPARE(session.pageEncoding(), PageEncoding::Windows1252);
    session.setSessionFolder(QDir::toNativeSeparators(dir.filePath(u"gone"_qs)));
    QVERIFY(!session.writePreview()); // harmless: the caller passes over it
    session.setSessionFolder(u"/"_qs);
    QCOMPARE(session.previewFilePath(), u"//viewtmp.html"_qs);
}

void TestPageFile::saveFailureKeepsEarlierFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"page.html"_qs);
    const QByteArray earlier("<HTML>\r\nthe earlier page\r\n</BODY>\r\n</HTML>\r\n\r\n");
    QVERIFY(writeBytes(path, earlier));
    // No folder there, and a folder in the way of the file.
    QVERIFY(QDir(dir.path()).mkdir(u"folder.html"_qs));
    QString error;
    for (const char *name : {"no/such/folder/page.html", "folder.html"}) {
        QVERIFY(!SaveFile(dir.filePath(name), u"x"_qs, PageEncoding::Windows1252, &error));
        QVERIFY(!error.isEmpty());
        error.clear();
    }
    // A disk that fills up half-way: writes past the size limit fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved =
        SaveFile(path, QString(200000, QLatin1Char('x')), PageEncoding::Windows1252, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), earlier);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"page.html"_qs});
}

// Nothing that is not an ordinary file is read, and nothing waits: a named
// pipe would block the reader until something wrote to it.
void TestPageFile::unreadableFilesAreReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    const QString missing = u"No such file or directory"_qs;
    const QString folder = u"it is a folder, not a file"_qs;
    const QString special = u"it is not an ordinary file"_qs;
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
    QVERIFY(here.mkdir(u"folder.html"_qs));
    QVERIFY(test::makePipe(here.filePath(u"pipe.html"_qs)));
    QVERIFY(QFile::link("pipe.html", here.filePath("to-pipe.html")));
    QVERIFY(QFile::link("folder.html", here.filePath("to-folder.html")));
    QVERIFY(QFile::link("gone.html", here.filePath("to-nothing.html")));
    LoadedPage page{u"untouched"_qs, PageEncoding::Utf8};
    QString reason;
    QVERIFY(!loadPageFile(here.filePath(name), &page, &reason));
    QCOMPARE(reason, error);
    QCOMPARE(page.body, u"untouched"_qs);
    QCOMPARE(page.encoding, PageEncoding::Utf8);
}

// The page as a run of changes: "+" appends, "=" replaces, "-" clears and
// ">" types at the end as in the Selection screen's field.
void TestPageFile::pageBody_data()
{
    // clang-format off
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("text");
    QTest::newRow("new") << QStringList() << QString();
    QTest::newRow("appended") << QStringList{"+X", "+\r\n<BR>", "+\r\n<P></P>"} << "X\r\n<BR>\r\n<P></P>";
    QTest::newRow("appended after a replace")
        << QStringList{"+X", "=<HTML>\r\n<BODY>\r\n", "+A"} << "<HTML>\r\n<BODY>\r\nA";
    QTest::newRow("appended after clearing") << QStringList{"+X", "-", "+Y"} << "Y";
    QTest::newRow("line ends as CR LF") << QStringList{"+a\nb\rc\r\nd"} << "a\r\nb\r\nc\r\nd";
    QTest::newRow("empty lines kept") << QStringList{"=\r\n\r\nx\r\n"} << "\r\n\r\nx\r\n";
    // Shift+Enter in the field makes a line separator.
    QTest::newRow("typed") << QStringList{"=<HTML>\r\n", ">typed", u">\u2028more"_qs}
                           << "<HTML>\r\ntyped\r\nmore";
    QTest::newRow("characters kept")
        << QStringList{u"+a\u00A0b\tc \u20AC \u0436 \U0001F600 & < \""_qs}
        << u"a\u00A0b\tc \u20AC \u0436 \U0001F600 & < \""_qs;
    // clang-format on
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
    QTemporaryDir mine, session;
    const QString source = mine.filePath(u"stone.jpg"_qs);
    QVERIFY(writeBytes(source, "picture bytes"));
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner;
    QVERIFY(QFile::setPermissions(source, readOnly));

    const QString target = session.filePath(u"stone.jpg"_qs);
    QCOMPARE(copyIntoFolder(source, target), CopyResult::Copied);
    QCOMPARE(readAll(target), QByteArray("picture bytes"));
    QVERIFY(QFile::permissions(target) & QFileDevice::WriteOwner);
    QCOMPARE(ownPermissions(source), readOnly);

    QCOMPARE(copyIntoFolder(target, target), CopyResult::SameFile);
    QCOMPARE(copyIntoFolder(mine.filePath(u"gone.jpg"_qs), session.filePath(u"gone.jpg"_qs)),
             CopyResult::Failed);
    QCOMPARE(copyIntoFolder(source, session.filePath(u"deleted/stone.jpg"_qs)), CopyResult::Failed);
    // Never over a file of the name (the picture-copy Fix of Check page's walk
    // meets one), though it be hidden.
    QVERIFY(writeBytes(session.filePath(u".b.gif"_qs), "hidden"));
    QCOMPARE(copyIntoFolder(source, session.filePath(u".b.gif"_qs)), CopyResult::AlreadyThere);
    QCOMPARE(readAll(session.filePath(u".b.gif"_qs)), QByteArray("hidden"));
}

// The code page and the UTF-8 verdict against glibc's iconv, which shares no
// code with ours, over the whole input space or a dense sample of it.
// Each byte decoded, and each code point encoded: a single byte where
// iconv has one, else its decimal reference, which iconv must refuse too.
void TestPageFile::codePage()
{
    const Iconv decoder = openIconv("UTF-32LE", "WINDOWS-1252");
    const Iconv encoder = openIconv("CP1252", "UTF-32LE");
    QVERIFY(decoder && encoder);
    QStringList wrong;
    for (char32_t cp = 0; cp <= 0x10FFFF && wrong.size() < 10; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue; // no code point: the page writer's own tests cover half pairs
        if (cp < 0x100) {
            const char byte = char(cp);
            QByteArray utf32;
            char32_t expected = cp;
            if (converts(decoder, QByteArrayView(&byte, 1), &utf32))
                expected = qFromLittleEndian<quint32>(utf32.constData());
            else if (!isUndefinedInCodePage(cp))
                wrong << u"iconv refuses byte %1"_qs.arg(uint(cp), 2, 16);
            const QString ours = fromWindows1252(QByteArrayView(&byte, 1));
            if (ours != text(expected))
                wrong << u"byte %1 reads as %2"_qs.arg(uint(cp), 2, 16).arg(hex(ours.toUtf8()));
        }
        const quint32 in = qToLittleEndian(quint32(cp));
        QByteArray expected;
        // glibc drops the tag characters U+E0000 to U+E007F without a word;
        // we keep them as references, like any other character.
        if (!converts(encoder, QByteArrayView(reinterpret_cast<const char *>(&in), 4), &expected) ||
            (cp >= 0xE0000 && cp <= 0xE007F && expected.isEmpty()))
            expected = isUndefinedInCodePage(cp) ? QByteArray(1, char(cp))
                                                 : "&#" + QByteArray::number(quint32(cp)) + ';';
        const QByteArray ours = toWindows1252(text(cp));
        if (ours != expected)
            wrong << u"U+%1 writes %2, not %3"_qs.arg(uint(cp), 4, 16, QLatin1Char('0'))
                         .arg(hex(ours), hex(expected));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"; "_qs)));
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
    const Iconv utf8 = openIconv("UTF-32LE", "UTF-8");
    QVERIFY(utf8);

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
        const bool expected = page.startsWith("\xEF\xBB\xBF") || (high && converts(utf8, page));
        const bool ours = readPageBytes(page).encoding != PageEncoding::Windows1252;
        if (ours == expected)
            ++agreed;
        else
            wrong << hex(QByteArrayView(sequence, length)) +
                         (ours ? " read as UTF-8" : " not read as UTF-8");
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u"; "_qs)));
    QCOMPARE(agreed, count);
}

// The page kept exactly as edited, and what a start makes of the file that
// keeps it: the page offered back as it was, a saved page's file removed, a
// damaged file put aside untouched, a newer program's file left alone. A
// folder that cannot take the file is said once, and again after it worked.
// An edit by hand, then the page kept at once.
void TestPageFile::keptAsEdited_data()
{
    QTest::addColumn<int>("at");     // -1: the end
    QTest::addColumn<int>("remove"); // -1: all that follows
    QTest::addColumn<QString>("insert");
    QTest::addColumn<bool>("undo");
    QTest::addColumn<QString>("pasted"); // at 10, before the edit
    QTest::addColumn<QString>("start");  // null: a short page
    const auto row = [](const char *name, int at, int remove, const QString &insert,
                        bool undo = false, const QString &pasted = {}, const QString &start = {}) {
        QTest::newRow(name) << at << remove << insert << undo << pasted << start;
    };
    row("typed in a line", 10, 0, "x");
    row("line broken", 10, 0, "\n");
    row("lines joined", 6, 3, {});
    row("across lines", 3, 20, u"a\r\nb\u2028c"_qs);
    row("appended", -1, 0, "\r\n<BR>");
    row("all replaced", 0, -1, "new\npage");
    row("undone", 4, 12, "\n\n", true);
    // Longer than a piece of the copy the keeper follows, and across pieces.
    QString long40k;
    for (int i = 0; long40k.size() < 40000; ++i)
        long40k += u"<P>%1 caf\u00e9 \U0001F600</P>\n"_qs.arg(i);
    row("40000 characters replace a few", 3, 20, long40k);
    row("all replaced by 40000", 0, -1, long40k);
    row("40000 replace 40000 across pieces", 30000, 40000, long40k.right(40001), false,
        long40k + long40k + long40k);
    row("a break at a piece's end", 32768, 1, "\n", false, long40k);
    row("40000 pasted, undone", 0, -1, long40k, true, long40k);
    // Edits at the ends of pieces, on a page begun in whole pieces.
    QString lines;
    while (lines.size() < 3 * 32768)
        lines += u"<P>A line of the page</P>\n"_qs;
    row("typed at a piece's end", 32768, 0, "x", false, {}, lines);
    row("typed before a piece's end", 32767, 0, "x", false, {}, lines);
    row("deleted across a piece's end", 32767, 2, {}, false, {}, lines);
    row("a piece's last character replaced", 32767, 1, "y\nz", false, {}, lines);
    row("a whole piece removed", 32768, 32768, {}, false, {}, lines);
    row("a piece and a bit replaced", 32767, 32770, "q", false, {}, lines);
}

void TestPageFile::keptAsEdited()
{
    QFETCH(int, at);
    QFETCH(int, remove);
    QFETCH(QString, insert);
    QFETCH(bool, undo);
    QFETCH(QString, pasted);
    QFETCH(QString, start);
    QTemporaryDir folder;
    Session session;
    session.keepPageIn(folder.path());
    // As in the Selection screen's field, which reports each change.
    session.page().document()->setDocumentLayout(
        new QPlainTextDocumentLayout(session.page().document()));
    session.beginPage(start.isNull() ? u"<HTML>\r\n<BODY>\r\nline one\r\n\r\nline two\r\n"_qs
                                     : start);
    QTextCursor cursor(session.page().document());
    cursor.setPosition(10);
    cursor.insertText(pasted);
    cursor.movePosition(at < 0 ? QTextCursor::End : QTextCursor::Start);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, qMax(at, 0));
    if (remove < 0)
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, qMax(remove, 0));
    cursor.insertText(insert);
    if (undo)
        session.page().document()->undo();

    QSignalSpy written(session.pageKeeper(), &PageKeeper::written);
    session.pageKeeper()->keepNow();
    QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 30000);
    const QStringList files = QDir(folder.path()).entryList({u"*.recovery"_qs});
    const std::optional<KeptPage> kept = readKeptPage(readAll(folder.filePath(files.value(0))));
    QVERIFY(kept);
    QCOMPARE(kept->body, session.page().text());
}

// What a start does with the file.
enum class Found { Offered, Removed, PutAside, Left };
Q_DECLARE_METATYPE(Found)

void TestPageFile::fileFoundAtStart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("offered"); // null: none
    QTest::addColumn<Found>("found");
    QTest::addColumn<QString>("special"); // "fifo": a named pipe; else a link to it
    const QString bodies[] = {
        u"<P>\r\n\r\nkept=1\n\nsaved=1\r\n"_qs, QString::fromUtf16(u"a\0b\rc\nd\r", 8),
        QString(32767, QLatin1Char('a')) + u"\U0001F600"_qs + QString(32767, QChar(0x65e5))};
    for (const QString &body : bodies)
        QTest::addRow("body %d", int(&body - bodies))
            << keptPageBytes(pageKept(body)) << body << Found::Offered << QString();
    // Found, but not offered.
    const auto row = [](const char *name, const QByteArray &bytes, Found found,
                        const QString &special = {}) {
        QTest::newRow(name) << bytes << QString() << found << special;
    };
    row("saved", keptPageBytes(pageKept(u"x"_qs, true)), Found::Removed);
    const QByteArray good = keptPageBytes(pageKept(u"Hello"_qs));
    QByteArray bodyByte = good, headByte = good;
    bodyByte[bodyByte.size() - 2] = 'X';
    headByte[headByte.indexOf("saved=0") + 6] = '1';
    row("empty", QByteArray(), Found::PutAside);
    row("cut in the head", good.left(60), Found::PutAside);
    row("a byte of the body changed", bodyByte, Found::PutAside);
    row("a byte of the head changed", headByte, Found::PutAside);
    // A later version's page: not ours to read, judge or move.
    const QByteArray rest = good.mid(good.indexOf('\n'));
    row("format 2", "Tarnwell kept page 2" + rest, Found::Left);
    row("format 10, another layout", "Tarnwell kept page 10\nsomething else entirely", Found::Left);
    row("format beyond any number", "Tarnwell kept page 99999999999999999999" + rest, Found::Left);
    row("format 0", "Tarnwell kept page 0" + rest, Found::PutAside);
    row("format 2 with more", "Tarnwell kept page 2b" + rest, Found::PutAside);
    row("format +2", "Tarnwell kept page +2" + rest, Found::PutAside);
    row("format 2, no line end", "Tarnwell kept page 2", Found::PutAside);
    // A start neither waits on a named pipe nor reads a device without end.
    // What is listed as a file but is none is reported and put aside like a
    // damaged file; the rest is not looked at.
    row("named pipe", {}, Found::Left, "fifo");
    row("link to a named pipe", {}, Found::PutAside, "pipe");
    row("link to a device", {}, Found::PutAside, "/dev/zero");
    row("link to a folder", {}, Found::Left, ".");
}

void TestPageFile::fileFoundAtStart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, offered);
    QFETCH(Found, found);
    QFETCH(QString, special);
    QTemporaryDir folder;
    const QString path = folder.filePath(u"page-a.recovery"_qs);
    if (special.isNull()) {
        QVERIFY(writeBytes(path, bytes));
    } else {
        QVERIFY(test::makePipe(special == u"fifo" ? path : folder.filePath(u"pipe"_qs)));
        QVERIFY(special == u"fifo" || QFile::link(special, path));
    }
    Session session;
    session.keepPageIn(folder.path());
    const LeftPages left = session.pageKeeper()->leftPages();
    QCOMPARE(left.pages.size(), size_t(found == Found::Offered));
    if (found == Found::Offered) {
        QCOMPARE(left.pages.front().page.body, offered);
        // And every other field as it was.
        QCOMPARE(keptPageBytes(left.pages.front().page), keptPageBytes(pageKept(offered)));
    }
    QCOMPARE(left.unreadable.size(), qsizetype(found == Found::PutAside));
    const bool stays = found == Found::Offered || found == Found::Left;
    QCOMPARE(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), stays);
    if (!special.isNull())
        return; // nothing more to read, a pipe least of all
    QVERIFY(found != Found::PutAside || readAll(left.unreadable.value(0)) == bytes);
    QVERIFY(!stays || readAll(path) == bytes);
    QCOMPARE(QDir(folder.path()).entryList({u"*.recovery"_qs}, QDir::Files),
             stays ? QStringList{u"page-a.recovery"_qs} : QStringList());
}

// How the data folder is spoiled: a file in its place or above it, or a
// small file system of its own, full or read-only, real even for root.
enum class Spoil { FileInPlace, FileAbove, Full, ReadOnly };
Q_DECLARE_METATYPE(Spoil)

// The data folder spoiled, mended and spoiled again: one message each time
// it is spoiled, however many writes fail meanwhile, and nothing kept lost.
void TestPageFile::unwritableFolderSaidOnce_data()
{
    // clang-format off
    QTest::addColumn<Spoil>("spoil");
    QTest::addColumn<QString>("folder"); // where pages are kept, under {T}
    QTest::addColumn<QString>("reason");
    QTest::newRow("a file in its place") << Spoil::FileInPlace << "Tarnwell"
                                         << "the folder {T}/Tarnwell is not a folder";
    QTest::newRow("a file above it") << Spoil::FileAbove << "share/Tarnwell"
                                     << "the folder {T}/share/Tarnwell cannot be made";
    QTest::newRow("disk full") << Spoil::Full << "disk/Tarnwell" << "no space left on device";
    QTest::newRow("read-only") << Spoil::ReadOnly << "Tarnwell" << "read-only file system";
    // clang-format on
}

void TestPageFile::unwritableFolderSaidOnce()
{
    QFETCH(Spoil, spoil);
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QTemporaryDir top;
    const QDir place(top.path());
    reason.replace(u"{T}"_qs, QDir::cleanPath(top.path()));
    const QString kept = place.filePath(folder);
    const QString spoiler = place.filePath(folder.section(QLatin1Char('/'), 0, 0));
    const QString filler = place.filePath(u"disk/filler"_qs);
    const bool mounts = spoil == Spoil::Full || spoil == Spoil::ReadOnly;
    REQUIRE_HERE(!mounts || geteuid() == 0, "mounting a file system needs root");
    test::Mount disk(place.filePath(u"disk"_qs)), over(kept);
    REQUIRE_MOUNT(spoil != Spoil::Full || disk.mount(u"size=64k"_qs));
    QVERIFY(!mounts || place.mkpath(folder));
    // Each, true when done.
    const auto spoilIt = [&] {
        if (spoil == Spoil::ReadOnly) // over files the keeper may hold open
            return over.mount(u"ro,size=64k"_qs);
        if (spoil == Spoil::Full) {
            QFile file(filler);
            while (file.isOpen() || file.open(QIODevice::WriteOnly)) {
                if (file.write(QByteArray(4096, 'x')) != 4096 || !file.flush())
                    return true;
            }
            return false;
        }
        return QDir(spoiler).removeRecursively() && writeBytes(spoiler, "not a folder");
    };
    const auto mend = [&] {
        return spoil == Spoil::ReadOnly ? over.unmount()
                                        : QFile::remove(spoil == Spoil::Full ? filler : spoiler);
    };
    Session session;
    session.keepPageIn(kept);
    PageKeeper *keeper = session.pageKeeper();
    QSignalSpy said(keeper, &PageKeeper::cannotKeep);
    QSignalSpy written(keeper, &PageKeeper::written);
    const auto keep = [&](const QString &text, bool ok) {
        session.page().append(text);
        written.clear();
        keeper->keepNow();
        return QTest::qWaitFor([&] { return !written.isEmpty(); }, 30000) &&
               written.at(0).at(0).toBool() == ok;
    };

    QVERIFY(spoilIt());
    QVERIFY(keep(u"<P>one"_qs, false));
    QVERIFY(keep(u"<P>two"_qs, false));
    QCOMPARE(said.size(), 1);
    QCOMPARE(said.at(0).at(0).toString(), reason);
    QVERIFY(mend());
    QVERIFY(keep(u"<P>three"_qs, true));
    const QString file = QDir(kept).entryInfoList({u"*.recovery"_qs}).value(0).filePath();
    const QByteArray before = readAll(file);
    const std::optional<KeptPage> page = readKeptPage(before);
    QVERIFY(page);
    QCOMPARE(page->body, u"<P>one<P>two<P>three"_qs);
    QVERIFY(spoilIt());
    QVERIFY(keep(u"<P>four"_qs, false));
    QVERIFY(keep(u"<P>five"_qs, false));
    QCOMPARE(said.size(), 2);
    QCOMPARE(said.at(1).at(0).toString(), reason);
    QVERIFY(mend());
    if (mounts) // a disk that failed spoiled nothing kept before
        QCOMPARE(readAll(file), before);
}

QTEST_MAIN(TestPageFile)
#include "tst_page_file.moc"

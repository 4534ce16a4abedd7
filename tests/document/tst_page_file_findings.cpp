// Cases the page fuzzers found, kept so that they stay fixed.
#include "document/page_file.h"
#include "document/windows1252.h"

#include <QTest>

using namespace tarnwell;

namespace {
const QByteArray kClosing = QByteArrayLiteral("\r\n</BODY>\r\n</HTML>\r\n\r\n");

QString loneHigh()
{
    return QString(QChar(0xD83D));
}
} // namespace

class TestPageFileFindings final : public QObject
{
    Q_OBJECT

private slots:
    void loaderKeepsZeroWidthNoBreakSpaceAfterMark();
    void loaderKeepsZeroWidthNoBreakSpaceOnLaterLine();
    void utf8PageStartingWithZeroWidthNoBreakSpace();
    void utf8WriterMarksHalfSurrogatePair();
    void windows1252PageThatLooksLikeUtf8_data();
    void windows1252PageThatLooksLikeUtf8();
    void windows1252PageThatIsNotUtf8StaysAsItWas();
};

void TestPageFileFindings::loaderKeepsZeroWidthNoBreakSpaceAfterMark()
{
    // Only the first mark is the byte-order mark; a second is a character.
    const LoadedPage page = readPageBytes("\xEF\xBB\xBF\xEF\xBB\xBFtwo\r\n");
    QCOMPARE(page.encoding, PageEncoding::Utf8WithBom);
    QCOMPARE(page.body, QStringLiteral("\uFEFFtwo\r\n"));
    QCOMPARE(savedPageBytes(page.body, page.encoding),
             QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFtwo\r\n") + kClosing);
}

void TestPageFileFindings::loaderKeepsZeroWidthNoBreakSpaceOnLaterLine()
{
    const LoadedPage page = readPageBytes("\n\xEF\xBB\xBF\x1F\x8D");
    QCOMPARE(page.encoding, PageEncoding::Windows1252);
    QCOMPARE(page.body, QStringLiteral("\u00EF\u00BB\u00BF\x1F\u008D\r\n"));
    const LoadedPage again = readPageBytes(savedPageBytes(page.body, page.encoding));
    QCOMPARE(again.encoding, PageEncoding::Windows1252);
    QCOMPARE(again.body, QStringLiteral("&#239;\u00BB\u00BF\x1F\u008D\r\n"));
}

void TestPageFileFindings::utf8PageStartingWithZeroWidthNoBreakSpace()
{
    // Without a mark, a U+FEFF first would be taken for one and dropped.
    const QString body = QStringLiteral("\uFEFF\u0436");
    const QByteArray bytes = savedPageBytes(body, PageEncoding::Utf8);
    QCOMPARE(bytes, QByteArray("&#65279;\xD0\xB6") + kClosing);
    const LoadedPage page = readPageBytes(bytes);
    QCOMPARE(page.encoding, PageEncoding::Utf8);
    QCOMPARE(page.body, QStringLiteral("&#65279;\u0436\r\n"));

    // With the mark, the character follows it as it is.
    const QByteArray marked = savedPageBytes(body, PageEncoding::Utf8WithBom);
    QCOMPARE(marked, QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF\xD0\xB6") + kClosing);
    QCOMPARE(readPageBytes(marked).body, body + QStringLiteral("\r\n"));
    QCOMPARE(readPageBytes(marked).encoding, PageEncoding::Utf8WithBom);

    // Later on it is an ordinary character.
    QCOMPARE(savedPageBytes(QStringLiteral("a\uFEFF"), PageEncoding::Utf8),
             QByteArray("a\xEF\xBB\xBF") + kClosing);
}

void TestPageFileFindings::utf8WriterMarksHalfSurrogatePair()
{
    // Half a pair is no character. Qt's encoder writes '?', which reads back
    // as a real question mark; the page writes U+FFFD, as Windows-1252 does.
    const QString body =
        QStringLiteral("a") + loneHigh() + QStringLiteral("b\U0001F600") + QString(QChar(0xDC00));
    const QByteArray expected = QByteArray("a\xEF\xBF\xBD"
                                           "b\xF0\x9F\x98\x80\xEF\xBF\xBD");
    QCOMPARE(savedPageBytes(body, PageEncoding::Utf8), expected + kClosing);
    QCOMPARE(savedPageBytes(body, PageEncoding::Utf8WithBom),
             QByteArray("\xEF\xBB\xBF") + expected + kClosing);
    QCOMPARE(savedPageBytes(body, PageEncoding::Windows1252),
             QByteArray("a&#65533;b&#128512;&#65533;") + kClosing);
    const LoadedPage page = readPageBytes(savedPageBytes(body, PageEncoding::Utf8));
    QCOMPARE(page.body, QStringLiteral("a\uFFFDb\U0001F600\uFFFD\r\n"));
    QCOMPARE(page.encoding, PageEncoding::Utf8);
}

void TestPageFileFindings::windows1252PageThatLooksLikeUtf8_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("loaded");
    QTest::newRow("two characters, one UTF-8 sequence")
        << QStringLiteral("<P>\u00C3\u00A9</P>") << QByteArray("<P>&#195;\xA9</P>")
        << QStringLiteral("<P>&#195;\u00A9</P>\r\n");
    QTest::newRow("byte-order mark") << QStringLiteral("\u00EF\u00BB\u00BF2\u00C3")
                                     << QByteArray("&#239;\xBB\xBF"
                                                   "2\xC3")
                                     << QStringLiteral("&#239;\u00BB\u00BF2\u00C3\r\n");
    QTest::newRow("four-byte sequence")
        << QStringLiteral("\u00F0\u0178\u02DC\u20AC") << QByteArray("&#240;\x9F\x98\x80")
        << QStringLiteral("&#240;\u0178\u02DC\u20AC\r\n");
    QTest::newRow("only the first")
        << QStringLiteral("\u00C3\u00A9 \u00C3\u00A9") << QByteArray("&#195;\xA9 \xC3\xA9")
        << QStringLiteral("&#195;\u00A9 \u00C3\u00A9\r\n");
}

void TestPageFileFindings::windows1252PageThatLooksLikeUtf8()
{
    QFETCH(QString, body);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, loaded);
    QCOMPARE(savedPageBytes(body, PageEncoding::Windows1252), bytes + kClosing);
    const LoadedPage page = readPageBytes(bytes + kClosing);
    QCOMPARE(page.encoding, PageEncoding::Windows1252);
    QCOMPARE(page.body, loaded);
    // The code page itself is unchanged.
    QCOMPARE(fromWindows1252(toWindows1252(body)), body);
}

void TestPageFileFindings::windows1252PageThatIsNotUtf8StaysAsItWas()
{
    QCOMPARE(savedPageBytes(QStringLiteral("caf\u00E9 \u00C3"), PageEncoding::Windows1252),
             QByteArray("caf\xE9 \xC3") + kClosing);
    QCOMPARE(savedPageBytes(QStringLiteral("\u00C3(\u00A9"), PageEncoding::Windows1252),
             QByteArray("\xC3(\xA9") + kClosing);
    QCOMPARE(savedPageBytes(QStringLiteral("plain"), PageEncoding::Windows1252),
             QByteArray("plain") + kClosing);
}

QTEST_APPLESS_MAIN(TestPageFileFindings)
#include "tst_page_file_findings.moc"

// The code page and the UTF-8 verdict against glibc's iconv, which shares no
// code with ours, over the whole input space or a dense sample of it.
#include "document/page_file.h"
#include "document/windows1252.h"

#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <iconv.h>

using namespace tarnwell;

namespace {

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

class TestEncodingOracle final : public QObject
{
    Q_OBJECT

private slots:
    void codePage_data();
    void codePage();
    void utf8Verdict_data();
    void utf8Verdict();
};

void TestEncodingOracle::codePage_data()
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
void TestEncodingOracle::codePage()
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

void TestEncodingOracle::utf8Verdict_data()
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
void TestEncodingOracle::utf8Verdict()
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

QTEST_GUILESS_MAIN(TestEncodingOracle)
#include "tst_encoding_oracle.moc"

#include "page_oracle.h"

#include "document/windows1252.h"

#include <cstdio>
#include <cstdlib>

namespace tarnwell::fuzz {

namespace {
bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// The decimal reference "&#N;" at `at`, or -1; sets `length` to its size.
qint64 referenceAt(QStringView text, qsizetype at, qsizetype *length)
{
    if (at + 3 >= text.size() || text[at] != QLatin1Char('&') || text[at + 1] != QLatin1Char('#'))
        return -1;
    qint64 value = 0;
    qsizetype i = at + 2;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80; ++i) {
        if (i - at > 9 || (i == at + 2 && text[i] == QLatin1Char('0')))
            return -1; // the writer never writes leading zeros or huge numbers
        value = value * 10 + (text[i].unicode() - '0');
    }
    if (i == at + 2 || i >= text.size() || text[i] != QLatin1Char(';'))
        return -1;
    *length = i + 1 - at;
    return value;
}

bool inCodePage(char32_t cp)
{
    const char32_t one[1] = {cp};
    return toWindows1252(QString::fromUcs4(one, 1)).size() == 1;
}
} // namespace

void fail(const char *what, const QByteArray &input)
{
    std::fprintf(stderr, "\nPAGE CHECK FAILED: %s\ninput (%lld bytes, hex): %s\n", what,
                 static_cast<long long>(input.size()), input.left(512).toHex(' ').constData());
    std::abort();
}

QString expectedBody(QStringView text)
{
    QString body;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        const QStringView line = text.mid(start, end - start);
        if (!line.isEmpty() && !line.contains(u"/BODY>") && !line.contains(u"/HTML>")) {
            body += line;
            body += u"\r\n";
        }
        if (text.mid(end, 2) == u"\r\n")
            ++end;
        start = end + 1;
    }
    return body;
}

PageEncoding expectedEncoding(const QByteArray &written, PageEncoding encoding)
{
    if (encoding != PageEncoding::Utf8)
        return encoding;
    for (const char c : written) {
        if (uchar(c) >= 0x80)
            return PageEncoding::Utf8;
    }
    return PageEncoding::Windows1252; // plain ASCII: nothing tells UTF-8 apart
}

void checkLoadedShape(const QString &body, const QByteArray &input)
{
    if (!body.isEmpty() && !body.endsWith(u"\r\n"))
        fail("the body does not end with CR LF", input);
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == QLatin1Char('\n'))
            fail("LF without CR", input);
        if (body[i] != QLatin1Char('\r'))
            continue;
        if (i + 1 >= body.size() || body[i + 1] != QLatin1Char('\n'))
            fail("CR without LF", input);
        const QStringView line = QStringView(body).mid(start, i - start);
        if (line.isEmpty())
            fail("an empty line was kept", input);
        if (line.contains(u"/BODY>") || line.contains(u"/HTML>"))
            fail("a closing line was kept", input);
        start = i + 2;
        ++i;
    }
}

void checkSameText(QStringView expected, QStringView actual, PageEncoding encoding,
                   const QByteArray &input)
{
    const bool windows1252 = encoding == PageEncoding::Windows1252;
    int referencesInCodePage = 0;
    qsizetype j = 0;
    for (qsizetype i = 0; i < expected.size();) {
        // The character at i: a code point, or a lone surrogate.
        char32_t cp = expected[i].unicode();
        qsizetype units = 1;
        bool lone = false;
        if (expected[i].isHighSurrogate() && i + 1 < expected.size() &&
            expected[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(expected[i], expected[i + 1]);
            units = 2;
        } else if (expected[i].isSurrogate()) {
            lone = true;
        }

        if (lone) {
            // Not a character: U+FFFD is written in its place.
            const QStringView mark =
                windows1252 ? QStringView(u"&#65533;") : QStringView(u"\uFFFD");
            if (actual.mid(j, mark.size()) != mark)
                fail("a lone surrogate did not come back as U+FFFD", input);
            j += mark.size();
            i += 1;
            continue;
        }
        if (actual.mid(j, units) == expected.mid(i, units)) {
            i += units;
            j += units;
            continue;
        }
        qsizetype length = 0;
        const qint64 value = referenceAt(actual, j, &length);
        if (value < 0 || char32_t(value) != cp)
            fail("a character was lost or replaced", input);
        if (windows1252) {
            if (cp < 0x80)
                fail("an ASCII character came back as a reference", input);
            if (inCodePage(cp) && ++referencesInCodePage > 1)
                fail("more than one code page character came back as a reference", input);
        } else if (!(cp == 0xFEFF && i == 0 && encoding == PageEncoding::Utf8)) {
            fail("a character came back as a reference in UTF-8", input);
        }
        i += units;
        j += length;
    }
    if (j != actual.size())
        fail("the read back text has more than was written", input);
}

} // namespace tarnwell::fuzz

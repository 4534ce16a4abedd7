#include "windows1252.h"

#include <array>

namespace tarnwell {

namespace {
// Bytes 0x80 to 0x9F; 0 marks the five bytes the code page leaves undefined,
// which map to the C1 controls of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char16_t decodeHigh(uchar byte)
{
    const char16_t mapped = kHighControls[byte - 0x80];
    return mapped ? mapped : char16_t(byte);
}

// The byte for a code point, or -1 when the code page has none.
int encodeCodePoint(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (int i = 0; i < 32; ++i) {
        const char16_t mapped = kHighControls[i];
        if (mapped ? mapped == cp : 0x80 + i == int(cp))
            return 0x80 + i;
    }
    return -1;
}
} // namespace

QByteArray toWindows1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            out.append(char(unit));
            continue;
        }
        char32_t cp = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            cp = 0xFFFD; // half a pair is no character at all
        }
        const int byte = encodeCodePoint(cp);
        if (byte >= 0) {
            out.append(char(byte));
        } else {
            out.append("&#");
            out.append(QByteArray::number(quint32(cp)));
            out.append(';');
        }
    }
    return out;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text = QString::fromLatin1(bytes);
    char16_t *data = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        if (data[i] >= 0x80 && data[i] <= 0x9F)
            data[i] = decodeHigh(uchar(data[i]));
    }
    return text;
}

} // namespace tarnwell

#include "windows1252.h"

#include <array>
#include <cstring>

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
    // One byte per character but for the rare character reference, so write
    // straight into the buffer and grow it only for those.
    const qsizetype n = text.size();
    QByteArray out(n, Qt::Uninitialized);
    char *data = out.data();
    qsizetype used = 0;
    const auto put = [&](const char *bytes, qsizetype count) {
        if (used + count > out.size()) {
            out.resize(qMax(used + count, out.size() + out.size() / 4 + 16));
            data = out.data();
        }
        memcpy(data + used, bytes, size_t(count));
        used += count;
    };
    const char16_t *units = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x80 && used < out.size()) {
            data[used++] = char(unit);
            continue;
        }
        char32_t cp = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(units[i + 1])) {
            cp = QChar::surrogateToUcs4(unit, units[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            cp = 0xFFFD; // half a pair is no character at all
        }
        const int byte = encodeCodePoint(cp);
        if (byte >= 0) {
            const char single = char(byte);
            put(&single, 1);
        } else {
            const QByteArray reference = "&#" + QByteArray::number(quint32(cp)) + ';';
            put(reference.constData(), reference.size());
        }
    }
    out.resize(used);
    return out;
}

char16_t windows1252Character(uchar byte)
{
    return byte >= 0x80 && byte <= 0x9F ? decodeHigh(byte) : char16_t(byte);
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

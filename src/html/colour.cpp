#include "colour.h"

#include <cmath>

namespace tarnwell {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHexPair(QString &hex, int value)
{
    hex += QLatin1Char(kHexDigits[(value >> 4) & 15]);
    hex += QLatin1Char(kHexDigits[value & 15]);
}
} // namespace

QString ColorToRGB(qint32 colourNumber, const QString &separator)
{
    // Floating point, truncated at each step, so that the result matches the
    // integer route of ConvertColor on every colour number.
    const double n = colourNumber;
    const double blue = std::trunc(n / 256.0 / 256.0);
    const double green = std::trunc((n - blue * 65536.0) / 256.0);
    const double red = std::trunc(n - blue * 65536.0 - green * 256.0);
    QString rgb;
    rgb.reserve(11 + 2 * separator.size());
    rgb += QString::number(static_cast<qint64>(red));
    rgb += separator;
    rgb += QString::number(static_cast<qint64>(green));
    rgb += separator;
    rgb += QString::number(static_cast<qint64>(blue));
    return rgb;
}

QString RGBToHex(const QString &rgb, const QString &separator)
{
    QString hex;
    hex.reserve(6);
    int parts = 0;
    for (const QStringView part : QStringView(rgb).tokenize(separator)) {
        // Values above 255 would need more digits; the callers never pass them.
        appendHexPair(hex, part.trimmed().toInt());
        if (++parts == 3)
            break;
    }
    // A missing part counts as 0 rather than failing.
    for (; parts < 3; ++parts)
        appendHexPair(hex, 0);
    return hex;
}

QString ConvertColor(qint32 colourNumber)
{
    const int components[3] = {
        colourNumber & 255, // same as mod 256 in range, and never negative
        (colourNumber & 65280) / 256,
        (colourNumber & 16711680) / 65536,
    };
    QString hex;
    hex.reserve(6);
    for (const int c : components) {
        hex += QLatin1Char(kHexDigits[c / 16]);
        hex += QLatin1Char(kHexDigits[c % 16]);
    }
    return hex;
}

QString ConvertColor(const QString &StrRGB)
{
    // Unreadable text counts as 0, as a number read from an empty field would.
    return ConvertColor(static_cast<qint32>(StrRGB.trimmed().toLongLong()));
}

QString hexColourOf(qint32 colourNumber)
{
    const QString separator = QStringLiteral(",");
    return RGBToHex(ColorToRGB(colourNumber, separator), separator);
}

} // namespace tarnwell

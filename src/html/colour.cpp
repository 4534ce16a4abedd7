#include "colour.h"

#include <QStringList>
#include <cmath>

namespace tarnwell {

QString ColorToRGB(qint32 colourNumber, const QString &separator)
{
    // Floating point, truncated at each step, so that the result matches the
    // integer route of ConvertColor on every colour number.
    const double n = colourNumber;
    const double blue = std::trunc(n / 256.0 / 256.0);
    const double green = std::trunc((n - blue * 65536.0) / 256.0);
    const double red = std::trunc(n - blue * 65536.0 - green * 256.0);
    return QString::number(static_cast<qint64>(red)) + separator +
           QString::number(static_cast<qint64>(green)) + separator +
           QString::number(static_cast<qint64>(blue));
}

QString RGBToHex(const QString &rgb, const QString &separator)
{
    const QStringList parts = rgb.split(separator);
    QString hex;
    hex.reserve(6);
    for (int i = 0; i < 3; ++i) {
        // A missing or unreadable part counts as 0 rather than failing.
        const int value = i < parts.size() ? parts.at(i).trimmed().toInt() : 0;
        hex += QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    }
    return hex;
}

QString ConvertColor(qint32 colourNumber)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const int components[3] = {
        colourNumber & 255, // same as mod 256 in range, and never negative
        (colourNumber & 65280) / 256,
        (colourNumber & 16711680) / 65536,
    };
    QString hex(6, QLatin1Char('0'));
    for (int i = 0; i < 3; ++i) {
        hex[2 * i] = QLatin1Char(digits[components[i] / 16]);
        hex[2 * i + 1] = QLatin1Char(digits[components[i] % 16]);
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

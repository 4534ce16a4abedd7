#pragma once

#include <QString>

// A colour number is the colour dialog's 24-bit value with red in the low byte,
// green in the middle byte and blue in the high byte (255 is red).
namespace tarnwell {

// "r<sep>g<sep>b" in decimal, each component unpadded.
QString ColorToRGB(qint32 colourNumber, const QString &separator);

// Six uppercase hex digits from the first three decimal parts of an RGB text.
QString RGBToHex(const QString &rgb, const QString &separator);

// Six uppercase hex digits from a colour number given as decimal text.
QString ConvertColor(const QString &StrRGB);
QString ConvertColor(qint32 colourNumber);

// The route every text-colour button takes: ColorToRGB, then RGBToHex.
QString hexColourOf(qint32 colourNumber);

} // namespace tarnwell

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tarnwell {

// Windows-1252 on every platform. A character the code page holds becomes its
// single byte; any other becomes a decimal character reference ("&#1078;"),
// one per code point, so that nothing is lost in the page.
QByteArray toWindows1252(QStringView text);

// Every byte decodes; the five bytes the code page leaves undefined decode to
// the C1 controls of the same value, as Windows does.
QString fromWindows1252(QByteArrayView bytes);

// The character one byte stands for, as fromWindows1252 decodes it.
char16_t windows1252Character(uchar byte);

} // namespace tarnwell

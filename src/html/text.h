#pragma once

#include <QString>

namespace tarnwell {

// The only line end the program writes.
inline const QString CRLF = QStringLiteral("\r\n");

// A typed value inside double quotes: "&" and the quote escaped.
inline QString attributeText(const QString &value)
{
    QString text = value;
    return text.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
        .replace(QLatin1Char('"'), QStringLiteral("&quot;"));
}

} // namespace tarnwell

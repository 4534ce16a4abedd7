#pragma once

#include <QString>

namespace tarnwell {

// The only line end the program writes.
inline const QString CRLF = QStringLiteral("\r\n");

// Typed text with every line break (LF, CR LF or a lone CR) as CR LF.
QString withCrLf(const QString &typed);

} // namespace tarnwell

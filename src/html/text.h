#pragma once

#include <QString>

namespace tarnwell {

// The only line end the program writes.
inline const QString CRLF = QStringLiteral("\r\n");

} // namespace tarnwell

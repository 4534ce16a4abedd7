#include "breaks.h"

#include "text.h"

namespace tarnwell {

QString lineBreak()
{
    return CRLF + QStringLiteral("<BR>");
}

QString paragraphBreak()
{
    return CRLF + QStringLiteral("<P></P>");
}

} // namespace tarnwell

#include "text.h"

namespace tarnwell {

QString withCrLf(const QString &typed)
{
    QString out;
    out.reserve(typed.size() + typed.size() / 16);
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < typed.size() && typed.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += CRLF;
        } else if (c == QLatin1Char('\n')) {
            out += CRLF;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tarnwell

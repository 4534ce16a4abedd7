#include "elements.h"

#include "text.h"

namespace tarnwell {

namespace {
QString quoted(const QString &value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}
} // namespace

QString buildParagraph(const QString &text, TextFont font, int size, Emphasis emphasis,
                       const QString &colour)
{
    const QString face = font == TextFont::Arial ? QStringLiteral("Arial, Helvetica")
                                                 : QStringLiteral("Times New Roman");
    QString opening;
    QString closing = QStringLiteral("</FONT>");
    if (emphasis == Emphasis::Bold) {
        opening = QStringLiteral("<B>");
        closing = QStringLiteral("</B></FONT>");
    } else if (emphasis == Emphasis::Italic) {
        opening = QStringLiteral("<I>");
        closing = QStringLiteral("</I></FONT>");
    }
    return CRLF + QStringLiteral("<FONT FACE=") + quoted(face) + QStringLiteral(" SIZE=") +
           quoted(QString::number(size)) + QStringLiteral(" COLOR=") + quoted(colour) +
           QLatin1Char('>') + opening + text + closing + QStringLiteral("<P></P>");
}

QString buildHeadingElement(const QString &text, int size, HeadingFont font, const QString &colour,
                            bool centred)
{
    const QString level = QString::number(size < 1 || size > 3 ? 1 : size);
    QString fragment;
    if (centred)
        fragment += CRLF + QStringLiteral("<CENTER>");
    fragment += CRLF + QStringLiteral("<FONT COLOR=") + quoted(colour) + QStringLiteral(" FACE=") +
                quoted(faceValue(font)) + QStringLiteral("><H") + level + QLatin1Char('>') + text +
                QStringLiteral("</FONT></H") + level + QLatin1Char('>');
    if (centred)
        fragment += QStringLiteral("</CENTER>");
    return fragment;
}

QString buildRule(const QString &width)
{
    return CRLF + QStringLiteral("<HR WIDTH=") + quoted(width) + QLatin1Char('>');
}

} // namespace tarnwell

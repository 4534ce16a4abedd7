#include "pictures.h"

#include "text.h"

namespace tarnwell {

namespace {
QString image(const QString &name)
{
    return QStringLiteral("<IMG SRC=\"") + name + QStringLiteral("\">");
}
} // namespace

QString buildSinglePicture(const QString &name, bool centred)
{
    if (centred)
        return CRLF + QStringLiteral("<CENTER>") + image(name) + QStringLiteral("</CENTER><P></P>");
    return CRLF + image(name) + QStringLiteral("<P></P>");
}

QString buildTwoPictures(const QString &first, const QString &second, bool centred)
{
    const QString pair = QStringLiteral("<P></P>") + image(first) +
                         QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;") + image(second);
    if (centred)
        return CRLF + QStringLiteral("<CENTER>") + CRLF + pair + QStringLiteral("</CENTER>");
    return pair;
}

QString buildTextAndPicture(const QString &picture, const QString &text, const QString &colour,
                            TextPictureFont font, const QString &size, bool pictureLeft)
{
    // "TimesNew Roman" is what pages made so far carry; keep it.
    const QString face = font == TextPictureFont::Arial ? QStringLiteral("Arial, Helvetica")
                                                        : QStringLiteral("TimesNew Roman");
    const QString fontTag = QStringLiteral("<FONT COLOR=\"") + colour +
                            QStringLiteral("\" FACE=\"") + face + QStringLiteral("\" SIZE=\"") +
                            size + QStringLiteral("\">");
    const QString start = CRLF + QStringLiteral("<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">") +
                          CRLF + QStringLiteral("<TR>");
    const QString pictureCell =
        CRLF + QStringLiteral("<TD>") + image(picture) + QStringLiteral("</TD>");
    const QString textCell =
        CRLF + QStringLiteral("<TD>") + fontTag + text + QStringLiteral("</FONT></TD>");
    const QString end = CRLF + QStringLiteral("</TR>") + CRLF + QStringLiteral("</TABLE>");
    return start + (pictureLeft ? pictureCell + textCell : textCell + pictureCell) + end;
}

} // namespace tarnwell

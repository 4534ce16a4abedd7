#include "modern.h"

#include "text.h"

#include <QRegularExpression>

namespace tarnwell {

namespace {
// What every modern page needs: long words wrap rather than widen the page,
// pictures shrink to a narrow screen, links show where the keyboard is, and
// things side by side stack when there is no room. On a wide screen the page
// is a centred column of some 70 characters of its text, which no phone
// reaches, with the background all round it; there pictures side by side
// shrink to stay so, and text beside a picture keeps half the column.
const QString kStyle =
    QStringLiteral("<style>\r\n"
                   "body { overflow-wrap: break-word; }\r\n"
                   "main { max-width: 28rem; margin: 0 auto; }\r\n"
                   "img { max-width: 100%; height: auto; }\r\n"
                   "a:focus { outline: 3px solid currentColor; outline-offset: 2px; }\r\n"
                   ".side { display: flex; flex-wrap: wrap; align-items: center; gap: 1em; }\r\n"
                   ".side > p { flex: 1 1 15em; margin: 0; }\r\n"
                   "@media (min-width: 30rem) {\r\n"
                   ".side { flex-wrap: nowrap; }\r\n"
                   ".side > img { min-width: 0; }\r\n"
                   ".side > p { flex: 1 0 50%; }\r\n"
                   "}\r\n"
                   "</style>\r\n");

QString attribute(const char *name, const QString &value)
{
    return QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") + attributeText(value) +
           QLatin1Char('"');
}

// A file beside the page as an address: whatever would end the address or
// change its meaning (a space, "#", "?", "%", quotes, ":") is escaped, so the
// same name works in src, in a script's quotes and in CSS's url('').
QString fileAddress(const QString &name)
{
    static const QString kept = QStringLiteral("-._~!$()*+,;=@/");
    QString address;
    address.reserve(name.size());
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool asciiPlain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                                (u >= '0' && u <= '9') || kept.contains(c);
        if (asciiPlain || u > 0x7F)
            address += c;
        else
            address += QStringLiteral("%%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
    }
    return address;
}

// A typed address: a space would end it; the rest is the user's.
QString linkAddress(const QString &address)
{
    QString text = address;
    return text.replace(QLatin1Char(' '), QStringLiteral("%20"));
}

QString fontFamily(bool arial)
{
    return arial ? QStringLiteral("Arial, Helvetica, sans-serif")
                 : QStringLiteral("'Times New Roman', Times, serif");
}

// The classic sizes 1 to 7 relative to the reader's own text size. The
// sizes below it become it: smaller text cannot be read on a phone.
QString relativeSize(int size)
{
    static const char *const sizes[] = {"1rem",   "1rem", "1rem", "1.125rem",
                                        "1.5rem", "2rem", "3rem"};
    return QLatin1String(sizes[qBound(1, size, 7) - 1]);
}

QString textStyle(bool arial, int size, const QString &colour, Emphasis emphasis)
{
    QString style = QStringLiteral("font-family: ") + fontFamily(arial) +
                    QStringLiteral("; font-size: ") + relativeSize(size) +
                    QStringLiteral("; color: ") + colour;
    if (emphasis == Emphasis::Bold)
        style += QStringLiteral("; font-weight: bold");
    else if (emphasis == Emphasis::Italic)
        style += QStringLiteral("; font-style: italic");
    return style;
}

QString headingLevel(int size)
{
    return QString::number(size < 1 || size > 3 ? 1 : size);
}

QString headingStyle(HeadingFont font, const QString &colour, bool centred)
{
    QString style = QStringLiteral("font-family: ") +
                    fontFamily(font == HeadingFont::ArialHelvetica) + QStringLiteral("; color: ") +
                    colour;
    if (centred)
        style += QStringLiteral("; text-align: center");
    return style;
}

QString paragraphStart(bool centred)
{
    return centred ? QStringLiteral("<p style=\"text-align: center\">") : QStringLiteral("<p>");
}

QString image(const PagePicture &picture)
{
    QString tag = QStringLiteral("<img src=\"") + fileAddress(picture.file) + QLatin1Char('"') +
                  attribute("alt", picture.alt);
    if (picture.size.isValid())
        tag += attribute("width", QString::number(picture.size.width())) +
               attribute("height", QString::number(picture.size.height()));
    return tag + QLatin1Char('>');
}

// The link changes the picture inside it, so no picture needs a name.
QString swapTo(const QString &file)
{
    return QStringLiteral("this.querySelector('img').src='") + fileAddress(file) +
           QLatin1Char('\'');
}

QString mouseOverAnchor(const QString &address, const ModernMouseOver &picture)
{
    const QString over = swapTo(picture.overImage);
    const QString normal = swapTo(picture.normal.file);
    return CRLF + QStringLiteral("<a href=\"") + attributeText(address) +
           QStringLiteral("\" onmouseover=\"") + over + QStringLiteral("\" onfocus=\"") + over +
           QLatin1Char('"') + CRLF + QStringLiteral(" onmouseout=\"") + normal +
           QStringLiteral("\" onblur=\"") + normal + QStringLiteral("\">") + CRLF +
           image(picture.normal) + QStringLiteral("</a>");
}
} // namespace

QString modernHeadText(const QString &title, const QString &language, const QString &description)
{
    QString head =
        QStringLiteral("<!DOCTYPE html>") + CRLF + QStringLiteral("<html") +
        attribute("lang", language) + QLatin1Char('>') + CRLF + QStringLiteral("<head>") + CRLF +
        QStringLiteral("<meta charset=\"utf-8\">") + CRLF +
        QStringLiteral("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">") +
        CRLF + QStringLiteral("<title>") + title + QStringLiteral("</title>") + CRLF;
    if (!description.isEmpty())
        head += QStringLiteral("<meta name=\"description\"") + attribute("content", description) +
                QLatin1Char('>') + CRLF;
    return head + QStringLiteral("<meta name=\"generator\" content=\"Tarnwell\">") + CRLF + kStyle +
           QStringLiteral("</head>") + CRLF;
}

QString modernBodyLine(BackgroundChoice choice, const QString &hexColour,
                       const QString &textureName)
{
    QString body = QStringLiteral("<body>");
    switch (choice) {
    case BackgroundChoice::PlainColour:
        body =
            QStringLiteral("<body style=\"background-color: #") + hexColour + QStringLiteral("\">");
        break;
    case BackgroundChoice::OwnFile:
    case BackgroundChoice::Gallery:
        body = QStringLiteral("<body style=\"background-image: url('") + fileAddress(textureName) +
               QStringLiteral("')\">");
        break;
    case BackgroundChoice::None:
        break;
    }
    return body + CRLF + QStringLiteral("<main>") + CRLF;
}

HeadingFragment modernHeading(const QString &text, int size, const QString &hexColour,
                              HeadingFont font, bool centred)
{
    const QString level = headingLevel(size);
    HeadingFragment fragment;
    fragment.opening =
        QStringLiteral("<h") + level +
        attribute("style", headingStyle(font, QLatin1Char('#') + hexColour, centred)) +
        QLatin1Char('>') + text;
    fragment.closing = QStringLiteral("</h") + level + QLatin1Char('>');
    return fragment;
}

QString modernPageClosing()
{
    // A page read back loses every line holding "/BODY>" or "/HTML>", as
    // written here; the end of main shares the first so it goes with it.
    return QStringLiteral("</main></BODY>") + CRLF + QStringLiteral("</HTML>") + CRLF;
}

namespace {

// A browser runs typed lines together; each line break keeps its line, with
// a <br> before it unless the user typed one there.
QString keptLines(const QString &text)
{
    static const QRegularExpression lineEnd(
        QStringLiteral("(?<!<br>)(?<!<br/>)(?<!<br />)(\\r\\n|\\r(?!\\n)|(?<!\\r)\\n)"),
        QRegularExpression::CaseInsensitiveOption);
    QString lines = text;
    lines.replace(lineEnd, QStringLiteral("<br>\\1"));
    return lines;
}

} // namespace

QString modernParagraph(const QString &text, TextFont font, int size, Emphasis emphasis,
                        const QString &colour)
{
    return CRLF + QStringLiteral("<p") +
           attribute("style", textStyle(font == TextFont::Arial, size, colour, emphasis)) +
           QLatin1Char('>') + keptLines(text) + QStringLiteral("</p>");
}

QString modernHeadingElement(const QString &text, int size, HeadingFont font, const QString &colour,
                             bool centred)
{
    const QString level = headingLevel(size);
    return CRLF + QStringLiteral("<h") + level +
           attribute("style", headingStyle(font, colour, centred)) + QLatin1Char('>') + text +
           QStringLiteral("</h") + level + QLatin1Char('>');
}

QString modernRule(const QString &width)
{
    return CRLF + QStringLiteral("<hr") + attribute("style", QStringLiteral("width: ") + width) +
           QLatin1Char('>');
}

QString modernLineBreak()
{
    return CRLF + QStringLiteral("<br>");
}

QString modernParagraphBreak()
{
    return CRLF + QStringLiteral("<p></p>");
}

QString modernSinglePicture(const PagePicture &picture, bool centred)
{
    return CRLF + paragraphStart(centred) + image(picture) + QStringLiteral("</p>");
}

QString modernTwoPictures(const PagePicture &first, const PagePicture &second, bool centred)
{
    const QString start =
        centred ? QStringLiteral("<div class=\"side\" style=\"justify-content: center\">")
                : QStringLiteral("<div class=\"side\">");
    return CRLF + start + CRLF + image(first) + CRLF + image(second) + QStringLiteral("</div>");
}

QString modernTextAndPicture(const PagePicture &picture, const QString &text, const QString &colour,
                             TextPictureFont font, const QString &size, bool pictureLeft)
{
    const QString pictureItem = CRLF + image(picture);
    const QString textItem = CRLF + QStringLiteral("<p") +
                             attribute("style", textStyle(font == TextPictureFont::Arial,
                                                          size.toInt(), colour, Emphasis::Normal)) +
                             QLatin1Char('>') + keptLines(text) + QStringLiteral("</p>");
    return CRLF + QStringLiteral("<div class=\"side\">") +
           (pictureLeft ? pictureItem + textItem : textItem + pictureItem) +
           QStringLiteral("</div>");
}

QString modernTextLink(const QString &address, const QString &linkText, LinkFont font, bool bold,
                       const QString &sizeDigit, const QString &colourDigits, bool centred)
{
    const QString style =
        textStyle(font == LinkFont::Arial, sizeDigit.toInt(), QLatin1Char('#') + colourDigits,
                  bold ? Emphasis::Bold : Emphasis::Normal);
    return CRLF + paragraphStart(centred) + QStringLiteral("<a") +
           attribute("href", linkAddress(address)) + attribute("style", style) + QLatin1Char('>') +
           linkText + QStringLiteral("</a></p>");
}

QString modernMouseOverPictures(const ModernMouseOver &first, const ModernMouseOver *second,
                                bool centred)
{
    const QString address = QStringLiteral("#");
    QString fragment = CRLF + paragraphStart(centred) + mouseOverAnchor(address, first);
    if (second)
        fragment += mouseOverAnchor(address, *second);
    return fragment + QStringLiteral("</p>");
}

QString modernMouseOverButton(const QString &link, const ModernMouseOver &button, bool paragraph)
{
    const QString anchor = mouseOverAnchor(linkAddress(link), button);
    if (!paragraph)
        return anchor;
    return CRLF + QStringLiteral("<p>") + anchor + QStringLiteral("</p>");
}

QString modernButtonLinks(ButtonLayout layout, const QList<PictureButton> &buttons)
{
    const int count = qMin<int>(buttonCount(layout), buttons.size());
    const bool down = layout == ButtonLayout::TwoDown || layout == ButtonLayout::ThreeDown;
    QString fragment;
    for (int i = 0; i < count; ++i) {
        if (down || i == 0)
            fragment += CRLF + QStringLiteral("<p>");
        else
            fragment += CRLF;
        const PictureButton &button = buttons.at(i);
        fragment += QStringLiteral("<a") + attribute("href", linkAddress(button.link)) +
                    QStringLiteral(" target=\"_top\">") + image(button.picture) +
                    QStringLiteral("</a>");
        if (down || i == count - 1)
            fragment += QStringLiteral("</p>");
    }
    return fragment;
}

} // namespace tarnwell

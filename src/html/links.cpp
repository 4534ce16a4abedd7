#include "links.h"

#include "text.h"

#include <QRegularExpression>
#include <QSet>

namespace tarnwell {

namespace {
QString quoted(const QString &value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}

// A file name inside a script's single quotes: an apostrophe would end the
// quotes early, and %27 is the same file to the browser.
QString inScript(const QString &fileName)
{
    QString name = fileName;
    return name.replace(QLatin1Char('\''), QStringLiteral("%27"));
}

// An image inside a link to "#" whose script swaps the image's source.
QString mouseOverAnchor(const MouseOverPicture &picture)
{
    return CRLF + QStringLiteral("<A HREF=\"#\" ONMOUSEOVER=\"") + picture.name +
           QStringLiteral(".src='") + inScript(picture.overImage) + QStringLiteral("'\"") + CRLF +
           QStringLiteral(" ONMOUSEOUT=\"") + picture.name + QStringLiteral(".src='") +
           inScript(picture.normalImage) + QStringLiteral("'\">") + CRLF +
           QStringLiteral("<IMG SRC=") + quoted(picture.normalImage) + QStringLiteral(" NAME=") +
           quoted(picture.name) + QStringLiteral(" BORDER=\"0\"></A>");
}

QString buttonAnchor(const ButtonLink &button)
{
    return QStringLiteral("<A HREF=") + quoted(button.link) +
           QStringLiteral(" TARGET =\"_top\"><IMG SRC=") + quoted(button.file) +
           QStringLiteral(" BORDER=\"0\"></A>");
}
} // namespace

QStringList BuildTextLink(const QString &address, const QString &linkText, LinkFont font, bool bold,
                          const QString &sizeDigit, const QString &colourDigits, bool centred)
{
    const QString face = font == LinkFont::Arial ? QStringLiteral("Arial, Helvetica")
                                                 : QStringLiteral("Times New Roman");
    QString link = CRLF + QStringLiteral("<P></P><A HREF=") + quoted(address) + QLatin1Char('>');
    if (bold)
        link += QStringLiteral("<B>");
    link += QStringLiteral("<FONT FACE=") + quoted(face) + QStringLiteral(" COLOR=\"#") +
            colourDigits + QStringLiteral("\" SIZE=") + quoted(sizeDigit) + QLatin1Char('>') +
            linkText;
    if (bold)
        link += QStringLiteral("</B>"); // before </FONT>, as pages made so far have it
    link += QStringLiteral("</FONT></A>");
    if (!centred)
        return {link};
    return {CRLF + QStringLiteral("<CENTER>"), link, QStringLiteral("</CENTER>")};
}

QString buildMouseOverPictures(const MouseOverPicture &first, const MouseOverPicture *second,
                               bool centred)
{
    QString fragment;
    if (centred)
        fragment += CRLF + QStringLiteral("<CENTER>");
    fragment += mouseOverAnchor(first);
    if (!second) {
        if (centred)
            fragment += QStringLiteral("</CENTER>");
        fragment += QStringLiteral("<P></P>");
    } else {
        fragment += QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;") + mouseOverAnchor(*second);
        if (centred)
            fragment += QStringLiteral("</CENTER>");
    }
    return fragment + QStringLiteral("<P></P>");
}

NameFault scriptNameFault(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*$"));
    // Words of the script language, and words the link itself or the page's
    // document already answers to: the script finds those before the picture.
    static const QStringList taken =
        QString::fromLatin1(
            "break case catch class const continue debugger default delete do else enum "
            "export extends false finally for function if import in instanceof new null "
            "return super switch this throw true try typeof var void while with arguments "
            "constructor location event attributes autocapitalize autofocus animate blur "
            "charset children click closest contains coords dataset dir download draggable "
            "focus hash hidden host hostname href hreflang id inert lang matches name nonce "
            "normalize origin part password pathname ping port prefix protocol rel rev "
            "scroll search shape spellcheck style target text title translate type username "
            "all anchors applets body clear close cookie doctype domain embeds fonts forms "
            "head images implementation links open plugins referrer scripts write writeln")
            .split(QLatin1Char(' '));
    if (!plain.match(name).hasMatch())
        return NameFault::NotAScriptName;
    return taken.contains(name) ? NameFault::TakenByScript : NameFault::None;
}

QStringList namesInPage(const QString &body)
{
    // One pass, so that a page typed or loaded from elsewhere takes time in
    // proportion to its length: a tag's first NAME=, quoted or not, until
    // the tag ends or another begins.
    const auto isLetter = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    };
    const auto isSpace = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    QStringList names;
    const qsizetype n = body.size();
    bool inTag = false;                 // in a tag other than META that has no name yet
    qsizetype noQuoteAfter[2] = {n, n}; // past the last " and the last '
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = body[i];
        if (c == u'<' && i + 1 < n && isLetter(body[i + 1])) {
            const QStringView rest = QStringView(body).sliced(i + 1);
            inTag = !(
                rest.startsWith(u"META", Qt::CaseInsensitive) &&
                (rest.size() == 4 || !(isLetter(rest[4]) || rest[4].isDigit() || rest[4] == u'_')));
            continue;
        }
        if (c == u'>') {
            inTag = false;
            continue;
        }
        if (!inTag || !isSpace(c) ||
            !QStringView(body).sliced(i + 1).startsWith(u"NAME", Qt::CaseInsensitive))
            continue;
        qsizetype at = i + 5;
        while (at < n && isSpace(body[at]))
            ++at;
        if (at == n || body[at] != u'=')
            continue;
        do
            ++at;
        while (at < n && isSpace(body[at]));
        if (at == n)
            break;
        const QChar quote = body[at];
        if (quote == u'"' || quote == u'\'') {
            qsizetype &none = noQuoteAfter[quote == u'\''];
            const qsizetype end = at < none ? body.indexOf(quote, at + 1) : -1;
            if (end < 0) {
                none = qMin(none, at);
                continue;
            }
            names << body.mid(at + 1, end - at - 1);
            i = end;
        } else {
            qsizetype end = at;
            while (end < n && !isSpace(body[end]) && body[end] != u'"' && body[end] != u'\'' &&
                   body[end] != u'>')
                ++end;
            if (end == at)
                continue;
            names << body.mid(at, end - at);
            i = end - 1;
        }
        inTag = false; // a tag's first name is its name
    }
    return names;
}

NameCheck checkMouseOverNames(const QStringList &names, const QString &body)
{
    QSet<QString> inPage;
    for (const QString &name : namesInPage(body))
        inPage.insert(name.toLower());
    QSet<QString> given;
    for (const QString &name : names) {
        if (const NameFault fault = scriptNameFault(name); fault != NameFault::None)
            return {name, fault};
        const QString key = name.toLower();
        if (inPage.contains(key))
            return {name, NameFault::UsedInPage};
        if (given.contains(key))
            return {name, NameFault::UsedTwice};
        given.insert(key);
    }
    return {};
}

int buttonCount(ButtonLayout layout)
{
    switch (layout) {
    case ButtonLayout::OneButton:
        return 1;
    case ButtonLayout::TwoAcross:
    case ButtonLayout::TwoDown:
        return 2;
    case ButtonLayout::ThreeAcross:
    case ButtonLayout::ThreeDown:
        return 3;
    case ButtonLayout::FourAcross:
        return 4;
    case ButtonLayout::FiveAcross:
        break;
    }
    return 5;
}

bool buttonsDown(ButtonLayout layout)
{
    return layout == ButtonLayout::OneButton || layout == ButtonLayout::TwoDown ||
           layout == ButtonLayout::ThreeDown;
}

QString BuildMouseOverButton(int number, const QString &link, const QString &firstImage,
                             const QString &secondImage, bool paragraph)
{
    const QString name = QStringLiteral("button") + QString::number(number);
    const QString handler = name + QStringLiteral(".src='");
    QString button = CRLF + QStringLiteral("<A HREF=") + quoted(link) +
                     QStringLiteral(" ONMOUSEOVER=\"") + handler + inScript(secondImage) +
                     QStringLiteral("'\"") + CRLF + QStringLiteral(" ONMOUSEOUT=\"") + handler +
                     inScript(firstImage) + QStringLiteral("'\">") + CRLF +
                     QStringLiteral("<IMG SRC=") + quoted(firstImage) + QStringLiteral(" NAME=") +
                     quoted(name) + QStringLiteral(" BORDER=\"0\"></A>");
    if (paragraph)
        button += QStringLiteral("<P></P>");
    return button;
}

QString buildButtonLinks(ButtonLayout layout, const QList<ButtonLink> &buttons)
{
    const int count = qMin<int>(buttonCount(layout), buttons.size());
    // "1 button" is written like the across layouts: one paragraph at the end.
    const bool down = layout == ButtonLayout::TwoDown || layout == ButtonLayout::ThreeDown;
    QString fragment = CRLF;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            fragment += CRLF;
        fragment += buttonAnchor(buttons.at(i));
        if (down)
            fragment += QStringLiteral("<P></P>");
    }
    if (!down)
        fragment += QStringLiteral("<P></P>");
    return fragment;
}

} // namespace tarnwell

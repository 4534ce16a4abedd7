#pragma once

#include "background.h"
#include "elements.h"
#include "head.h"
#include "links.h"
#include "pictures.h"

#include <QList>
#include <QSize>
#include <QString>

// The page for phones and today's browsers: the same choices as the classic
// builders, written as HTML with CSS in place of FONT, CENTER and fixed
// widths. Typed text goes in exactly as typed, as in the classic page, so
// that tags a user types still work; what goes inside an attribute (a file
// name, an address, a picture's description) is escaped. Fragments begin
// with CR LF where their classic forms do.
namespace tarnwell {

// A picture as the page names it.
struct PagePicture
{
    QString file; // bare file name
    QString alt;  // what it shows, or for a link the link's words; empty for decoration
    QSize size;   // read from the file; no width and height are written when invalid
};

// From "<!DOCTYPE html>" to "</head>", each line ended by CR LF. language is
// a language tag such as "en" or "pt-BR"; no description line when empty.
QString modernHeadText(const QString &title, const QString &language, const QString &description);

// The BODY line with its CR LF, then "<main>" and CR LF. hexColour
// has six digits and no "#"; textureName is the bare name of a tile. None
// gets a plain body.
QString modernBodyLine(BackgroundChoice choice, const QString &hexColour,
                       const QString &textureName);

// size is 1, 2 or 3; hexColour is six digits without "#". Centring goes in
// the heading's own style, so before and after stay empty.
HeadingFragment modernHeading(const QString &text, int size, const QString &hexColour,
                              HeadingFont font, bool centred);

// Written after the page body when saving: the end of main, body and html.
QString modernPageClosing();

// The text fragments; colours are "#" and six hex digits, sizes the classic
// 1 to 7. A paragraph's typed line breaks each get a <br>.
QString modernParagraph(const QString &text, TextFont font, int size, Emphasis emphasis,
                        const QString &colour);
QString modernHeadingElement(const QString &text, int size, HeadingFont font, const QString &colour,
                             bool centred);
QString modernRule(const QString &width);
QString modernLineBreak();
QString modernParagraphBreak();

// The picture fragments. Pictures shrink to fit a narrow screen; pictures
// side by side, and text beside a picture, stack on one.
QString modernSinglePicture(const PagePicture &picture, bool centred);
QString modernTwoPictures(const PagePicture &first, const PagePicture &second, bool centred);
QString modernTextAndPicture(const PagePicture &picture, const QString &text, const QString &colour,
                             TextPictureFont font, const QString &size, bool pictureLeft);

// One fragment where BuildTextLink gives pieces. colourDigits has no "#".
QString modernTextLink(const QString &address, const QString &linkText, LinkFont font, bool bold,
                       const QString &sizeDigit, const QString &colourDigits, bool centred);

// A picture that changes under the mouse and under the keyboard's focus.
// It needs no name: each link changes the picture inside it.
struct ModernMouseOver
{
    PagePicture normal;
    QString overImage;
};
QString modernMouseOverPictures(const ModernMouseOver &first, const ModernMouseOver *second,
                                bool centred);
QString modernMouseOverButton(const QString &link, const ModernMouseOver &button, bool paragraph);

struct PictureButton
{
    QString link;
    PagePicture picture; // its alt holds the link's words
};
QString modernButtonLinks(ButtonLayout layout, const QList<PictureButton> &buttons);

} // namespace tarnwell

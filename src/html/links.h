#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Builders for links: text links, MouseOver pictures and buttons, button links.
namespace tarnwell {

enum class LinkFont { Times, Arial };

// The pieces a text link appends, in order: "<CENTER>" on a line of its own
// when centred, the link, then "</CENTER>". colourDigits has no "#".
QStringList BuildTextLink(const QString &address, const QString &linkText, LinkFont font, bool bold,
                          const QString &sizeDigit, const QString &colourDigits, bool centred);

// One picture that changes under the mouse: name is the NAME the script uses.
struct MouseOverPicture
{
    QString name;
    QString normalImage;
    QString overImage;
};

// One MouseOver picture, or two side by side when second is given.
QString buildMouseOverPictures(const MouseOverPicture &first, const MouseOverPicture *second,
                               bool centred);

// Why a MouseOver name cannot be used.
enum class NameFault { None, NotAScriptName, TakenByScript, UsedInPage, UsedTwice };

// Whether a script can find a picture by this name: NotAScriptName unless an
// ASCII letter comes first and ASCII letters, digits or "_" follow;
// TakenByScript for a word the browser's script already gives a meaning.
NameFault scriptNameFault(const QString &name);
inline bool isScriptName(const QString &name)
{
    return scriptNameFault(name) == NameFault::None;
}

// Every NAME given in the page's tags (META tags aside), as written.
QStringList namesInPage(const QString &body);

struct NameCheck
{
    QString name;
    NameFault fault = NameFault::None;
};

// The first of the new names that would stop a MouseOver working: one a script
// cannot use, one given already in the page, or one given twice among names.
// Names that differ only in letter case count as the same there.
NameCheck checkMouseOverNames(const QStringList &names, const QString &body);

// How many buttons, and whether each stands on its own line.
enum class ButtonLayout {
    OneButton,
    TwoAcross,
    TwoDown,
    ThreeAcross,
    ThreeDown,
    FourAcross,
    FiveAcross
};
int buttonCount(ButtonLayout layout);
bool buttonsDown(ButtonLayout layout); // "1 button" counts as down for MouseOver buttons

// MouseOver button number 1 to 5, named "button<number>" in its script.
QString BuildMouseOverButton(int number, const QString &link, const QString &firstImage,
                             const QString &secondImage, bool paragraph);

struct ButtonLink
{
    QString link;
    QString file;
};

// Picture buttons as links, as many as the layout holds, from buttons.
QString buildButtonLinks(ButtonLayout layout, const QList<ButtonLink> &buttons);

} // namespace tarnwell

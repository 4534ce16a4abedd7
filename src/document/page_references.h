#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tarnwell {

// How a page uses the file an address names.
enum ReferenceUse : unsigned { UseShown = 1, UseBackground = 2, UseLinked = 4 };

// An address in a tag's SRC, HREF or BACKGROUND, or a picture that a
// MouseOver script shows (each picture once per script).
struct PageReference
{
    QString value;        // decoded as a browser decodes the attribute
    qsizetype at = 0;     // where its text begins in the page, inside any quotes
    qsizetype length = 0; // how long that text is in the page
    QString tag;          // in small letters: "img"
    QString attribute;    // in small letters: "src", or "onmouseover" for a script's
    unsigned use = 0;     // one ReferenceUse
};

// A name an IMG is given, or one that a script changes (once per script).
struct MouseOverName
{
    QString name;
    qsizetype at = 0;
    bool onPicture = false; // an IMG's NAME=, else the name a script changes
};

// An IMG with no alt attribute: a screen reader says its file name instead.
struct PictureWithoutAlt
{
    QString source;   // its SRC, decoded; empty when it has none
    qsizetype at = 0; // where its tag's name begins
};

struct PageReferences
{
    QList<PageReference> references; // in page order
    QList<MouseOverName> names;
    QList<PictureWithoutAlt> withoutAlt;
    bool viewport = false; // a META named viewport: a phone lays the page out at its own width
};

// The addresses and MouseOver names of a page, read as a browser reads its
// tags: comments and the text of SCRIPT, STYLE, TEXTAREA, TITLE and the like
// hold none, the first of two attributes of one name counts, and a tag the
// page does not close counts for nothing. Line breaks may be CR LF or a text
// document's separators. Time and memory grow with the page's length alone.
PageReferences readPageReferences(QStringView page);

// An attribute's value as a browser decodes it: every character reference,
// named and numeric, and line breaks as LF.
QString decodeAttributeValue(QStringView raw);

enum class AddressKind {
    ThisPage,     // empty, "#...", or the session folder itself
    Web,          // http:, mailto:, "//host/..." and the like
    SiteRoot,     // "/img/a.jpg": from the web site's root, not the page's folder
    Computer,     // a drive, file:, a share "\\...", a path of this computer
    LeavesFolder, // ".." past the session folder
    File,         // a file or folder in the session folder
};

struct FileAddress
{
    AddressKind kind = AddressKind::ThisPage;
    QStringList parts; // for a File: its folders and name, decoded, none empty
};

// What a decoded address names, as a web server finds it beside the page:
// without "?..." and "#...", "%xx" decoded as UTF-8, "\" read as "/".
FileAddress fileAddress(QStringView value);

// A path of the session folder ('/' between folders) written as an address
// for a page in that folder: characters other than letters, digits and
// "-._~" in "%xx" form, so that it means the same in any attribute or script.
QString addressOfPath(const QString &path);

} // namespace tarnwell

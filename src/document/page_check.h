#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringView>

class QTextDocument;

namespace tarnwell {

// What keeps a page from working once it is uploaded to a web server.
enum class PageProblem {
    Missing,       // not in the session folder
    LetterCase,    // in the folder only when capital and small letters count alike
    OddName,       // a space or a character other than A-Z a-z 0-9 - _ .
    LocalAddress,  // a file on this computer: C:\..., file:///..., /home/...
    TooWide,       // a picture wider than 500 pixels
    TooLarge,      // a picture file larger than 300 KB
    NotPicture,    // named or shown as a picture, but none
    NameTwice,     // one MouseOver name on two pictures
    BadScriptName, // a MouseOver name that a script cannot use
    NotIndex,      // the only page in the folder is not index.html (advice)
    SiteRoot,      // "/img/a.jpg": from the web site's root, not the page's folder
    OutsideFolder, // ".." past the folder, or a link in it that leads out
    NoDescription, // in a modern page, a picture without alt (a description)
    WebAddress,    // "www.example.org": a web site without https://, a file to a browser
    NotForPhones,  // a page a phone shrinks to fit: it has no viewport line (advice)
};

// A mend that touches nothing but the file concerned, inside the session
// folder, and never overwrites a file.
enum class PageFix {
    None,
    RenameFile,  // rename folderFile to file, the name the page uses
    CopyPicture, // copy a picture the user picks into the folder as file
    WebCopy,     // make a copy of folderFile for the web and use it at `at` in the page
    AddHttps,    // write replacement in place of the address at `at` in the page
    WebName,     // rename folderFile to file, a web-safe name, and use it at `at` in the page
};

struct PageFinding
{
    PageProblem problem;
    QString name;   // the address or name as the page gives it (character references
                    // decoded), or a file of the folder
    QString title;  // the problem in a few words
    QString effect; // what goes wrong on the web
    QString mend;   // how to mend it
    PageFix fix = PageFix::None;
    QString file;       // the folder's file that the page means, '/' between folders
    QString folderFile; // the file that is there (another letter case, or too wide)
    qsizetype at = -1;  // where the address that WebCopy replaces begins in the page
    qsizetype length = 0;
    QString address; // its text there, as the page writes it
    QString replacement; // AddHttps: the address to write there instead
    int widest = 0;      // WebCopy: the copy's width at most
};

// Reads the page body as it stands, hand-typed HTML too, and the session
// folder. Line breaks may be CR LF or a text document's block separators.
// ownPage, the file this very page was saved to, is no other page: a rename
// that the page is mended for breaks nothing there once it is saved again.
QList<PageFinding> checkPage(QStringView body, const QString &folder, const QString &ownPage = {});

// Advice for a classic page, which a phone lays out 980 pixels wide and
// shrinks to its own width; nothing for a page for phones, nor for a page
// from elsewhere that has a viewport line of its own.
QList<PageFinding> phoneAdvice(QStringView body);

// Renames folderFile to file, which differ in letter case alone, on every
// file system. Does nothing unless folderFile is a plain file of the folder,
// reached through no link, and no file has the new name.
bool renameForPage(const QString &folder, const PageFinding &finding, QString *error);

// Writes a copy of finding.folderFile at most finding.widest pixels wide and
// 300 KB beside it, under a web-safe name made from its own that no file has
// ("big-web.jpg", "big-web2.jpg"), and gives the copy's address for the page;
// the original is kept.
// Renames finding.folderFile to finding.file, its web-safe name in the same
// folder, and gives the new address for the page. Does nothing unless
// folderFile is a plain file of the folder, reached through no link, and no
// file has the new name.
bool renameForWeb(const QString &folder, const PageFinding &finding, QString *newAddress,
                  QString *error);

bool makeWebCopy(const QString &folder, const PageFinding &finding, QString *newAddress,
                 QString *error, QSize *copySize = nullptr);

// The web address that a page's address means when it looks like a web site
// typed without https:// ("www.example.org", "example.org/news",
// ".htmlwww.example.org" after the Text Link screen's start text), with
// https:// in front; empty for anything else, such as "page.html".
QString webAddressWithoutHttps(QStringView address);

// Writes newAddress in place of the one address the finding was made for, as
// one edit that Undo takes back; false, changing nothing, when the page no
// longer holds that address there.
bool replaceAddress(QTextDocument *document, const PageFinding &finding, const QString &newAddress);

} // namespace tarnwell

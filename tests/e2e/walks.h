#pragma once

#include "support/worked_example.h"

#include <QByteArray>
#include <QStringList>

namespace tarnwell::e2e {

// Steps written as one text, "; " between them.
inline QStringList steps(const QString &script)
{
    return script.split(QStringLiteral("; "));
}

// The message after the Background screen's Next.
inline const QString kPreviewChance = QStringLiteral(
    "answer OK [info] This is your chance to PREVIEW your page so far. The BACK button may\n"
    "only be used for choices you just made and is not available when\n"
    "you have begun adding things from this page.");

// "Use an existing folder" on the Start screen, and the folder {S}.
inline const QString kUseFolder =
    QStringLiteral("click Form1/Command1; folder {S}; click nonComdlg/CmdUseFile");

// From the Start screen through the existing folder {S} and the HEAD screen,
// with the title My page and the heading Welcome, to the Background screen.
inline const QStringList kToBackground =
    steps(kUseFolder + "; type Form2/Text1 My page; type Form2/Text2 Welcome; "
                       "click Form2/Command1; shown Form3");

// On to the Selection screen with the background untouched.
inline const QStringList kNext = {"click Form3/Command1", kPreviewChance, "shown Form4"};
inline const QStringList kToSelection = kToBackground + kNext;

// The message after a page is loaded or recovered: the session folder comes next.
inline const QString kFolderNext =
    QStringLiteral("answer OK [info] You will need to choose the session folder you are using "
                   "for updating this file.");

// "Load existing file" on the Start screen, the file {F}, and the message.
inline const QString kLoad =
    QStringLiteral("click Form1/Command6; click Form24/Command1; file {F}; ") + kFolderNext;

// SAVE to {S}/page.html.
inline const QStringList kSave =
    steps("click Form4/Command10; answer OK [info] Make sure you save to your session folder.; "
          "file {S}/page");

// The saved page: the worked example's head, with the title My page, then
// what follows.
inline QByteArray savedPage(const QByteArray &body)
{
    const QByteArray &file = test::kWorkedExampleFile;
    return file.left(file.indexOf("<BODY")) + body + "\r\n</BODY>\r\n</HTML>\r\n\r\n";
}

inline const QByteArray kHeading =
    "<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>";
// The start of the body when the background is left as it is.
inline const QByteArray kPlainStart = "<BODY  BGCOLOR=\"#FFFFFF\">\r\n" + kHeading;

} // namespace tarnwell::e2e

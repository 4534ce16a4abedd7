#pragma once

#include "driver.h"
#include "support/worked_example.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>

namespace tarnwell::e2e {

// A program of its own with an empty session folder {S}.
struct Fresh
{
    QTemporaryDir session;
    Program app;
    Fresh() { app.vars = {{"S", session.path()}}; }
};

// A picture of one colour, its format from the file's suffix.
inline bool writePictureFile(const QString &path, int width, int height, QColor colour = Qt::red)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(colour);
    return picture.save(path);
}

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

// SAVE, and the message before the file dialog.
inline const QString kSaveAsked = QStringLiteral(
    "click Form4/Command10; answer OK [info] Make sure you save to your session folder.");
// SAVE to {S}/page.html.
inline const QStringList kSave = steps(kSaveAsked + "; file {S}/page");
inline const QString kOverwrite =
    QStringLiteral("answer Yes This file already exists. Do you want to overwrite it?");
// Exit Program, answered Yes.
inline const QString kExitSaved =
    QStringLiteral("click Form4/Command1; answer Yes Saved your file?");
// The question before the program ends, the page is cleared or another is
// loaded, with changes not saved.
inline const QString kUnsavedBefore =
    QStringLiteral("[warn] Your page has changes that are not saved. Save them before %1?");
inline const QString kUnsaved = kUnsavedBefore.arg("Tarnwell ends");
// Exit Program with changes not saved, ended without saving them.
inline const QString kExitUnsaved =
    QStringLiteral("click Form4/Command1; answer Don't_Save ") + kUnsaved;

// The questions before a screen adds to the page, answered Yes.
inline const QString kSizeOk = QStringLiteral("answer Yes Did you check size, colour etc?");
inline const QString kPlaceOk = QStringLiteral("answer Yes Did you check CENTERED or LEFT?");
inline const QString kLinksOk =
    QStringLiteral("answer Yes Are you absolutely sure that you typed all links correctly");
// The message as the MouseOver pictures screen opens.
inline const QString kSameSize =
    QStringLiteral("answer OK Pictures/photos need to be about the same size OK?");
// The message when a picture of a modern page goes in undescribed.
inline const QString kDescribe = QStringLiteral(
    "answer OK [warn] Please describe the picture for someone who cannot see it, or tick \"Only "
    "decoration: nothing to describe\" if it shows nothing that matters.");
// From the Selection screen through the button advice to the Links screen.
inline const QString kToLinks = QStringLiteral(
    "click Form4/Command8; hidden Form4/Command2; click Form16/Command1; shown Form11");

// A paragraph of TEXT with every choice left as it is.
inline QStringList paragraph(const QString &text)
{
    return steps("click Form4/Command4; type Form6/Text1 " + text + "; click Form6/Command1; " +
                 kSizeOk + "; hidden Form6");
}

// The row of Check page's list for a classic page.
inline const QString kNotForPhones = QStringLiteral("This page | Not made for phones");

// The file or name and the problem of each row of Check page's list.
inline QStringList findings(Program &app)
{
    QStringList rows;
    for (const QString &row : app.text("CheckPage/Findings").split(u'\n'))
        rows << row.section(" | ", 0, 1);
    return rows;
}

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

// The HEAD screen with the title My page and the heading Welcome, the box
// ticked and the language English, then any more steps there.
inline QStringList toModernHead(const QString &more = {})
{
    return steps(kUseFolder +
                 "; type Form2/Text1 My page; type Form2/Text2 Welcome; "
                 "hidden Form2/PageLanguage; shown Form2/Description; click Form2/ModernPage; "
                 "shown Form2/PageLanguage; choose Form2/PageLanguage English (en)" +
                 more);
}

inline const QStringList kModernToBackground =
    toModernHead() + steps("click Form2/Command1; shown Form3");
inline const QStringList kModernToSelection =
    kModernToBackground + kNext + steps("text Form4/PageMode Page for phones and today's browsers");

inline const QByteArray kModernStyle =
    "<style>\r\n"
    "body { overflow-wrap: break-word; }\r\n"
    "main { max-width: 28rem; margin: 0 auto; }\r\n"
    "img { max-width: 100%; height: auto; }\r\n"
    "a:focus { outline: 3px solid currentColor; outline-offset: 2px; }\r\n"
    ".side { display: flex; flex-wrap: wrap; align-items: center; gap: 1em; "
    "}\r\n"
    ".side > p { flex: 1 1 15em; margin: 0; }\r\n"
    "@media (min-width: 30rem) {\r\n"
    ".side { flex-wrap: nowrap; }\r\n"
    ".side > img { min-width: 0; }\r\n"
    ".side > p { flex: 1 0 50%; }\r\n"
    "}\r\n"
    "</style>\r\n";

// From the doctype to the end of the head, with the title My page.
inline QByteArray modernHead(const QByteArray &language, const QByteArray &description)
{
    return "<!DOCTYPE html>\r\n<html lang=\"" + language +
           "\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n"
           "<title>My page</title>\r\n" +
           description + "<meta name=\"generator\" content=\"Tarnwell\">\r\n" + kModernStyle +
           "</head>\r\n";
}

inline const QByteArray kModernWelcome =
    "<h1 style=\"font-family: 'Times New Roman', Times, serif; color: #0000FF\">Welcome</h1>";
// The start of the page when the background is left as it is.
inline const QByteArray kModernStart = modernHead("en", {}) +
                                       "<body style=\"background-color: #FFFFFF\">\r\n<main>\r\n" +
                                       kModernWelcome;
inline const QByteArray kModernClosing = "\r\n</main></BODY>\r\n</HTML>\r\n\r\n";

// The saved modern page: its start, then what follows, then the closing.
inline QByteArray modernPage(const QByteArray &body)
{
    return kModernStart + body + kModernClosing;
}

// A paragraph with every choice left as it is.
inline QByteArray modernParagraph(const QByteArray &text)
{
    return "\r\n<p style=\"font-family: 'Times New Roman', Times, serif; font-size: 1.125rem; "
           "color: #000000\">" +
           text + "</p>";
}

} // namespace tarnwell::e2e

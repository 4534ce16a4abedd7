// The program from start to end, as its users run it: by mouse and by keys,
// saving and loading through the real file dialogs, killed and started again.

#include "driver.h"
#include "support/worked_example.h"
#include "walks.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QTest>
#include <memory>

using namespace tarnwell::e2e;
using tarnwell::test::kWorkedExampleFile;

namespace {
// The question for the page kept in the file, answered so, with the time
// that the file gives.
QString recoverStep(const QString &answer, const QString &file)
{
    const QByteArray bytes = readAll(file);
    const qsizetype at = bytes.indexOf("\nkept=") + 6;
    const QDateTime kept = QDateTime::fromString(
        QString::fromLatin1(bytes.mid(at, bytes.indexOf('\n', at) - at)), Qt::ISODateWithMs);
    return QStringLiteral("answer %1 Tarnwell was closed before your page was saved. Recover the "
                          "page you were making? (last kept %2)")
        .arg(answer, QLocale().toString(kept.toLocalTime(), QStringLiteral("d MMMM yyyy, HH:mm")));
}
const QStringList kChooseFolder = steps(kFolderNext + "; " + kUseFolder + "; shown Form4");
// The classic page's paragraphs, every choice left as it is.
QByteArray paragraphs(const QList<QByteArray> &texts)
{
    QByteArray bytes;
    for (const QByteArray &text : texts)
        bytes += "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">" + text +
                 "</FONT><P></P>";
    return bytes;
}
const QString kCannotKeep =
    QStringLiteral("answer OK [warn] Tarnwell cannot keep a safety copy of your page: the folder "
                   "~/.local/share/Tarnwell is not a folder. Save your page often.");

QDir keptFolder(const QString &home)
{
    return QDir(home + QStringLiteral("/.local/share/Tarnwell"), QStringLiteral("*.recovery"));
}

// The question for the one page kept in the home.
QString recoverOnly(const QString &answer, const QString &home)
{
    const QStringList files = keptFolder(home).entryList(QDir::Files);
    return recoverStep(answer,
                       files.size() == 1 ? keptFolder(home).filePath(files.first()) : QString());
}

// Whether a kept page holds these bytes yet.
bool kept(const QString &home, const QByteArray &bytes)
{
    const QDir folder = keptFolder(home);
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (readAll(folder.filePath(name)).contains(bytes))
            return true;
    }
    return false;
}

std::unique_ptr<Program> start(const QString &home, const QString &session)
{
    auto app = std::make_unique<Program>(home);
    app->vars = {{"S", session}, {"F", session + "/big.html"}};
    return app;
}
} // namespace

class TestSession final : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleSavedThenLoadedAndExtended_data();
    void workedExampleSavedThenLoadedAndExtended();
    void endings_data();
    void endings();
    void clearedPageBeginsAgain();
    void saving();
    void loading();
    void workedExampleByKeys();
    void repeatedNameRefusedThenExampleButtons();
    void pageComesBackAfterKill_data();
    void pageComesBackAfterKill();
    void twoCopiesKeepOnePageEach();
    void unwritableDataFolder();
};

// Saved and the program left, then loaded back into its folder and added
// to. A modern page stays modern, and a picture goes in only once described.
void TestSession::workedExampleSavedThenLoadedAndExtended_data()
{
    QTest::addColumn<QStringList>("make");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QStringList>("extend"); // on the Selection screen after loading
    QTest::addColumn<QByteArray>("extended");
    const QByteArray closing = "</BODY>\r\n</HTML>\r\n\r\n";
    QByteArray again = kWorkedExampleFile;
    again.replace(closing, paragraphs({"Again"}) + "\r\n" + closing);
    QTest::newRow("classic") << kToSelection + paragraph("Hello") << kWorkedExampleFile
                             << steps("hidden Form4/Command2; text Form4/Label2 {S}") +
                                    paragraph("Again")
                             << again;
    QTest::newRow("modern")
        << kModernToSelection + paragraph("Hello") << modernPage(modernParagraph("Hello"))
        << steps("text Form4/PageMode Page for phones and today's browsers; "
                 "click Form4/Command5; shown Form9/AltText; click Form9/Command1; "
                 "file {P}/bike.png; click Form9/Command2; " +
                 kDescribe + "; shown Form9; type Form9/AltText A red bicycle; " +
                 "click Form9/Command2; " + kPlaceOk + "; hidden Form9")
        << modernPage(modernParagraph("Hello") + "\r\n\r\n<p><img src=\"bike.png\" alt=\"A red "
                                                 "bicycle\" width=\"12\" height=\"7\"></p>");
}

void TestSession::workedExampleSavedThenLoadedAndExtended()
{
    QFETCH(QStringList, make);
    QFETCH(QByteArray, saved);
    QFETCH(QStringList, extend);
    QFETCH(QByteArray, extended);
    QTemporaryDir session, pictures;
    QVERIFY(writePictureFile(pictures.filePath(QStringLiteral("bike.png")), 12, 7, Qt::darkCyan));
    const QString page = session.filePath(QStringLiteral("page.html"));
    {
        Program app;
        app.vars = {{"S", session.path()}};
        E2E_RUN(app, make + kSave + steps(kExitSaved + "; exit 0"));
        QCOMPARE(readAll(page), saved);
    }

    Program app;
    app.vars = {{"S", session.path()}, {"F", page}, {"P", pictures.path()}};
    E2E_RUN(app, steps(kLoad + "; hidden Form24; " + kUseFolder + "; shown Form4") + extend +
                     kSave + QStringList{kOverwrite});
    QTRY_COMPARE_WITH_TIMEOUT(readAll(page), extended, app.patience);
}

// Every way out ends the program at once with status 0, leaves no viewer
// process behind and nothing kept: the page was ended by choice. With a
// paragraph not saved, each way out, Clear and Load ask first. Save goes
// through SAVE and goes on only once saved; Cancel, a SAVE given up, or a
// load that fails does nothing and keeps the safety copy, and the page
// taken back after a crash is asked about again before QUIT or Load on the
// Start screen throw it away.
void TestSession::endings_data()
{
    QTest::addColumn<QStringList>("page"); // then a paragraph, kept
    QTest::addColumn<QStringList>("ending");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QByteArray>("saved"); // {S}/page.html afterwards
    const QByteArray &example = kWorkedExampleFile;
    // In one window the Start screen is in view again, with the page going on,
    // once a page is loaded: QUIT is pressed there.
    QTest::newRow("QUIT")
        << kToSelection
        << kSave + steps("click Form4/Command17; click Form24/Command1; file {S}/page.html; " +
                         kFolderNext + "; click Form1/Command2")
        << true << example;
    QTest::newRow("Start's close box")
        << QStringList() << steps("close Form1") << true << QByteArray();
    // Saved, so nothing is lost: the question is the old one.
    QTest::newRow("Exit Program after PREVIEW")
        << kToSelection
        << kSave + steps("click Form4/Command3; title Form27 My page; " + kExitSaved) << true
        << example;
    QTest::newRow("Selection's close box, No then Yes")
        << kToSelection
        << kSave + steps("close Form4; answer No Saved your file?; shown Form4; "
                         "shown Form1; close Form4; answer Yes Saved your file?")
        << true << example;
    QTest::newRow("Exit Program with another screen open")
        << kToSelection << kSave + steps("click Form4/Command8; shown Form16; " + kExitSaved)
        << true << example;
    QTest::newRow("Exit Program after a load")
        << kToSelection
        << kSave + steps("click Form4/Command17; click Form24/Command1; file {S}/page.html; " +
                         kFolderNext + "; " + kUseFolder + "; shown Form4; " + kExitSaved)
        << true << example;

    const QString ask = "answer %1 " + kUnsaved;
    const QString clear = "answer %1 " + kUnsavedBefore.arg("Tarnwell clears the page");
    const QString load = "answer %1 " + kUnsavedBefore.arg("Tarnwell loads another page");
    const QString saveAsked = kSaveAsked.section("; ", 1);
    const QString givenUp = "; cancel; answer OK [info] You cancelled.; shown Form4";
    const auto unsaved = [&](const char *name, const QString &ending, bool ends,
                             const QByteArray &saved) {
        QTest::newRow(name) << kToSelection << steps(ending) << ends << saved;
    };
    unsaved("Exit Program, Don't Save", "click Form4/Command1; " + ask.arg("Don't_Save"), true, {});
    unsaved("close box, Save",
            "close Form4; " + ask.arg("Save") + "; " + saveAsked + "; file {S}/page", true,
            example);
    unsaved("Exit Program, Cancel", "click Form4/Command1; " + ask.arg("Cancel") + "; shown Form4",
            false, {});
    unsaved("close box, Save given up in the file dialog",
            "close Form4; " + ask.arg("Save") + "; " + saveAsked + givenUp, false, {});
    // Cleared once saved: nothing is left to ask about on the way out.
    unsaved("Clear, Save",
            "click Form4/Command16; " + clear.arg("Save") + "; " + saveAsked +
                "; file {S}/page; shown Form1; click Form1/Command2",
            true, example);
    unsaved("Clear, Cancel", "click Form4/Command16; " + clear.arg("Cancel") + "; shown Form4",
            false, {});
    unsaved("Load, Cancel", "click Form4/Command17; " + load.arg("Cancel") + "; shown Form4", false,
            {});
    unsaved("Load, Save given up in the file dialog",
            "click Form4/Command17; " + load.arg("Save") + "; " + saveAsked + givenUp, false, {});
    // A file the file dialog lets through but that cannot be read as a page.
    unsaved("Load of a file that is no page",
            "click Form4/Command17; " + load.arg("Don't_Save") +
                "; click Form24/Command1; file {S}/pipe.html; answer OK [stop] The file could "
                "not be read: it is not an ordinary file; hidden Form24; shown Form4; " +
                kSaveAsked + "; file {S}/page; " + kExitSaved,
            true, example);
}

void TestSession::endings()
{
    QFETCH(QStringList, page);
    QFETCH(QStringList, ending);
    QFETCH(bool, ends);
    QFETCH(QByteArray, saved);
    QTemporaryDir home, session;
    QVERIFY(makePipe(session.filePath("pipe.html")));
    auto app = start(home.path(), session.path());
    if (!page.isEmpty()) {
        E2E_RUN(*app, page + paragraph("Hello"));
        QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "Hello"), app->patience);
    }
    E2E_RUN(*app, ending + QStringList(ends ? 1 : 0, "exit 0"));
    QCOMPARE(readAll(session.filePath(QStringLiteral("page.html"))), saved);
    if (!ends) {
        // Still running, the page still kept in case of a crash.
        QVERIFY(kept(home.path(), "Hello"));
        app->kill();
        app = start(home.path(), session.path());
        E2E_RUN(*app, steps(recoverOnly("Yes", home.path()) + "; " + kFolderNext +
                            "; inview Form1; click Form1/Command2; answer Cancel " + kUnsaved +
                            "; inview Form1; click Form1/Command6; answer Cancel " +
                            kUnsavedBefore.arg("Tarnwell loads another page") +
                            "; inview Form1; click Form1/Command2; answer Don't_Save " + kUnsaved +
                            "; exit 0"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(app->descendantsLeft(), 0, app->patience);
    // Locks too: nothing at all is left.
    QCOMPARE(keptFolder(home.path()).entryList(QStringList(), QDir::Files), QStringList());
}

// Clear the page (new): nothing is kept, and the next page is a new one
// again: HEAD with the title kept, Background, Back offered.
void TestSession::clearedPageBeginsAgain()
{
    QTemporaryDir home, session;
    auto app = start(home.path(), session.path());
    E2E_RUN(*app, kToSelection + paragraph("Hello"));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "Hello"), app->patience);
    E2E_RUN(*app,
            steps("click Form4/Command16; answer Don't_Save " +
                  kUnsavedBefore.arg("Tarnwell clears the page") + "; hidden Form4; shown Form1"));
    QTRY_COMPARE_WITH_TIMEOUT(keptFolder(home.path()).entryList(QStringList(), QDir::Files),
                              QStringList(), app->patience);
    E2E_RUN(*app, steps(kUseFolder + "; text Form2/Text1 My page; text Form2/Text2 ; "
                                     "type Form2/Text2 Welcome; click Form2/Command1") +
                      kNext + steps("shown Form4/Command2; text Form4/Label2 {S}") + kSave);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QStringLiteral("page.html"))),
                              savedPage(kPlainStart), app->patience);
}

// Saving and loading page files through the real file dialogs.
void TestSession::saving()
{
    Fresh fresh;
    auto &[session, app] = fresh;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("c.html")), "earlier"));
    const QString save = kSaveAsked + "; ";
    const QString exists = QStringLiteral("This file already exists. Do you want to overwrite it?");
    E2E_RUN(app, kToSelection + steps(save + "cancel; answer OK [info] You cancelled."));
    QCOMPARE(app.text("Form4/LastSave"), QString());
    E2E_RUN(app, steps(save + "file {S}/a.htm; " + save + "file {S}/b.HTML; " + save +
                       "file {S}/c.html; answer No " + exists + "; " + save +
                       "file {S}/c; answer Yes " + exists + "; " + save +
                       "file {S}/missing/d.html; answer OK [stop] The page was not saved: No such "
                       "file or directory"));
    // Where the page went, and when, from the last save that worked.
    const QString said = app.text("Form4/LastSave");
    const QTime at = QTime::fromString(said.section(' ', -1), QStringLiteral("HH:mm"));
    QVERIFY2(said.startsWith("Saved as c.html at ") && at.isValid() &&
                 qAbs(at.secsTo(QTime::currentTime())) < 120,
             qPrintable(said));
    const QByteArray page = savedPage(kPlainStart);
    for (const char *name : {"a.htm", "b.HTML.html", "c.html"})
        QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QLatin1String(name))), page,
                                  app.patience);
    QCOMPARE(QDir(session.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"a.htm", "b.HTML.html", "c.html"}));
}

// Another editor's file (LF alone, UTF-8) loaded from the Start screen into
// a folder made for it, then saved again: kept as UTF-8.
void TestSession::loading()
{
    QTemporaryDir place;
    QVERIFY(
        writeBytes(place.filePath(QStringLiteral("other.html")),
                   "<HTML>\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\n</BODY>\n</HTML>\n"));
    Program app;
    app.vars = {{"S", place.path()}, {"F", place.filePath("other.html")}};
    E2E_RUN(app,
            steps("click Form1/Command6; click Form24/Command1; cancel; answer OK [info] You "
                  "cancelled file loading - continue.; hidden Form24; " +
                  kLoad +
                  "; click Form1/Command5; folder {S}; type nonComdlg/Text1 loaded; "
                  "click nonComdlg/CmdUseFile; click nonComdlg/Command1; shown Form4; shown Form1; "
                  "hidden Form4/Command2; text Form4/Label2 Folder for session is  {S}/loaded; " +
                  kSaveAsked + "; dialog-folder {S}/loaded; file {S}/loaded/again"));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(place.filePath(QStringLiteral("loaded/again.html"))),
                              "<HTML>\r\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\r\n\r\n"
                              "</BODY>\r\n</HTML>\r\n\r\n",
                              app.patience);
}

// The worked example with the keyboard alone: Tab, Space, Enter, the arrow
// keys and typing, never the mouse.
void TestSession::workedExampleByKeys()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("site")));
    Program app(home.path());
    app.vars = {{"H", home.path()}};
    // The folder list opens on the home folder, its subfolders below it; the
    // arrow keys choose within one group of options; Tab leaves the page field.
    E2E_RUN(app,
            steps("focus Form1/Command5; tab Form1/Command1; key Space; tab nonComdlg/Dir1; "
                  "key Down; key Return; tab nonComdlg/CmdUseFile; key Space; "
                  "text Form2/Label8 {H}/site; tab Form2/Text1; keys My page; key Tab; "
                  "focus Form2/Text2; keys Welcome; tab Form2/Option1; key Down; key Down; "
                  "key Up; checked Form2/Option2; checked Form2/Option4; tab Form2/Command1; "
                  "key Space; tab Form3/Command1; key Space; dialog; key Return; shown Form4; "
                  "tab Form4/Text1; key Tab; focus Form4/Command4; key Space; focus Form6/Text1; "
                  "keys Hello; tab Form6/Command1; key Space; dialog; key Return; hidden Form6; "
                  "tab Form4/Command10; key Space; dialog; key Return; dialog; "
                  "keys {H}/site/page; key Return"));
    QByteArray expected = tarnwell::test::kWorkedExampleFile;
    expected.replace("<H1>", "<H2>").replace("</H1>", "</H2>");
    QTRY_COMPARE_WITH_TIMEOUT(readAll(home.filePath(QStringLiteral("site/page.html"))), expected,
                              app.patience);
}

// MouseOver names that would stop the pictures changing, and the example buttons.
void TestSession::repeatedNameRefusedThenExampleButtons()
{
    Fresh fresh;
    auto &[session, app] = fresh;
    app.vars["D"] = installedFile("share/tarnwell");
    const QString open = "click Form4/Command6; " + kSameSize +
                         "; type Form18/Text1 a.jpg; type Form18/Text2 b.jpg; ";
    // Then each button screen's first dialog opens where the example buttons
    // lie, so a bare name picks one.
    E2E_RUN(app, kToSelection +
                     steps(open + "type Form18/Text5 gondola5; click Form18/Command6; " + open +
                           "type Form18/Text5 Gondola5; click Form18/Command6; answer OK [stop] "
                           "The name \"Gondola5\" is used already in this page. Two pictures "
                           "with the same name both stop changing. Please choose another name.; "
                           "shown Form18; text Form18/Text5 Gondola5; type Form18/Text5 square; "
                           "click Form18/Command6; " +
                           kToLinks +
                           "; click Form11/Command4; click Form14/Command1; "
                           "click Form15/Command3; dialog-folder {D}; file home.gif; "
                           "text Form15/Text1 home.gif; click Form15/Command2; " +
                           kToLinks +
                           "; click Form11/Command2; click Form19/Command1; "
                           "click Form20/Command2; dialog-folder {D}; cancel; text Form20/Text1 "));
    // Nothing was added for the refused name.
    QCOMPARE(app.text("Form4/Text1").count("NAME="), 2);
    QVERIFY(app.text("Form4/Text1").endsWith("NAME=\"square\" BORDER=\"0\"></A><P></P><P></P>"));
    QCOMPARE(readAll(session.filePath("home.gif")),
             readAll(installedFile("share/tarnwell/home.gif")));
}

// A page in the making outlives the program's being killed: the next start
// offers it back unless it was saved. A data folder that takes nothing is
// said, and costs nothing saved.

void TestSession::pageComesBackAfterKill_data()
{
    QTest::addColumn<QByteArray>("file"); // {S}/big.html
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("last");  // in the kept page once it is all there
    QTest::addColumn<QByteArray>("saved"); // after recovery; empty: nothing offered
    // Saved before the kill: not offered at the next start.
    QTest::newRow("saved, nothing offered")
        << QByteArray() << kToSelection + paragraph("Hello") + kSave << QByteArray("\nsaved=1\n")
        << QByteArray();
    QTest::newRow("a modern page stays modern, in UTF-8")
        << QByteArray() << kModernToSelection + paragraph("Encore café") << QByteArray("Encore caf")
        << modernPage(modernParagraph("Encore caf\xC3\xA9"));
    QTest::newRow("saved, then changed")
        << QByteArray() << kToSelection + paragraph("Hello") + kSave + paragraph("Later")
        << QByteArray("Later") << savedPage(kPlainStart + paragraphs({"Hello", "Later"}));
    // Pasted whole, each paste longer than a piece the keeper follows the
    // text in, one paste undone and pasted again.
    QByteArray lines;
    for (int i = 0; lines.size() < 40000; ++i)
        lines += "<P>Line " + QByteArray::number(i) + ", caf\xe9.</P>\r\n";
    const QByteArray thrice = lines.repeated(3);
    QTest::newRow("40000 characters pasted")
        << lines + "</BODY>\r\n</HTML>\r\n"
        << steps(kLoad + "; " + kUseFolder +
                 "; shown Form4; click Form4/Text1; key Ctrl+A; key Ctrl+C; key Ctrl+End; "
                 "key Ctrl+V; key Ctrl+V; key Ctrl+Z; key Ctrl+V")
        << QString::fromLatin1(thrice).toUtf8() << thrice + "\r\n</BODY>\r\n</HTML>\r\n\r\n";
}

void TestSession::pageComesBackAfterKill()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, saved);
    QTemporaryDir home, session;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("big.html")), file));
    auto app = start(home.path(), session.path());
    E2E_RUN(*app, steps);
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), last), app->patience);
    app->kill();
    if (saved.isEmpty()) {
        app = start(home.path(), session.path());
        // A question left open would stop the folder list.
        E2E_RUN(*app, kToSelection);
        QVERIFY(!app->text(QStringLiteral("Form4/Text1")).contains("Hello"));
        QCOMPARE(keptFolder(home.path()).entryList(QDir::Files), QStringList());
        return;
    }
    // Saved before the kill, the page is there to be overwritten.
    const QString page = session.filePath(QStringLiteral("page.html"));
    const QStringList save = kSave + QStringList(QFile::exists(page) ? 1 : 0, kOverwrite);
    app = start(home.path(), session.path());
    E2E_RUN(*app, QStringList{recoverOnly("Yes", home.path())} + kChooseFolder + save);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(page), saved, app->patience);
}

// A copy that starts while another runs leaves that one's page alone; the
// next start reports a damaged file, then offers each page, oldest first:
// No removes it, Yes takes it back.
void TestSession::twoCopiesKeepOnePageEach()
{
    QTemporaryDir home, session;
    auto first = start(home.path(), session.path());
    E2E_RUN(*first, kToSelection + paragraph("First"));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "First"), first->patience);
    const QStringList firstFile = keptFolder(home.path()).entryList(QDir::Files);
    auto second = start(home.path(), session.path());
    E2E_RUN(*second, kToSelection + paragraph("Second"));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "Second"), second->patience);
    QStringList files = keptFolder(home.path()).entryList(QDir::Files);
    QCOMPARE(files.size(), 2);
    first->kill();
    second->kill();
    QVERIFY(writeBytes(keptFolder(home.path()).filePath("page-x.recovery"), "damaged"));

    const QDir keptAt = keptFolder(home.path());
    const QString older = keptAt.filePath(firstFile.value(0));
    files.removeOne(firstFile.value(0));
    const QStringList questions = {recoverStep("No", older),
                                   recoverStep("Yes", keptAt.filePath(files.value(0)))};

    auto third = start(home.path(), session.path());
    // Set aside under a name that says when.
    const QStringList aside = {QStringLiteral("page-x.recovery.unreadable-*")};
    QTRY_COMPARE_WITH_TIMEOUT(keptAt.entryList(aside, QDir::Files).size(), 1, third->patience);
    E2E_RUN(*third, QStringList{"answer OK [stop] A page that Tarnwell kept could not be "
                                "read. Its file is now " +
                                keptAt.filePath(keptAt.entryList(aside, QDir::Files).value(0))} +
                        questions + kChooseFolder);
    const QString page = third->text(QStringLiteral("Form4/Text1"));
    QVERIFY2(page.contains("Second") && !page.contains("First"), qPrintable(page));
    // No removed the older one.
    QCOMPARE(keptFolder(home.path()).entryList(QDir::Files), files);
}

// A file where the data folder should be: said once, with nothing saved
// lost; said again once the folder worked for a while and then did not.
void TestSession::unwritableDataFolder()
{
    QTemporaryDir home, session;
    const QString data = keptFolder(home.path()).path();
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral(".local/share")));
    QVERIFY(writeBytes(data, "not a folder"));
    auto app = start(home.path(), session.path());
    E2E_RUN(*app, kToBackground + QStringList{kNext.first()});
    // The first keep fails while the message after Next is open; its warning
    // waits for that message to be answered, and never stands on top of it.
    QTest::qWait(3000);
    E2E_RUN(*app, kNext.mid(1) + QStringList{kCannotKeep} + paragraph("Hello") + kSave +
                      paragraph("More"));
    const QString page = session.filePath(QStringLiteral("page.html"));
    const QByteArray saved = savedPage(kPlainStart + paragraphs({"Hello"}));
    QCOMPARE(readAll(page), saved);

    QVERIFY(QFile::remove(data));
    E2E_RUN(*app, paragraph("Kept"));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "Kept"), app->patience);
    QVERIFY(QDir(data).removeRecursively());
    QVERIFY(writeBytes(data, "not a folder"));
    E2E_RUN(*app, paragraph("Again") + QStringList{kCannotKeep});
    QCOMPARE(readAll(page), saved);
    E2E_RUN(*app, kSave + QStringList{kOverwrite});
    QTRY_COMPARE_WITH_TIMEOUT(
        readAll(page), savedPage(kPlainStart + paragraphs({"Hello", "More", "Kept", "Again"})),
        app->patience);
    QCOMPARE(readAll(data), QByteArray("not a folder"));
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_e2e_session.moc"

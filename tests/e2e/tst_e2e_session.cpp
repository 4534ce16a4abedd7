// The program from start to end, as its users run it: by mouse and by keys,
// saving and loading through the real file dialogs.

#include "driver.h"
#include "support/worked_example.h"
#include "walks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

using namespace tarnwell::e2e;
using tarnwell::test::kWorkedExampleFile;

class TestSession final : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleSavedThenLoadedAndExtended();
    void endingTheProgram_data();
    void endingTheProgram();
    void saving();
    void loading_data();
    void loading();
    void workedExampleByKeys();
    void repeatedNameRefusedThenExampleButtons();
};

void TestSession::workedExampleSavedThenLoadedAndExtended()
{
    QTemporaryDir session;
    const QString page = session.filePath(QStringLiteral("page.html"));
    {
        Program app;
        app.vars = {{"S", session.path()}};
        QVERIFY2(
            app.run(kToSelection +
                    steps("click Form4/Command4; type Form6/Text1 Hello; click Form6/Command1; "
                          "answer Yes Did you check size, colour etc?; hidden Form6; "
                          "click Form4/Command10; answer OK [info] Make sure you save to "
                          "your session folder.; file {S}/page; click Form4/Command1; "
                          "answer Yes Saved your file?; exit 0")),
            qPrintable(app.error()));
        QCOMPARE(readAll(page), kWorkedExampleFile);
    }

    Program app;
    app.vars = {{"S", session.path()}, {"F", page}};
    QVERIFY2(app.run(steps(
                 kLoad + "; hidden Form24; " + kUseFolder +
                 "; shown Form4; hidden Form4/Command2; "
                 "text Form4/Label2 {S}; click Form4/Command4; type Form6/Text1 Again; "
                 "click Form6/Command1; answer Yes Did you check size, colour etc?; click "
                 "Form4/Command10; answer OK [info] Make sure you save to your session folder.; "
                 "file {S}/page.html; answer Yes This file already exists. Do you want to "
                 "overwrite it?")),
             qPrintable(app.error()));
    const QByteArray closing = "</BODY>\r\n</HTML>\r\n\r\n";
    QByteArray expected = kWorkedExampleFile;
    expected.replace(closing, "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">"
                              "Again</FONT><P></P>\r\n" +
                                  closing);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(page), expected, app.patience);

    // Cleared, the next page is a new one again: HEAD and Background, Back
    // offered, nothing of the loaded page left.
    QVERIFY2(app.run(QStringList{"click Form4/Command16", "shown Form1"} + kToSelection +
                     steps("shown Form4/Command2; click Form4/Command10; answer OK [info] Make "
                           "sure you save to your session folder.; file {S}/new")),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QStringLiteral("new.html"))),
                              savedPage(kPlainStart), app.patience);
}

// Every way out ends the program at once with status 0 and leaves no viewer
// process behind.
void TestSession::endingTheProgram_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("QUIT") << steps("click Form1/Command2");
    QTest::newRow("Start's close box") << steps("close Form1");
    QTest::newRow("Exit Program after PREVIEW")
        << kToSelection + steps("click Form4/Command3; title Form27 My page; click Form4/Command1; "
                                "answer Yes Saved your file?");
    QTest::newRow("Selection's close box, No then Yes")
        << kToSelection + steps("close Form4; answer No Saved your file?; shown Form4; "
                                "shown Form1; close Form4; answer Yes Saved your file?");
    QTest::newRow("Exit Program with another screen open")
        << kToSelection + steps("click Form4/Command8; shown Form16; click Form4/Command1; "
                                "answer Yes Saved your file?");
}

void TestSession::endingTheProgram()
{
    QFETCH(QStringList, steps);
    QTemporaryDir session;
    Program app;
    app.vars = {{"S", session.path()}};
    const QString last = steps.takeLast();
    QVERIFY2(app.run(steps), qPrintable(app.error()));
    QElapsedTimer sinceAsked;
    sinceAsked.start();
    QVERIFY2(app.run({last, "exit 0"}), qPrintable(app.error()));
    qInfo("ended %lld ms after it was asked", sinceAsked.elapsed());
    QTRY_COMPARE_WITH_TIMEOUT(app.descendantsLeft(), 0, app.patience);
}

// Saving and loading page files through the real file dialogs.
void TestSession::saving()
{
    QTemporaryDir session;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("c.html")), "earlier"));
    Program app;
    app.vars = {{"S", session.path()}};
    const QString save = QStringLiteral(
        "click Form4/Command10; answer OK [info] Make sure you save to your session folder.; ");
    const QString exists = QStringLiteral("This file already exists. Do you want to overwrite it?");
    QVERIFY2(app.run(kToSelection +
                     steps(save + "cancel; answer OK [info] You cancelled.; " + save +
                           "file {S}/a.htm; " + save + "file {S}/b.HTML; " + save +
                           "file {S}/c.html; answer No " + exists + "; " + save +
                           "file {S}/c; answer Yes " + exists + "; " + save +
                           "file {S}/missing/d.html; answer OK [stop] The page was not saved: *")),
             qPrintable(app.error()));
    const QByteArray page = savedPage(kPlainStart);
    for (const char *name : {"a.htm", "b.HTML.html", "c.html"})
        QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QLatin1String(name))), page,
                                  app.patience);
    QCOMPARE(QDir(session.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"a.htm", "b.HTML.html", "c.html"}));
}

void TestSession::loading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("saved");
    // LF alone, UTF-8: kept as UTF-8 when saved again.
    QTest::newRow("another editor's file")
        << QByteArray("<HTML>\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\n</BODY>\n</HTML>\n")
        << QByteArray("<HTML>\r\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\r\n\r\n</BODY>"
                      "\r\n</HTML>\r\n\r\n");
    QTest::newRow("Windows-1252, lone CR")
        << QByteArray("<P>caf\xE9 \x80</P>\r<P>x</P>\r")
        << QByteArray("<P>caf\xE9 \x80</P>\r\n<P>x</P>\r\n\r\n</BODY>\r\n</HTML>\r\n\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray("\r\n</BODY>\r\n</HTML>\r\n\r\n");
}

// Loaded from the Start screen into a folder made for it, then saved again.
void TestSession::loading()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, saved);
    QTemporaryDir place;
    QVERIFY(writeBytes(place.filePath(QStringLiteral("other.html")), file));
    Program app;
    app.vars = {{"S", place.path()}, {"F", place.filePath("other.html")}};
    QVERIFY2(app.run(steps(
                 "click Form1/Command6; click Form24/Command1; cancel; answer OK [info] You "
                 "cancelled file loading - continue.; hidden Form24; " +
                 kLoad +
                 "; click Form1/Command5; folder {S}; type nonComdlg/Text1 loaded; "
                 "click nonComdlg/CmdUseFile; click nonComdlg/Command1; shown Form4; shown Form1; "
                 "hidden Form4/Command2; text Form4/Label2 Folder for session is  {S}/loaded; "
                 "click Form4/Command10; answer OK [info] Make sure you save to your session "
                 "folder.; dialog-folder {S}/loaded; "
                 "file {S}/loaded/again")),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(place.filePath(QStringLiteral("loaded/again.html"))), saved,
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
    QVERIFY2(app.run(steps(
                 "focus Form1/Command5; tab Form1/Command1; key Space; tab nonComdlg/Dir1; "
                 "key Down; key Return; tab nonComdlg/CmdUseFile; key Space; "
                 "text Form2/Label8 {H}/site; tab Form2/Text1; keys My page; key Tab; "
                 "focus Form2/Text2; keys Welcome; tab Form2/Option1; key Down; key Down; "
                 "key Up; checked Form2/Option2; checked Form2/Option4; tab Form2/Command1; "
                 "key Space; tab Form3/Command1; key Space; dialog; key Return; shown Form4; "
                 "tab Form4/Text1; key Tab; focus Form4/Command4; key Space; focus Form6/Text1; "
                 "keys Hello; tab Form6/Command1; key Space; dialog; key Return; hidden Form6; "
                 "tab Form4/Command10; key Space; dialog; key Return; dialog; "
                 "keys {H}/site/page; key Return")),
             qPrintable(app.error()));
    QByteArray expected = tarnwell::test::kWorkedExampleFile;
    expected.replace("<H1>", "<H2>").replace("</H1>", "</H2>");
    QTRY_COMPARE_WITH_TIMEOUT(readAll(home.filePath(QStringLiteral("site/page.html"))), expected,
                              app.patience);
}

// MouseOver names that would stop the pictures changing, and the example buttons.
void TestSession::repeatedNameRefusedThenExampleButtons()
{
    QTemporaryDir session;
    Program app;
    app.vars["S"] = session.path();
    app.vars["D"] = installedFile("share/tarnwell");
    const QStringList open = {"click Form4/Command6",
                              "answer OK Pictures/photos need to be about the same size OK?",
                              "type Form18/Text1 a.jpg", "type Form18/Text2 b.jpg"};
    const QStringList refused = {"type Form18/Text5 Gondola5", "click Form18/Command6",
                                 "answer OK [stop] The name \"Gondola5\" is used already in this "
                                 "page. Two pictures with the same name both stop changing. "
                                 "Please choose another name.",
                                 "shown Form18", "text Form18/Text5 Gondola5"};
    // Then each button screen's first dialog opens where the example buttons
    // lie, so a bare name picks one.
    const QStringList files = {
        "type Form18/Text5 square",  "click Form18/Command6", "click Form4/Command8",
        "click Form16/Command1",     "click Form11/Command4", "click Form14/Command1",
        "click Form15/Command3",     "dialog-folder {D}",     "file home.gif",
        "text Form15/Text1 home.gif"};
    const QStringList titles = {"click Form15/Command2", "click Form4/Command8",
                                "click Form16/Command1", "click Form11/Command2",
                                "click Form19/Command1", "click Form20/Command2",
                                "dialog-folder {D}",     "cancel",
                                "text Form20/Text1 "};
    QVERIFY2(app.run(kToSelection + open +
                     QStringList{"type Form18/Text5 gondola5", "click Form18/Command6"} + open +
                     refused + files + titles),
             qPrintable(app.error()));
    // Nothing was added for the refused name.
    QCOMPARE(app.text("Form4/Text1").count("NAME="), 2);
    QVERIFY(app.text("Form4/Text1").endsWith("NAME=\"square\" BORDER=\"0\"></A><P></P><P></P>"));
    QCOMPARE(readAll(session.filePath("home.gif")),
             readAll(installedFile("share/tarnwell/home.gif")));
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_e2e_session.moc"

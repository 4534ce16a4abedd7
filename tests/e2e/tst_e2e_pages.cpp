// Every screen that adds to the page, walked as a user would, down to the
// saved file byte for byte and the pictures copied into the session folder;
// then Check page and its Fixes.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTest>

using namespace tarnwell::e2e;

namespace {
QByteArray mouseOver(const QByteArray &href, const QByteArray &name, const QByteArray &out,
                     const QByteArray &over)
{
    return "\r\n<A HREF=\"" + href + "\" ONMOUSEOVER=\"" + name + ".src='" + over +
           "'\"\r\n ONMOUSEOUT=\"" + name + ".src='" + out + "'\">\r\n<IMG SRC=\"" + out +
           "\" NAME=\"" + name + "\" BORDER=\"0\"></A>";
}

// The file or name and the problem of each row of Check page's list.
QStringList problems(Program &app)
{
    QStringList rows;
    for (const QString &row : app.text("CheckPage/Findings").split(u'\n'))
        rows << row.section(" | ", 0, 1);
    return rows;
}
} // namespace

class TestPages final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pages_data();
    void pages();
    void findAndFix();
    void oddAddressesAndAChangingFolder();

private:
    QTemporaryDir m_pictures;
};

void TestPages::initTestCase()
{
    for (const char *name :
         {"My Photo \u0436.PNG", "a.png", "p.jpg", "home.png", "home2.png", "Stone Wall.jpg"}) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(qHash(QByteArray(name)) % 360, 200, 200));
        const QString file = QString::fromUtf8(name);
        QVERIFY(image.save(m_pictures.filePath(file), file.endsWith(".jpg") ? "JPG" : "PNG"));
    }
    QVERIFY(writeBytes(m_pictures.filePath(QStringLiteral("Page Two.html")), "<P>2</P>"));
}

void TestPages::pages_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("body");
    // The session folder afterwards, besides the page.
    QTest::addColumn<QStringList>("files");
    const auto row = [](const char *name, const QStringList &steps, const QByteArray &body,
                        const QStringList &files = {}) {
        QTest::newRow(name) << steps << body << files;
    };
    const QByteArray arialRed = "\r\n<FONT FACE=\"Arial, Helvetica\" SIZE=\"2\" COLOR=\"#FF0000\">";
    const QString links = QStringLiteral(
        "click Form4/Command8; hidden Form4/Command2; click Form16/Command1; shown Form11; ");
    const QString sure =
        QStringLiteral("Are you absolutely sure that you typed all links correctly");

    row("paragraphs keep their choices",
        kToSelection +
            steps("click Form4/Command4; hidden Form4/Command2; type Form6/Text1 Hello; "
                  "click Form6/Option2; click Form6/Option4; click Form6/Option11; "
                  "click Form6/Command2; colour #ff0000; colour-of Form6/Text1 #ff0000; "
                  "click Form6/Command2; cancel; click Form6/Command1; "
                  "answer No Did you check size, colour etc?; shown Form6; "
                  "click Form6/Command1; answer Yes Did you check size, colour etc?; "
                  "hidden Form6; click Form4/Command4; text Form6/Text1 ; "
                  "type Form6/Text1 Again; click Form6/Command1; answer Yes Did you check size, "
                  "colour etc?; "
                  "click Form4/Command4; click Form6/Command3; focus Form4/Command3; "
                  "click Form4/Command4; close Form6; hidden Form6"),
        kPlainStart + arialRed + "<B>Hello</B></FONT><P></P>" + arialRed +
            "<B>Again</B></FONT><P></P>");
    row("paragraph as typed",
        kToSelection + steps("click Form4/Command4; type Form6/Text1 Fish & <b>chips</b> "
                             "\"\u0436\"\nline two; click Form6/Option9; click Form6/Option12; "
                             "click Form6/Command1; answer Yes Did you check size, colour etc?"),
        kPlainStart + "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"7\" COLOR=\"#000000\"><I>Fish "
                      "& <b>chips</b> \"&#1078;\"\r\nline two</I></FONT><P></P>");
    row("headings go back to black",
        kToSelection + steps("click Form4/Command11; hidden Form4/Command2; type Form8/Text1 News; "
                             "click Form8/Command2; colour #ff0000; click Form8/Command1; "
                             "answer No Did you check size, colour etc?; click Form8/Command1; "
                             "answer Yes Did you check size, colour etc?; hidden Form8; "
                             "click Form4/Command11; text Form8/Text1 ; type Form8/Text1 More; "
                             "click Form8/Option3; click Form8/Option5; click Form8/Option6; "
                             "click Form8/Command1; answer Yes Did you check size, colour etc?"),
        kPlainStart + "\r\n<FONT COLOR=\"#FF0000\" FACE=\"Times New Roman\"><H1>News</FONT></H1>"
                      "\r\n<CENTER>\r\n<FONT COLOR=\"#000000\" FACE=\"Arial, Helvetica\"><H3>More"
                      "</FONT></H3></CENTER>");
    row("rules and breaks",
        kToSelection + steps("click Form4/Command9; click Form7/Command1; hidden Form7; "
                             "click Form4/Command9; click Form7/Option2; click Form7/Command1; "
                             "click Form4/Command9; click Form7/Option3; click Form7/Command1; "
                             "click Form4/Command9; checked Form7/Option3; click Form7/Command2; "
                             "click Form4/Command15; click Form4/Command12"),
        kPlainStart + "\r\n<HR WIDTH=\"100%\">\r\n<HR WIDTH=\"75%\">\r\n<HR WIDTH=\"50%\">"
                      "\r\n<BR>\r\n<P></P>");
    row("single pictures, found and typed",
        kToSelection +
            steps("click Form4/Command5; focus Form9/Command2; click Form9/Command1; "
                  "file {P}/My Photo \u0436.PNG; text Form9/Text1 My Photo \u0436.PNG; "
                  "click Form9/Command2; answer No Did you check CENTERED or LEFT?; "
                  "click Form9/Command2; answer Yes Did you check CENTERED or LEFT?; hidden "
                  "Form9; click Form4/Command5; "
                  "text Form9/Text1 ; click Form9/Option1; click Form9/Command1; cancel; "
                  "text Form9/Text1 ; type Form9/Text1 typed name.gif; click Form9/Command2; "
                  "answer Yes Did you check CENTERED or LEFT?"),
        kPlainStart + "\r\n<IMG SRC=\"My Photo &#1078;.PNG\"><P></P>"
                      "\r\n<CENTER><IMG SRC=\"typed name.gif\"></CENTER><P></P>",
        QStringList{"My Photo \u0436.PNG"});
    row("two images",
        kToSelection +
            steps("click Form4/Command13; hidden Form4; click Form21/Command1; file {P}/a.png; "
                  "click Form21/Command2; file {P}/a.png; click Form21/Command3; shown Form4; "
                  "focus Form4/Command3; click Form4/Command13; text Form21/Text1 ; "
                  "click Form21/Option2; type Form21/Text2 b.jpg; click Form21/Command3"),
        kPlainStart + "\r\n<CENTER>\r\n<P></P><IMG SRC=\"a.png\">&nbsp;&nbsp;&nbsp;&nbsp;"
                      "<IMG SRC=\"a.png\"></CENTER>"
                      "<P></P><IMG SRC=\"\">&nbsp;&nbsp;&nbsp;&nbsp;<IMG SRC=\"b.jpg\">",
        QStringList{"a.png"});
    row("text and picture",
        kToSelection +
            steps("click Form4/Command7; hidden Form4; focus Form10/Text2; "
                  "type Form10/Text2 Hello; click Form10/Command1; "
                  "answer OK [info] You did not choose a picture; text Form10/Text2 Hello; "
                  "click Form10/Command2; file {P}/p.jpg; click Form10/Command1; shown Form4; "
                  "click Form4/Command7; click Form10/Command4; colour #ff0000; "
                  "click Form10/Option2; click Form10/Option7; click Form10/Option5; "
                  "type Form10/Text2 one\ntwo; click Form10/Command2; file {P}/p.jpg; "
                  "click Form10/Command1"),
        kPlainStart + "\r\n<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r\n<TR>"
                      "\r\n<TD><IMG SRC=\"p.jpg\"></TD>\r\n<TD><FONT COLOR=\"#000000\" "
                      "FACE=\"TimesNew Roman\" SIZE=\"3\">Hello</FONT></TD>\r\n</TR>\r\n</TABLE>"
                      "\r\n<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r\n<TR>\r\n<TD><FONT "
                      "COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\" SIZE=\"5\">one\r\ntwo</FONT>"
                      "</TD>\r\n<TD><IMG SRC=\"p.jpg\"></TD>\r\n</TR>\r\n</TABLE>",
        QStringList{"p.jpg"});
    row("text links",
        kToSelection +
            steps(links +
                  "click Form11/Command3; shown Form12; hidden Form11/Command2; "
                  "text Form12/Text1 .html; click Form12/Command2; cancel; "
                  "text Form12/Text1 .html; click Form12/Command2; file {P}/Page Two.html; "
                  "text Form12/Text1 Page Two.html; type Form12/Text2 To Page 2; "
                  "click Form12/Command1; hidden Form12; click Form11/Command3; "
                  "text Form12/Text2 To Page 2; click Form12/Option2; click Form12/Option4; "
                  "click Form12/Option7; click Form12/Option9; click Form12/Command4; "
                  "colour #ff0000; type Form12/Text2 ; click Form12/Command1"),
        kPlainStart + "\r\n<CENTER>\r\n<P></P><A HREF=\"Page Two.html\"><B><FONT FACE=\"Times "
                      "New Roman\" COLOR=\"#0000FF\" SIZE=\"2\">To Page 2</B></FONT></A>"
                      "</CENTER>\r\n<P></P><A HREF=\"Page Two.html\"><FONT FACE=\"Arial, "
                      "Helvetica\" COLOR=\"#FF0000\" SIZE=\"4\"></FONT></A>");
    row("mouseover pictures",
        kToSelection +
            steps("click Form4/Command6; answer OK Pictures/photos need to be about the same "
                  "size OK?; hidden Form18/Text3; type Form18/Text1 a.jpg; "
                  "type Form18/Text2 b.jpg; click Form18/Command6; "
                  "answer OK [stop] You have not filled in all the boxes!; "
                  "type Form18/Text5 gondola5; click Form18/Option2; type Form18/Text3 c.jpg; "
                  "type Form18/Text4 d.jpg; click Form18/Command6; answer OK [stop] You have "
                  "not filled in all the boxes!; "
                  "type Form18/Text6 square; click Form18/Option4; click Form18/Command6; "
                  "hidden Form18; click Form4/Command6; answer OK Pictures/photos need to be "
                  "about the same size OK?; text Form18/Text1 ; "
                  "checked Form18/Option1; close Form18"),
        kPlainStart + "\r\n<CENTER>" + mouseOver("#", "gondola5", "a.jpg", "b.jpg") +
            "&nbsp;&nbsp;&nbsp;&nbsp;" + mouseOver("#", "square", "c.jpg", "d.jpg") +
            "</CENTER><P></P>");
    row("mouseover buttons",
        kToSelection +
            steps(links +
                  "click Form11/Command4; hidden Form11; click Form14/Option1; "
                  "click Form14/Command1; hidden Form15/Text7; click Form15/Command3; "
                  "file {P}/home.png; click Form15/Command4; file {P}/home2.png; "
                  "type Form15/Text3 page2.html; click Form15/Command1; answer No " +
                  sure + "; click Form15/Command1; answer Yes " + sure +
                  "; hidden Form15; text Form11/Command4 Installed; disabled Form11/Command4"),
        kPlainStart + mouseOver("page2.html", "button1", "home.png", "home2.png") +
            mouseOver(".html", "button2", "", ""),
        QStringList{"home.png", "home2.png"});
    row("button links",
        kToSelection +
            steps(links +
                  "click Form11/Command2; click Form19/Option1; click Form19/Command1; "
                  "hidden Form20/Text5; click Form20/Command2; file {P}/home.png; "
                  "type Form20/Text2 index.html; type Form20/Text3 next.gif; "
                  "type Form20/Text4 page2.html; click Form20/Command1; answer No " +
                  sure +
                  "; click Form20/Command1; answer Yes Are you absolutely sure that you typed "
                  "all links correctly; hidden Form20"),
        kPlainStart + "\r\n<A HREF=\"index.html\" TARGET =\"_top\"><IMG SRC=\"home.png\" "
                      "BORDER=\"0\"></A>\r\n<A HREF=\"page2.html\" TARGET =\"_top\"><IMG "
                      "SRC=\"next.gif\" BORDER=\"0\"></A><P></P>",
        QStringList{"home.png"});
    row("background colour, kept when the dialog is cancelled",
        kToBackground +
            steps("click Form3/Command2; colour #ff0000; text Form3/Text2 Background colour; "
                  "hidden Form3/Picture1; click Form3/Command2; cancel") +
            kNext,
        "<BODY BGCOLOR= \"#FF0000\">\r\n" + kHeading);
    row("own texture",
        kToBackground +
            steps("click Form3/Command3; cancel; click Form3/Command3; "
                  "file {P}/Stone Wall.jpg; text Form3/Text1 Stone Wall.jpg") +
            kNext,
        "<BODY BACKGROUND=\"Stone Wall.jpg\">\r\n" + kHeading, QStringList{"Stone Wall.jpg"});
    row("gallery texture",
        kToBackground +
            // All twenty in turn, then round again.
            steps("click Form3/Command4; hidden Form3; text Form5/Text1 bckgrnd20.jpg; " +
                  QStringLiteral("click Form5/Command1; ").repeated(20) +
                  "text Form5/Text1 bckgrnd20.jpg; " +
                  QStringLiteral("click Form5/Command1; ").repeated(7) +
                  "text Form5/Text1 bckgrnd7.jpg; click Form5/Command2; hidden Form5; "
                  "shown Form3/Text3; focus Form3/Command1") +
            kNext,
        "<BODY BACKGROUND=\"bckgrnd7.jpg\">\r\n" + kHeading, QStringList{"bckgrnd7.jpg"});
    row("gallery closed after a colour: no BODY line",
        kToBackground +
            steps("click Form3/Command2; colour #000000; click Form3/Command4; close Form5; "
                  "shown Form3") +
            kNext,
        kHeading);
    row("Back begins the page again",
        kToSelection +
            steps("click Form4/Command15; click Form4/Command2; hidden Form4; "
                  "hidden Form3/Text3") +
            kNext,
        kPlainStart);
}

void TestPages::pages()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, body);
    QFETCH(QStringList, files);
    QTemporaryDir session;
    Program app;
    app.vars = {{"S", session.path()}, {"P", m_pictures.path()}};
    QVERIFY2(app.run(steps + kSave), qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QStringLiteral("page.html"))),
                              savedPage(body), app.patience);
    QStringList listed = files + QStringList{"page.html"};
    listed.sort(Qt::CaseInsensitive);
    QCOMPARE(QDir(session.path()).entryList(QDir::Files), listed);
    for (const QString &file : files) {
        const QString mine = QFileInfo::exists(m_pictures.filePath(file))
                                 ? m_pictures.filePath(file)
                                 : installedFile(QStringLiteral("share/tarnwell/") + file);
        QCOMPARE(readAll(session.filePath(file)), readAll(mine));
    }
}

// Check page on a page typed by hand, and its Fix for each kind of mend.

// A named pipe or a folder named as a picture is no picture, and Check page
// answers at once rather than waiting for the pipe to be written.
void TestPages::findAndFix()
{
    QTemporaryDir session, elsewhere;
    const QDir folder(session.path());
    for (const QString &path : {folder.filePath("Photo1.JPG"), folder.filePath("my photo.jpg"),
                                folder.filePath("good.png"), elsewhere.filePath("gone.png")})
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(path, "PNG"));
    QVERIFY(makePipe(folder.filePath("pipe.png")));
    QVERIFY(QFile::link("pipe.png", folder.filePath("link.gif")));
    QVERIFY(folder.mkdir("folder.jpg"));

    Program app;
    app.vars["S"] = session.path();
    app.vars["E"] = elsewhere.path();
    QVERIFY2(app.run(kToSelection +
                     QStringList{"type Form4/Text1 <IMG SRC=\"gone.jpg\">\n<IMG SRC=\"photo1.jpg\">"
                                 "<IMG SRC=\"my photo.jpg\"><IMG SRC=\"C:\\pics\\a.jpg\">"
                                 "<IMG SRC=\"good.png\"><IMG SRC=\"pipe.png\">"
                                 "<IMG SRC=\"link.gif\"><IMG SRC=\"folder.jpg\">",
                                 "click Form4/CheckPage", "shown CheckPage"}),
             qPrintable(app.error()));
    const QStringList special = {"pipe.png | Not a picture", "link.gif | Not a picture",
                                 "folder.jpg | Not a picture"};
    QCOMPARE(problems(app),
             QStringList({"gone.jpg | Not in your folder", "photo1.jpg | Capital letters differ",
                          "my photo.jpg | Space or odd character",
                          "C:\\pics\\a.jpg | Address on this computer"}) +
                 special);

    QVERIFY2(app.run({"select CheckPage/Findings photo1.jpg", "enabled CheckPage/Fix",
                      "select CheckPage/Findings my photo.jpg", "disabled CheckPage/Fix",
                      "select CheckPage/Findings photo1.jpg", "click CheckPage/Fix",
                      "answer OK [info] Tarnwell renamed Photo1.JPG in your session folder to "
                      "photo1.jpg.",
                      "disabled CheckPage/Fix", "select CheckPage/Findings gone.jpg",
                      "click CheckPage/Fix", "file {E}/gone.png",
                      "answer OK [info] Tarnwell copied the picture into your session folder as "
                      "gone.jpg."}),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(problems(app),
                              QStringList({"my photo.jpg | Space or odd character",
                                           "C:\\pics\\a.jpg | Address on this computer"}) +
                                  special,
                              app.patience);
    QCOMPARE(listing(session.path()),
             QStringList({"folder.jpg/", "gone.jpg", "good.png", "link.gif", "my photo.jpg",
                          "photo1.jpg", "pipe.png"}));
}

// An address with a query string, a folder that changes while Check page is
// open, a file that appears while the file dialog is, and one that goes
// before Fix is pressed: every Fix answers at once, says what it did or why
// it did nothing, and nothing beside the session folder changes.
void TestPages::oddAddressesAndAChangingFolder()
{
    QTemporaryDir parent, elsewhere;
    const QDir folder(parent.filePath("site"));
    QVERIFY(folder.mkpath("."));
    QImage wide(800, 40, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    QVERIFY(wide.save(folder.filePath("wide.png")));
    QVERIFY(wide.save(parent.filePath("wide.png")));
    QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(elsewhere.filePath("gone.png")));
    const QStringList beside = listing(parent.path(), true, "site");

    Program app;
    app.vars["S"] = folder.path();
    app.vars["E"] = elsewhere.path();
    QVERIFY2(app.run(kToSelection + QStringList{"type Form4/Text1 <A HREF=\"wide.png\">"
                                                "<IMG SRC=\"wide.png?v=1.2\"></A>",
                                                "click Form4/CheckPage"}),
             qPrintable(app.error()));
    QCOMPARE(problems(app), QStringList({"wide.png?v=1.2 | Picture too wide"}));
    QVERIFY2(app.run({"select CheckPage/Findings wide.png?v=1.2", "click CheckPage/Fix",
                      "answer OK [info] Tarnwell made wide-web.jpg, 500 pixels wide, and uses it "
                      "here in the page in place of wide.png?v=1.2, which is kept as it is.",
                      "text Form4/Text1 <A HREF=\"wide.png\"><IMG SRC=\"wide-web.jpg\"></A>",
                      "text CheckPage/Findings No problems found |  |  | ",
                      "type Form4/Text1 <IMG SRC=\"later.png\"><IMG SRC=\"gone.png\">",
                      "click Form4/CheckPage"}),
             qPrintable(app.error()));
    QCOMPARE(problems(app),
             QStringList({"later.png | Not in your folder", "gone.png | Not in your folder"}));
    // Check again sees the file put into the folder meanwhile.
    QVERIFY(wide.save(folder.filePath("later.png")));
    QVERIFY2(app.run({"click CheckPage/Recheck"}), qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(
        problems(app),
        QStringList({"later.png | Picture too wide", "gone.png | Not in your folder"}),
        app.patience);
    QVERIFY2(app.run({"select CheckPage/Findings gone.png", "click CheckPage/Fix", "dialog"}),
             qPrintable(app.error()));
    QVERIFY(writeBytes(folder.filePath("gone.png"), "mine"));
    QVERIFY2(app.run({"file {E}/gone.png",
                      "answer OK [stop] Tarnwell could not mend gone.png: a file called gone.png "
                      "is in your session folder now. Tarnwell kept it and copied nothing."}),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(
        problems(app), QStringList({"later.png | Picture too wide", "gone.png | Not a picture"}),
        app.patience);
    QCOMPARE(readAll(folder.filePath("gone.png")), QByteArray("mine"));
    // A file that goes after the list was made is not mended blindly.
    QVERIFY2(app.run({"select CheckPage/Findings later.png", "enabled CheckPage/Fix"}),
             qPrintable(app.error()));
    QVERIFY(QFile::remove(folder.filePath("later.png")));
    QVERIFY2(app.run({"click CheckPage/Fix",
                      "answer OK [info] later.png has changed in the page or in your folder since "
                      "the list was made, so Tarnwell changed nothing. The list now shows what is "
                      "there."}),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(
        problems(app), QStringList({"later.png | Not in your folder", "gone.png | Not a picture"}),
        app.patience);
    QCOMPARE(folder.entryList(QDir::Files), QStringList({"gone.png", "wide-web.jpg", "wide.png"}));
    QCOMPARE(listing(parent.path(), true, "site"), beside);
    // The web copy is the picture made small; the picture itself is kept.
    QCOMPARE(QImageReader(folder.filePath("wide-web.jpg")).size(), QSize(500, 25));
    QCOMPARE(QImage(folder.filePath("wide.png")), wide);
}

QTEST_GUILESS_MAIN(TestPages)
#include "tst_e2e_pages.moc"

// Every screen that adds to the page, walked as a user would, down to the
// saved file byte for byte and the pictures copied into the session folder,
// for the classic page and for the page for phones and today's browsers;
// then Check page and its Fixes.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QImage>
#include <QTest>

using namespace tarnwell::e2e;

namespace {
const QString kLinkWords =
    QStringLiteral("answer OK [warn] Please type the words of each link: someone who cannot see "
                   "its picture hears them instead.");

QByteArray mouseOver(const QByteArray &href, const QByteArray &name, const QByteArray &out,
                     const QByteArray &over)
{
    return "\r\n<A HREF=\"" + href + "\" ONMOUSEOVER=\"" + name + ".src='" + over +
           "'\"\r\n ONMOUSEOUT=\"" + name + ".src='" + out + "'\">\r\n<IMG SRC=\"" + out +
           "\" NAME=\"" + name + "\" BORDER=\"0\"></A>";
}

QByteArray swap(const QByteArray &href, const QByteArray &out, const QByteArray &over)
{
    const QByteArray to = "this.querySelector('img').src='";
    return "\r\n<a href=\"" + href + "\" onmouseover=\"" + to + over + "'\" onfocus=\"" + to +
           over + "'\"\r\n onmouseout=\"" + to + out + "'\" onblur=\"" + to + out + "'\">\r\n";
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
    void checkPageAsksForDescriptions();
    void oddAddressesAndAChangingFolder();

private:
    QTemporaryDir m_pictures;
};

void TestPages::initTestCase()
{
    // Sizes that no side of another picture shares, so each is checked.
    const struct
    {
        const char *name;
        int width;
        int height;
    } pictures[] = {{"My Photo \u0436.PNG", 8, 8}, {"a.png", 8, 8},      {"p.jpg", 8, 8},
                    {"bike.png", 12, 7},           {"home.png", 20, 10}, {"home2.png", 20, 10},
                    {"Stone Wall.jpg", 9, 9}};
    for (const auto &picture : pictures)
        QVERIFY(writePictureFile(m_pictures.filePath(QString::fromUtf8(picture.name)),
                                 picture.width, picture.height,
                                 QColor::fromHsv(qHash(QByteArray(picture.name)) % 360, 200, 200)));
    QVERIFY(writeBytes(m_pictures.filePath(QStringLiteral("Page Two.html")), "<P>2</P>"));
    QVERIFY(
        writeBytes(m_pictures.filePath(QStringLiteral("stone.jpg")), "text, not a picture\r\n"));
}

void TestPages::pages_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("file");
    // The session folder afterwards, besides the page and link.png.
    QTest::addColumn<QStringList>("files");
    const auto whole = [](const char *name, const QStringList &steps, const QByteArray &file,
                          const QStringList &files = {}) {
        QTest::newRow(name) << steps << file << files;
    };
    const auto row = [&](const char *name, const QStringList &steps, const QByteArray &body,
                         const QStringList &files = {}) {
        whole(name, steps, savedPage(body), files);
    };
    // Rows from the Selection screen on: its steps, and what follows the heading.
    const auto added = [&](const char *name, const QString &script, const QByteArray &body,
                           const QStringList &files = {}) {
        row(name, kToSelection + steps(script), kPlainStart + body, files);
    };
    // The question of an "answer Yes" step, answered No.
    const auto no = [](const QString &yes) { return "answer No " + yes.section(u' ', 2); };
    const QByteArray arialRed = "\r\n<FONT FACE=\"Arial, Helvetica\" SIZE=\"2\" COLOR=\"#FF0000\">";
    const QString notFilled =
        QStringLiteral("answer OK [stop] You have not filled in all the boxes!");

    added("paragraphs keep their choices",
          "click Form4/Command4; hidden Form4/Command2; type Form6/Text1 Hello; "
          "click Form6/Option2; click Form6/Option4; click Form6/Option11; "
          "click Form6/Command2; colour #ff0000; colour-of Form6/Text1 #ff0000; "
          "click Form6/Command2; cancel; click Form6/Command1; " +
              no(kSizeOk) + "; shown Form6; click Form6/Command1; " + kSizeOk +
              "; hidden Form6; click Form4/Command4; text Form6/Text1 ; type Form6/Text1 Again; "
              "click Form6/Command1; " +
              kSizeOk +
              "; click Form4/Command4; click Form6/Command3; focus Form4/Command3; "
              "click Form4/Command4; close Form6; hidden Form6",
          arialRed + "<B>Hello</B></FONT><P></P>" + arialRed + "<B>Again</B></FONT><P></P>");
    added("paragraph as typed",
          "click Form4/Command4; type Form6/Text1 Fish & <b>chips</b> \"\u0436\"\nline two; "
          "click Form6/Option9; click Form6/Option12; click Form6/Command1; " +
              kSizeOk,
          "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"7\" COLOR=\"#000000\"><I>Fish & <b>chips</b> "
          "\"&#1078;\"\r\nline two</I></FONT><P></P>");
    added("headings go back to black",
          "click Form4/Command11; hidden Form4/Command2; type Form8/Text1 News; "
          "click Form8/Command2; colour #ff0000; click Form8/Command1; " +
              no(kSizeOk) + "; click Form8/Command1; " + kSizeOk +
              "; hidden Form8; click Form4/Command11; text Form8/Text1 ; type Form8/Text1 More; "
              "click Form8/Option3; click Form8/Option5; click Form8/Option6; "
              "click Form8/Command1; " +
              kSizeOk,
          "\r\n<FONT COLOR=\"#FF0000\" FACE=\"Times New Roman\"><H1>News</FONT></H1>\r\n<CENTER>"
          "\r\n<FONT COLOR=\"#000000\" FACE=\"Arial, Helvetica\"><H3>More</FONT></H3></CENTER>");
    added("rules and breaks",
          "click Form4/Command9; click Form7/Command1; hidden Form7; "
          "click Form4/Command9; click Form7/Option2; click Form7/Command1; "
          "click Form4/Command9; click Form7/Option3; click Form7/Command1; "
          "click Form4/Command9; checked Form7/Option3; click Form7/Command2; "
          "click Form4/Command15; click Form4/Command12",
          "\r\n<HR WIDTH=\"100%\">\r\n<HR WIDTH=\"75%\">\r\n<HR WIDTH=\"50%\">\r\n<BR>\r\n<P></P>");
    added("single pictures, found and typed",
          "click Form4/Command5; focus Form9/Command2; click Form9/Command1; "
          "file {P}/My Photo \u0436.PNG; text Form9/Text1 my-photo.png; click Form9/Command2; " +
              no(kPlaceOk) + "; click Form9/Command2; " + kPlaceOk +
              "; hidden Form9; click Form4/Command5; text Form9/Text1 ; click Form9/Option1; "
              "click Form9/Command1; cancel; text Form9/Text1 ; type Form9/Text1 typed name.gif; "
              "click Form9/Command2; " +
              kPlaceOk,
          "\r\n<IMG SRC=\"my-photo.png\"><P></P>"
          "\r\n<CENTER><IMG SRC=\"typed name.gif\"></CENTER><P></P>",
          {"my-photo.png=My Photo \u0436.PNG"});
    added("two images",
          "click Form4/Command13; hidden Form4; click Form21/Command1; file {P}/a.png; "
          "click Form21/Command2; file {P}/a.png; click Form21/Command3; shown Form4; "
          "focus Form4/Command3; click Form4/Command13; text Form21/Text1 ; "
          "click Form21/Option2; type Form21/Text2 b.jpg; click Form21/Command3",
          "\r\n<CENTER>\r\n<P></P><IMG SRC=\"a.png\">&nbsp;&nbsp;&nbsp;&nbsp;<IMG SRC=\"a.png\">"
          "</CENTER><P></P><IMG SRC=\"\">&nbsp;&nbsp;&nbsp;&nbsp;<IMG SRC=\"b.jpg\">",
          {"a.png"});
    added("text and picture",
          "click Form4/Command7; hidden Form4; focus Form10/Text2; "
          "type Form10/Text2 Hello; click Form10/Command1; "
          "answer OK [info] You did not choose a picture; text Form10/Text2 Hello; "
          "click Form10/Command2; file {P}/p.jpg; click Form10/Command1; shown Form4; "
          "click Form4/Command7; click Form10/Command4; colour #ff0000; "
          "click Form10/Option2; click Form10/Option7; click Form10/Option5; "
          "type Form10/Text2 one\ntwo; click Form10/Command2; file {P}/p.jpg; "
          "click Form10/Command1",
          "\r\n<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r\n<TR>"
          "\r\n<TD><IMG SRC=\"p.jpg\"></TD>\r\n<TD><FONT COLOR=\"#000000\" "
          "FACE=\"TimesNew Roman\" SIZE=\"3\">Hello</FONT></TD>\r\n</TR>\r\n</TABLE>"
          "\r\n<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r\n<TR>\r\n<TD><FONT "
          "COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\" SIZE=\"5\">one\r\ntwo</FONT>"
          "</TD>\r\n<TD><IMG SRC=\"p.jpg\"></TD>\r\n</TR>\r\n</TABLE>",
          {"p.jpg"});
    added("text links",
          kToLinks + "; click Form11/Command3; shown Form12; hidden Form11/Command2; "
                     "text Form12/Text1 .html; click Form12/Command2; cancel; "
                     "text Form12/Text1 .html; click Form12/Command2; file {P}/Page Two.html; "
                     "text Form12/Text1 Page Two.html; type Form12/Text2 To Page 2; "
                     "click Form12/Command1; hidden Form12; click Form11/Command3; "
                     "text Form12/Text2 To Page 2; click Form12/Option2; click Form12/Option4; "
                     "click Form12/Option7; click Form12/Option9; click Form12/Command4; "
                     "colour #ff0000; type Form12/Text2 ; click Form12/Command1",
          "\r\n<CENTER>\r\n<P></P><A HREF=\"Page Two.html\"><B><FONT FACE=\"Times "
          "New Roman\" COLOR=\"#0000FF\" SIZE=\"2\">To Page 2</B></FONT></A>"
          "</CENTER>\r\n<P></P><A HREF=\"Page Two.html\"><FONT FACE=\"Arial, "
          "Helvetica\" COLOR=\"#FF0000\" SIZE=\"4\"></FONT></A>");
    added("mouseover pictures",
          "click Form4/Command6; " + kSameSize +
              "; hidden Form18/Text3; type Form18/Text1 a.jpg; type Form18/Text2 b.jpg; "
              "click Form18/Command6; " +
              notFilled +
              "; type Form18/Text5 gondola5; click Form18/Option2; type Form18/Text3 c.jpg; "
              "type Form18/Text4 d.jpg; click Form18/Command6; " +
              notFilled +
              "; type Form18/Text6 square; click Form18/Option4; click Form18/Command6; "
              "hidden Form18; click Form4/Command6; " +
              kSameSize + "; text Form18/Text1 ; checked Form18/Option1; close Form18",
          "\r\n<CENTER>" + mouseOver("#", "gondola5", "a.jpg", "b.jpg") +
              "&nbsp;&nbsp;&nbsp;&nbsp;" + mouseOver("#", "square", "c.jpg", "d.jpg") +
              "</CENTER><P></P>");
    added("mouseover buttons",
          kToLinks +
              "; click Form11/Command4; hidden Form11; click Form14/Option1; "
              "click Form14/Command1; hidden Form15/Text7; click Form15/Command3; "
              "file {P}/home.png; click Form15/Command4; file {P}/home2.png; "
              "type Form15/Text3 page2.html; click Form15/Command1; " +
              no(kLinksOk) + "; click Form15/Command1; " + kLinksOk +
              "; hidden Form15; text Form11/Command4 Installed; disabled Form11/Command4",
          mouseOver("page2.html", "button1", "home.png", "home2.png") +
              mouseOver(".html", "button2", "", ""),
          {"home.png", "home2.png"});
    added("button links",
          kToLinks +
              "; click Form11/Command2; click Form19/Option1; click Form19/Command1; "
              "hidden Form20/Text5; click Form20/Command2; file {P}/home.png; "
              "type Form20/Text2 index.html; type Form20/Text3 next.gif; "
              "type Form20/Text4 page2.html; click Form20/Command1; " +
              no(kLinksOk) + "; click Form20/Command1; " + kLinksOk + "; hidden Form20",
          "\r\n<A HREF=\"index.html\" TARGET =\"_top\"><IMG SRC=\"home.png\" BORDER=\"0\"></A>"
          "\r\n<A HREF=\"page2.html\" TARGET =\"_top\"><IMG SRC=\"next.gif\" BORDER=\"0\"></A>"
          "<P></P>",
          {"home.png"});
    // Rows on the Background screen: its steps, and the BODY line before the heading.
    const auto background = [&](const char *name, const QString &script, const QByteArray &body,
                                const QStringList &files = {}) {
        row(name, kToBackground + steps(script) + kNext, body + kHeading, files);
    };
    background("background colour, kept when the dialog is cancelled",
               "click Form3/Command2; colour #ff0000; text Form3/Text2 Background colour; "
               "hidden Form3/Picture1; click Form3/Command2; cancel",
               "<BODY BGCOLOR= \"#FF0000\">\r\n");
    background("own texture",
               "click Form3/Command3; cancel; click Form3/Command3; file {P}/Stone Wall.jpg; "
               "text Form3/Text1 stone-wall.jpg",
               "<BODY BACKGROUND=\"stone-wall.jpg\">\r\n", {"stone-wall.jpg=Stone Wall.jpg"});
    // All twenty in turn, then round again.
    background("gallery texture",
               "click Form3/Command4; hidden Form3; text Form5/Text1 bckgrnd20.jpg; " +
                   QStringLiteral("click Form5/Command1; ").repeated(20) +
                   "text Form5/Text1 bckgrnd20.jpg; " +
                   QStringLiteral("click Form5/Command1; ").repeated(7) +
                   "text Form5/Text1 bckgrnd7.jpg; click Form5/Command2; hidden Form5; "
                   "shown Form3/Text3; focus Form3/Command1",
               "<BODY BACKGROUND=\"bckgrnd7.jpg\">\r\n", {"bckgrnd7.jpg"});
    background("gallery closed after a colour: no BODY line",
               "click Form3/Command2; colour #000000; click Form3/Command4; close Form5; "
               "shown Form3",
               {});
    row("Back begins the page again",
        kToSelection +
            steps("click Form4/Command15; click Form4/Command2; hidden Form4; hidden Form3/Text3") +
            kNext,
        kPlainStart);
    // A file named as a picture that is none goes in, and is copied, as it is.
    row("files that are no pictures",
        kToBackground + steps("click Form3/Command3; file {P}/stone.jpg") + kNext +
            steps("click Form4/Command5; click Form9/Command1; file {P}/stone.jpg; "
                  "click Form9/Command2; " +
                  kPlaceOk),
        "<BODY BACKGROUND=\"stone.jpg\">\r\n" + kHeading + "\r\n<IMG SRC=\"stone.jpg\"><P></P>",
        {"stone.jpg"});

    // The page for phones and today's browsers, from its head to its heading.
    const auto modernTop = [](const QByteArray &head, const QByteArray &body) {
        return head + body + "\r\n<main>\r\n" + kModernWelcome + kModernClosing;
    };
    const QString fish = QStringLiteral("type Form2/Description Fish & \"chips\" \u0436");
    whole("language and description",
          toModernHead("; choose Form2/PageLanguage German (de); " + fish) +
              steps("click Form2/Command1") + kNext,
          modernTop(modernHead("de", "<meta name=\"description\" content=\"Fish &amp; "
                                     "&quot;chips&quot; \xD0\xB6\">\r\n"),
                    "<body style=\"background-color: #FFFFFF\">"));
    row("ticked and unticked again: the classic page",
        toModernHead("; click Form2/ModernPage; hidden Form2/PageLanguage") +
            steps("click Form2/Command1") + kNext + steps("text Form4/PageMode Classic page"),
        kPlainStart);
    // A description typed for a classic page takes the place of Tarnwell's own.
    whole("description on a classic page",
          steps(kUseFolder +
                "; type Form2/Text1 My page; type Form2/Text2 Welcome; "
                "hidden Form2/PageLanguage; " +
                fish + "; click Form2/Command1; shown Form3") +
              kNext + steps("text Form4/PageMode Classic page"),
          "<HTML>\r\n<HEAD>\r\n<TITLE>My page</TITLE>\r\n<META name=\"description\" "
          "content=\"Fish &amp; &quot;chips&quot; &#1078;\">\r\n</HEAD>\r\n" +
              kPlainStart + "\r\n</BODY>\r\n</HTML>\r\n\r\n");
    whole("background colour",
          kModernToBackground + steps("click Form3/Command2; colour #ff0000") + kNext,
          modernTop(modernHead("en", {}), "<body style=\"background-color: #FF0000\">"));
    whole(
        "own texture",
        kModernToBackground + steps("click Form3/Command3; file {P}/Stone Wall.jpg") + kNext,
        modernTop(modernHead("en", {}), "<body style=\"background-image: url('stone-wall.jpg')\">"),
        {"stone-wall.jpg=Stone Wall.jpg"});

    // Rows from the selection screen on: the page's body between its fixed lines.
    const auto fragment = [](const char *name, const QString &script, const QByteArray &body,
                             const QStringList &files = {}) {
        QTest::newRow(name) << kModernToSelection + steps(script) << modernPage(body) << files;
    };
    const QByteArray bike = "<img src=\"bike.png\" alt=\"Bike\" width=\"12\" height=\"7\">";

    fragment("heading, rule and breaks",
             "click Form4/Command11; type Form8/Text1 News; click Form8/Command1; " + kSizeOk +
                 "; click Form4/Command9; click Form7/Option2; click Form7/Command1; "
                 "click Form4/Command15; click Form4/Command12",
             "\r\n<h1 style=\"font-family: 'Times New Roman', Times, serif; color: #000000\">News"
             "</h1>\r\n<hr style=\"width: 75%\">\r\n<br>\r\n<p></p>");
    fragment("paragraph keeps its line breaks", paragraph("one\ntwo").join("; "),
             "\r\n<p style=\"font-family: 'Times New Roman', Times, serif; font-size: 1.125rem; "
             "color: #000000\">one<br>\r\ntwo</p>");
    fragment("pre-sized picture: decoration",
             "click Form4/Command5; click Form9/Command1; file {P}/bike.png; click Form9/Option1; "
             "click Form9/Command2; " +
                 kDescribe + "; click Form9/Decorative; click Form9/Command2; " + kPlaceOk +
                 "; hidden Form9",
             "\r\n<p style=\"text-align: center\"><img src=\"bike.png\" alt=\"\" width=\"12\" "
             "height=\"7\"></p>",
             {"bike.png"});
    // link.png in the session folder leads to a picture outside it.
    fragment("a link out of the folder is not read",
             "click Form4/Command5; type Form9/Text1 link.png; type Form9/AltText Bike; "
             "click Form9/Command2; " +
                 kPlaceOk,
             "\r\n<p><img src=\"link.png\" alt=\"Bike\"></p>");
    fragment("two pictures, one typed",
             "click Form4/Command13; click Form21/Command1; file {P}/bike.png; "
             "type Form21/Text2 typed name.gif; type Form21/AltText Bike; click Form21/Command3; " +
                 kDescribe +
                 "; shown Form21; type Form21/AltText2 Car; click Form21/Command3; shown Form4",
             "\r\n<div class=\"side\" style=\"justify-content: center\">\r\n" + bike +
                 "\r\n<img src=\"typed%20name.gif\" alt=\"Car\"></div>",
             {"bike.png"});
    fragment("text and picture",
             "click Form4/Command7; type Form10/Text2 Hello; click Form10/Command2; "
             "file {P}/bike.png; click Form10/Command1; " +
                 kDescribe +
                 "; type Form10/AltText Bike; click Form10/Option2; click Form10/Command1; "
                 "shown Form4",
             "\r\n<div class=\"side\">\r\n<p style=\"font-family: 'Times New Roman', Times, "
             "serif; font-size: 1rem; color: #000000\">Hello</p>\r\n" +
                 bike + "</div>",
             {"bike.png"});
    fragment("mouseover picture needs no name",
             "click Form4/Command6; " + kSameSize +
                 "; hidden Form18/Text5; hidden Form18/Label8; hidden Form18/AltText2; "
                 "type Form18/Text1 a.jpg; type Form18/Text2 b.jpg; click Form18/Command6; " +
                 kDescribe + "; type Form18/AltText Gondola; click Form18/Command6; hidden Form18",
             "\r\n<p>" + swap("#", "a.jpg", "b.jpg") +
                 "<img src=\"a.jpg\" alt=\"Gondola\"></a></p>");
    fragment("text link",
             kToLinks + "; click Form11/Command3; type Form12/Text1 page two.html; "
                        "type Form12/Text2 Next; click Form12/Command1",
             "\r\n<p style=\"text-align: center\"><a href=\"page%20two.html\" style=\"font-family: "
             "'Times New Roman', Times, serif; font-size: 1rem; color: #0000FF; font-weight: "
             "bold\">Next</a></p>");
    fragment("button links say their words",
             kToLinks +
                 "; click Form11/Command2; click Form19/Option1; click Form19/Command1; "
                 "hidden Form20/AltText3; click Form20/Command2; file {P}/home.png; "
                 "type Form20/Text2 index.html; type Form20/Text3 next.gif; "
                 "type Form20/Text4 page2.html; type Form20/AltText Home; "
                 "click Form20/Command1; " +
                 kLinkWords + "; type Form20/AltText2 Next page; click Form20/Command1; " +
                 kLinksOk + "; hidden Form20",
             "\r\n<p><a href=\"index.html\" target=\"_top\"><img src=\"home.png\" alt=\"Home\" "
             "width=\"20\" height=\"10\"></a>\r\n<a href=\"page2.html\" target=\"_top\"><img "
             "src=\"next.gif\" alt=\"Next page\"></a></p>",
             {"home.png"});
    fragment("mouseover buttons, more than one set",
             kToLinks +
                 "; click Form11/Command4; click Form14/Option7; click Form14/Command1; "
                 "hidden Form15/AltText2; click Form15/Command3; file {P}/home.png; "
                 "click Form15/Command4; file {P}/home2.png; "
                 "type Form15/Text3 page2.html; click Form15/Command1; " +
                 kLinkWords + "; type Form15/AltText Home; click Form15/Command1; " + kLinksOk +
                 "; hidden Form15; enabled Form11/Command4",
             "\r\n<p>" + swap("page2.html", "home.png", "home2.png") +
                 "<img src=\"home.png\" alt=\"Home\" width=\"20\" height=\"10\"></a></p>",
             {"home.png", "home2.png"});
    // More than one picture or button: each keeps its own files, link and words.
    fragment("two mouseover pictures side by side",
             "click Form4/Command6; " + kSameSize +
                 "; click Form18/Option2; type Form18/Text1 a.jpg; type Form18/Text2 b.jpg; "
                 "type Form18/Text3 c.jpg; type Form18/Text4 d.jpg; "
                 "type Form18/AltText Gondola; type Form18/AltText2 Bridge; "
                 "click Form18/Command6; hidden Form18",
             "\r\n<p>" + swap("#", "a.jpg", "b.jpg") + "<img src=\"a.jpg\" alt=\"Gondola\"></a>" +
                 swap("#", "c.jpg", "d.jpg") + "<img src=\"c.jpg\" alt=\"Bridge\"></a></p>");
    const auto button = [](const QByteArray &link, const QByteArray &file, const QByteArray &alt) {
        return "<a href=\"" + link + "\" target=\"_top\"><img src=\"" + file + "\" alt=\"" + alt +
               "\"></a>";
    };
    fragment("three buttons down",
             kToLinks +
                 "; click Form11/Command2; click Form19/Option5; click Form19/Command1; "
                 "type Form20/Text1 one.gif; type Form20/Text2 one.html; "
                 "type Form20/Text3 two.gif; type Form20/Text4 two.html; "
                 "type Form20/Text5 three.gif; type Form20/Text6 three.html; "
                 "type Form20/AltText One; type Form20/AltText2 Two; "
                 "type Form20/AltText3 Three; click Form20/Command1; " +
                 kLinksOk + "; hidden Form20",
             "\r\n<p>" + button("one.html", "one.gif", "One") + "</p>\r\n<p>" +
                 button("two.html", "two.gif", "Two") + "</p>\r\n<p>" +
                 button("three.html", "three.gif", "Three") + "</p>");
    const QString mouseOverButtons =
        kToLinks +
        "; click Form11/Command4; click Form14/%1; click Form14/Command1; "
        "click Form15/Command3; file {P}/home.png; click Form15/Command4; "
        "file {P}/home2.png; type Form15/Text3 one.html; click Form15/Command5; "
        "file {P}/bike.png; click Form15/Command6; file {P}/a.png; "
        "type Form15/Text6 two.html; type Form15/AltText One; "
        "type Form15/AltText2 Two; %2click Form15/Command1; " +
        kLinksOk + "; hidden Form15";
    const QByteArray a = swap("one.html", "home.png", "home2.png") +
                         "<img src=\"home.png\" alt=\"One\" width=\"20\" height=\"10\"></a>";
    const QByteArray b = swap("two.html", "bike.png", "a.png") +
                         "<img src=\"bike.png\" alt=\"Two\" width=\"12\" height=\"7\"></a>";
    const QStringList four = {"a.png", "bike.png", "home.png", "home2.png"};
    fragment("two mouseover buttons down", mouseOverButtons.arg("Option6", ""),
             "\r\n<p>" + a + "</p>\r\n<p>" + b + "</p>", four);
    fragment("three mouseover buttons across",
             mouseOverButtons.arg("Option3", "click Form15/Command7; file {P}/p.jpg; "
                                             "click Form15/Command8; file {P}/bike.png; "
                                             "type Form15/Text9 three.html; "
                                             "type Form15/AltText3 Three; "),
             a + b + swap("three.html", "p.jpg", "bike.png") +
                 "<img src=\"p.jpg\" alt=\"Three\" width=\"8\" height=\"8\"></a>",
             four + QStringList{"p.jpg"});
}

void TestPages::pages()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, files);
    QTemporaryDir session;
    QVERIFY(QFile::link(m_pictures.filePath("bike.png"), session.filePath("link.png")));
    Program app;
    app.vars = {{"S", session.path()}, {"P", m_pictures.path()}};
    E2E_RUN(app, steps + kSave);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QStringLiteral("page.html"))), file,
                              app.patience);
    // "name=source": copied in as name from source.
    QStringList listed = QStringList{"link.png", "page.html"};
    for (const QString &file : files)
        listed << file.section(u'=', 0, 0);
    listed.sort(Qt::CaseInsensitive);
    QCOMPARE(QDir(session.path()).entryList(QDir::Files), listed);
    for (const QString &copied : files) {
        const QString file = copied.section(u'=', 0, 0);
        const QString source = copied.contains(u'=') ? copied.section(u'=', 1) : file;
        const QString mine = QFileInfo::exists(m_pictures.filePath(source))
                                 ? m_pictures.filePath(source)
                                 : installedFile(QStringLiteral("share/tarnwell/") + source);
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
    app.vars = {{"S", session.path()}, {"E", elsewhere.path()}};
    E2E_RUN(app, kToSelection +
                     QStringList{"type Form4/Text1 <IMG SRC=\"gone.jpg\">\n<IMG SRC=\"photo1.jpg\">"
                                 "<IMG SRC=\"my photo.jpg\"><IMG SRC=\"C:\\pics\\a.jpg\">"
                                 "<IMG SRC=\"good.png\"><IMG SRC=\"pipe.png\">"
                                 "<IMG SRC=\"link.gif\"><IMG SRC=\"folder.jpg\">",
                                 "click Form4/CheckPage", "shown CheckPage"});
    // The rows above those of the three that are no pictures and of the page.
    const auto then = [](const QStringList &rows) {
        return rows + QStringList{"pipe.png | Not a picture", "link.gif | Not a picture",
                                  "folder.jpg | Not a picture", kNotForPhones};
    };
    const QString local = QStringLiteral("C:\\pics\\a.jpg | Address on this computer");
    const QString space = QStringLiteral("my photo.jpg | Space or odd character");
    QCOMPARE(findings(app), then({"gone.jpg | Not in your folder",
                                  "photo1.jpg | Capital letters differ", space, local}));

    E2E_RUN(app, {"select CheckPage/Findings photo1.jpg", "enabled CheckPage/Fix",
                  "select CheckPage/Findings my photo.jpg", "enabled CheckPage/Fix",
                  "select CheckPage/Findings photo1.jpg", "click CheckPage/Fix",
                  "answer OK [info] Tarnwell renamed Photo1.JPG in your session folder to "
                  "photo1.jpg.",
                  "disabled CheckPage/Fix", "select CheckPage/Findings gone.jpg",
                  "click CheckPage/Fix", "file {E}/gone.png",
                  "answer OK [info] Tarnwell copied the picture into your session folder as "
                  "gone.jpg."});
    QTRY_COMPARE_WITH_TIMEOUT(findings(app), then({space, local}), app.patience);
    QStringList files = {"folder.jpg/",  "gone.jpg",   "good.png", "link.gif",
                         "my photo.jpg", "photo1.jpg", "pipe.png"};
    QCOMPARE(listing(session.path()), files);
    // The name with a space: the file renamed and its one address with it.
    E2E_RUN(app, {"select CheckPage/Findings my photo.jpg", "click CheckPage/Fix",
                  "answer OK [info] Tarnwell renamed my photo.jpg in your session folder to "
                  "my-photo.jpg and uses the new name in the page."});
    QTRY_COMPARE_WITH_TIMEOUT(findings(app), then({local}), app.patience);
    QVERIFY(app.text("Form4/Text1")
                .contains("<IMG SRC=\"photo1.jpg\"><IMG SRC=\"my-photo.jpg\">"
                          "<IMG SRC=\"C:"));
    files.replace(4, "my-photo.jpg");
    QCOMPARE(listing(session.path()), files);
}

// A picture typed into a modern page by hand without alt is found, once.
void TestPages::checkPageAsksForDescriptions()
{
    Fresh fresh;
    auto &[session, app] = fresh;
    QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(session.filePath("bike.png"), "PNG"));
    const QString typed = QStringLiteral(
        "type Form4/Text1 <!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
        "name=\"generator\" content=\"Tarnwell\">\n</head>\n<body>\n<p><img src=\"bike.png\">"
        "<img src=\"bike.png\" alt=\"\"></p>");
    E2E_RUN(app,
            kModernToSelection + QStringList{typed, "click Form4/CheckPage", "shown CheckPage"});
    QCOMPARE(findings(app), QStringList{"bike.png | Picture not described"});
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
    app.vars = {{"S", folder.path()}, {"E", elsewhere.path()}};
    // The file's and the picture's rows, then the page's.
    const auto rows = [](const QString &later, const QString &gone) {
        return QStringList{"later.png | " + later, "gone.png | " + gone, kNotForPhones};
    };
    const QString missing = QStringLiteral("Not in your folder");
    E2E_RUN(app, kToSelection + QStringList{"type Form4/Text1 <A HREF=\"wide.png\">"
                                            "<IMG SRC=\"wide.png?v=1.2\"></A>",
                                            "click Form4/CheckPage"});
    QCOMPARE(findings(app), QStringList({"wide.png?v=1.2 | Picture too wide", kNotForPhones}));
    E2E_RUN(app, {"select CheckPage/Findings wide.png?v=1.2", "click CheckPage/Fix",
                  "answer OK [info] Tarnwell made wide-web.jpg, 500 pixels wide, and uses it "
                  "here in the page in place of wide.png?v=1.2, which is kept as it is.",
                  "text Form4/Text1 <A HREF=\"wide.png\"><IMG SRC=\"wide-web.jpg\"></A>",
                  "text CheckPage/Findings This page | Not made for phones | Phones show this "
                  "page shrunk to less than half its size, with text too small to read. | Tick "
                  "'Make a page for phones' on the HEAD screen when you start your next page.",
                  "type Form4/Text1 <IMG SRC=\"later.png\"><IMG SRC=\"gone.png\">",
                  "click Form4/CheckPage"});
    QCOMPARE(findings(app), rows(missing, missing));
    // Check again sees the file put into the folder meanwhile.
    QVERIFY(wide.save(folder.filePath("later.png")));
    E2E_RUN(app, {"click CheckPage/Recheck"});
    QTRY_COMPARE_WITH_TIMEOUT(findings(app), rows("Picture too wide", missing), app.patience);
    E2E_RUN(app, {"select CheckPage/Findings gone.png", "click CheckPage/Fix", "dialog"});
    QVERIFY(writeBytes(folder.filePath("gone.png"), "mine"));
    E2E_RUN(app, {"file {E}/gone.png",
                  "answer OK [stop] Tarnwell could not mend gone.png: a file called gone.png "
                  "is in your session folder now. Tarnwell kept it and copied nothing."});
    QTRY_COMPARE_WITH_TIMEOUT(findings(app), rows("Picture too wide", "Not a picture"),
                              app.patience);
    QCOMPARE(readAll(folder.filePath("gone.png")), QByteArray("mine"));
    // A file that goes after the list was made is not mended blindly.
    E2E_RUN(app, {"select CheckPage/Findings later.png", "enabled CheckPage/Fix"});
    QVERIFY(QFile::remove(folder.filePath("later.png")));
    E2E_RUN(app, {"click CheckPage/Fix",
                  "answer OK [info] later.png has changed in the page or in your folder since "
                  "the list was made, so Tarnwell changed nothing. The list now shows what is "
                  "there."});
    QTRY_COMPARE_WITH_TIMEOUT(findings(app), rows(missing, "Not a picture"), app.patience);
    QCOMPARE(folder.entryList(QDir::Files), QStringList({"gone.png", "wide-web.jpg", "wide.png"}));
    QCOMPARE(listing(parent.path(), true, "site"), beside);
    QCOMPARE(QImage(folder.filePath("wide.png")), wide); // kept as it was
}

QTEST_GUILESS_MAIN(TestPages)
#include "tst_e2e_pages.moc"

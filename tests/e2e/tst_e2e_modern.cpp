// The page for phones and today's browsers, chosen on the HEAD screen: made,
// saved, loaded back and added to, down to the saved file byte for byte.

#include "driver.h"
#include "walks.h"

#include <QImage>
#include <QTest>

using namespace tarnwell::e2e;

namespace {
const QString kDescribe =
    QStringLiteral("answer OK [warn] Please describe the picture for someone who cannot see it*");
const QString kLinkWords = QStringLiteral("answer OK [warn] Please type the words of each link*");
const QString kLinks = QStringLiteral(
    "click Form4/Command8; hidden Form4/Command2; click Form16/Command1; shown Form11; ");
const QString kSure =
    QStringLiteral("answer Yes Are you absolutely sure that you typed all links correctly");

QByteArray swap(const QByteArray &href, const QByteArray &out, const QByteArray &over)
{
    const QByteArray to = "this.querySelector('img').src='";
    return "\r\n<a href=\"" + href + "\" onmouseover=\"" + to + over + "'\" onfocus=\"" + to +
           over + "'\"\r\n onmouseout=\"" + to + out + "'\" onblur=\"" + to + out + "'\">\r\n";
}
} // namespace

class TestModern final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void workedExampleSavedLoadedAndExtended();
    void pages_data();
    void pages();
    void checkPageAsksForDescriptions();

private:
    QTemporaryDir m_pictures;
};

void TestModern::initTestCase()
{
    // Sizes that no side of another picture shares, so each is checked.
    const struct
    {
        const char *name;
        int width;
        int height;
    } pictures[] = {
        {"bike.png", 12, 7}, {"home.png", 20, 10}, {"home2.png", 20, 10}, {"Stone Wall.jpg", 9, 9}};
    for (const auto &picture : pictures) {
        QImage image(picture.width, picture.height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString file = QString::fromUtf8(picture.name);
        QVERIFY(image.save(m_pictures.filePath(file), file.endsWith(".jpg") ? "JPG" : "PNG"));
    }
}

void TestModern::workedExampleSavedLoadedAndExtended()
{
    QTemporaryDir session;
    const QString page = session.filePath(QStringLiteral("page.html"));
    {
        Program app;
        app.vars = {{"S", session.path()}};
        QVERIFY2(app.run(kModernToSelection +
                         steps("click Form4/Command4; type Form6/Text1 Hello; "
                               "click Form6/Command1; answer Yes Did you check size, colour etc?; "
                               "hidden Form6") +
                         kSave +
                         steps("click Form4/Command1; answer Yes Saved your file?; exit 0")),
                 qPrintable(app.error()));
        QCOMPARE(readAll(page), modernPage(modernParagraph("Hello")));
    }

    // Loaded back it is still modern, a picture goes in only once described,
    // and the closing is written once.
    Program app;
    app.vars = {{"S", session.path()}, {"F", page}, {"P", m_pictures.path()}};
    QVERIFY2(app.run(steps(kLoad + "; hidden Form24; " + kUseFolder +
                           "; shown Form4; text Form4/PageMode Page for phones and today's "
                           "browsers; click Form4/Command5; shown Form9/AltText; "
                           "click Form9/Command1; file {P}/bike.png; click Form9/Command2; " +
                           kDescribe +
                           "; shown Form9; type Form9/AltText A red bicycle; "
                           "click Form9/Command2; answer Yes Did you check CENTERED or LEFT?; "
                           "hidden Form9; click Form4/Command10; answer OK [info] Make sure you "
                           "save to your session folder.; file {S}/page.html; answer Yes This "
                           "file already exists. Do you want to overwrite it?")),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(page),
                              modernPage(modernParagraph("Hello") +
                                         "\r\n\r\n<p><img src=\"bike.png\" alt=\"A red "
                                         "bicycle\" width=\"12\" height=\"7\"></p>"),
                              app.patience);
}

void TestModern::pages_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("language and description")
        << toModernHead("; choose Form2/PageLanguage German (de); "
                        "type Form2/Description Fish & \"chips\" \u0436") +
               steps("click Form2/Command1") + kNext
        << modernHead("de", "<meta name=\"description\" content=\"Fish &amp; &quot;chips&quot; "
                            "\xD0\xB6\">\r\n") +
               "<body style=\"background-color: #FFFFFF\">\r\n<main>\r\n" + kModernWelcome +
               kModernClosing;
    QTest::newRow("ticked and unticked again: the classic page")
        << toModernHead("; click Form2/ModernPage; hidden Form2/Description") +
               steps("click Form2/Command1") + kNext + steps("text Form4/PageMode Classic page")
        << savedPage(kPlainStart);
    QTest::newRow("background colour")
        << kModernToBackground + steps("click Form3/Command2; colour #ff0000") + kNext
        << modernHead("en", {}) + "<body style=\"background-color: #FF0000\">\r\n<main>\r\n" +
               kModernWelcome + kModernClosing;
    QTest::newRow("own texture")
        << kModernToBackground + steps("click Form3/Command3; file {P}/Stone Wall.jpg") + kNext
        << modernHead("en", {}) +
               "<body style=\"background-image: url('Stone%20Wall.jpg')\">\r\n"
               "<main>\r\n" +
               kModernWelcome + kModernClosing;

    // Rows from the selection screen on: the page's body between its fixed lines.
    const auto fragment = [](const char *name, const QStringList &steps, const QByteArray &body) {
        QTest::newRow(name) << kModernToSelection + steps << modernPage(body);
    };
    const QByteArray bike = "<img src=\"bike.png\" alt=\"Bike\" width=\"12\" height=\"7\">";

    fragment("heading, rule and breaks",
             steps("click Form4/Command11; type Form8/Text1 News; click Form8/Command1; "
                   "answer Yes Did you check size, colour etc?; click Form4/Command9; "
                   "click Form7/Option2; click Form7/Command1; click Form4/Command15; "
                   "click Form4/Command12"),
             QByteArray("\r\n<h1 style=\"font-family: 'Times New Roman', Times, serif; "
                        "color: #000000\">News</h1>\r\n<hr style=\"width: 75%\">\r\n<br>\r\n"
                        "<p></p>"));
    fragment("pre-sized picture: decoration",
             steps("click Form4/Command5; click Form9/Command1; "
                   "file {P}/bike.png; click Form9/Option1; click Form9/Command2; " +
                   kDescribe +
                   "; click Form9/Decorative; click Form9/Command2; answer Yes Did you check "
                   "CENTERED or LEFT?; hidden Form9"),
             QByteArray("\r\n<p style=\"text-align: center\"><img src=\"bike.png\" alt=\"\" "
                        "width=\"12\" height=\"7\"></p>"));
    // link.png in the session folder leads to a picture outside it.
    fragment("a link out of the folder is not read",
             steps("click Form4/Command5; type Form9/Text1 link.png; type Form9/AltText Bike; "
                   "click Form9/Command2; answer Yes Did you check CENTERED or LEFT?"),
             QByteArray("\r\n<p><img src=\"link.png\" alt=\"Bike\"></p>"));
    fragment("two pictures, one typed",
             steps("click Form4/Command13; click Form21/Command1; file {P}/bike.png; "
                   "type Form21/Text2 typed name.gif; type Form21/AltText Bike; "
                   "click Form21/Command3; " +
                   kDescribe +
                   "; shown Form21; type Form21/AltText2 Car; click Form21/Command3; "
                   "shown Form4"),
             "\r\n<div class=\"side\" style=\"justify-content: center\">\r\n" + bike +
                 "\r\n<img src=\"typed%20name.gif\" alt=\"Car\"></div>");
    fragment("text and picture",
             steps("click Form4/Command7; type Form10/Text2 Hello; click Form10/Command2; "
                   "file {P}/bike.png; click Form10/Command1; " +
                   kDescribe +
                   "; type Form10/AltText Bike; click Form10/Option2; click Form10/Command1; "
                   "shown Form4"),
             "\r\n<div class=\"side\">\r\n<p style=\"font-family: 'Times New Roman', Times, "
             "serif; font-size: 1rem; color: #000000\">Hello</p>\r\n" +
                 bike + "</div>");
    fragment(
        "mouseover picture needs no name",
        steps("click Form4/Command6; answer OK Pictures/photos need to be about the same size "
              "OK?; hidden Form18/Text5; hidden Form18/Label8; hidden Form18/AltText2; "
              "type Form18/Text1 a.jpg; type Form18/Text2 b.jpg; click Form18/Command6; " +
              kDescribe + "; type Form18/AltText Gondola; click Form18/Command6; hidden Form18"),
        "\r\n<p>" + swap("#", "a.jpg", "b.jpg") + "<img src=\"a.jpg\" alt=\"Gondola\"></a></p>");
    fragment("text link",
             steps(kLinks + "click Form11/Command3; type Form12/Text1 page two.html; "
                            "type Form12/Text2 Next; click Form12/Command1"),
             QByteArray("\r\n<p style=\"text-align: center\"><a href=\"page%20two.html\" "
                        "style=\"font-family: 'Times New Roman', Times, serif; font-size: 1rem; "
                        "color: #0000FF; font-weight: bold\">Next</a></p>"));
    fragment("button links say their words",
             steps(kLinks +
                   "click Form11/Command2; click Form19/Option1; click Form19/Command1; "
                   "hidden Form20/AltText3; "
                   "click Form20/Command2; file {P}/home.png; "
                   "type Form20/Text2 index.html; type Form20/Text3 next.gif; "
                   "type Form20/Text4 page2.html; type Form20/AltText Home; "
                   "click Form20/Command1; " +
                   kLinkWords + "; type Form20/AltText2 Next page; click Form20/Command1; " +
                   kSure + "; hidden Form20"),
             QByteArray("\r\n<p><a href=\"index.html\" target=\"_top\"><img src=\"home.png\" "
                        "alt=\"Home\" width=\"20\" height=\"10\"></a>\r\n<a href=\"page2.html\" "
                        "target=\"_top\"><img src=\"next.gif\" alt=\"Next page\"></a></p>"));
    fragment("mouseover buttons, more than one set",
             steps(kLinks +
                   "click Form11/Command4; click Form14/Option7; click Form14/Command1; "
                   "hidden Form15/AltText2; click Form15/Command3; file {P}/home.png; "
                   "click Form15/Command4; file {P}/home2.png; "
                   "type Form15/Text3 page2.html; click Form15/Command1; " +
                   kLinkWords + "; type Form15/AltText Home; click Form15/Command1; " + kSure +
                   "; hidden Form15; enabled Form11/Command4"),
             "\r\n<p>" + swap("page2.html", "home.png", "home2.png") +
                 "<img src=\"home.png\" alt=\"Home\" width=\"20\" height=\"10\"></a></p>");
}

void TestModern::pages()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, file);
    QTemporaryDir session;
    QVERIFY(QFile::link(m_pictures.filePath("bike.png"), session.filePath("link.png")));
    Program app;
    app.vars = {{"S", session.path()}, {"P", m_pictures.path()}};
    QVERIFY2(app.run(steps + kSave), qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QStringLiteral("page.html"))), file,
                              app.patience);
}

// A picture typed into a modern page by hand without alt is found, once.
void TestModern::checkPageAsksForDescriptions()
{
    QTemporaryDir session;
    QVERIFY(QImage(4, 4, QImage::Format_RGB32).save(session.filePath("bike.png"), "PNG"));
    Program app;
    app.vars = {{"S", session.path()}};
    const QString typed = QStringLiteral(
        "type Form4/Text1 <!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
        "name=\"generator\" content=\"Tarnwell\">\n</head>\n<body>\n<p><img src=\"bike.png\">"
        "<img src=\"bike.png\" alt=\"\"></p>");
    QVERIFY2(app.run(kModernToSelection +
                     QStringList{typed, "click Form4/CheckPage", "shown CheckPage"}),
             qPrintable(app.error()));
    QStringList rows;
    for (const QString &row : app.text("CheckPage/Findings").split(u'\n'))
        rows << row.section(" | ", 0, 1);
    QCOMPARE(rows, QStringList{"bike.png | Picture not described"});
}

QTEST_GUILESS_MAIN(TestModern)
#include "tst_e2e_modern.moc"

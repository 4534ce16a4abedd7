#include "html/modern.h"

#include <QTest>

using namespace tarnwell;

namespace {
const QString kTimes = u"font-family: 'Times New Roman', Times, serif"_qs;
const QString kArial = u"font-family: Arial, Helvetica, sans-serif"_qs;

PagePicture photo(const QString &alt = u"A lake"_qs)
{
    return {u"photo1.jpg"_qs, alt, QSize(1600, 1200)};
}
} // namespace

class TestModern final : public QObject
{
    Q_OBJECT

private slots:
    void fragments_data();
    void fragments();
};

void TestModern::fragments_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QString &fragment, const QString &expected) {
        QTest::newRow(name) << fragment << expected;
    };
    // A heading's opening, the whole heading, then a further heading: the
    // same element, on a line of its own.
    const auto heading = [](const QString &text, int size, HeadingFont font, bool centred) {
        const HeadingFragment first = modernHeading(text, size, "0000FF", font, centred);
        return first.opening + '|' + first.text() +
               modernHeadingElement(text, size, font, "#0000FF", centred);
    };
    const auto headingExpected = [](const QString &opening, const QString &closing) {
        return opening + '|' + opening + closing + "\r\n" + opening + closing;
    };
    const QString h1 = "<h1 style=\"" + kTimes + "; color: #0000FF\">";
    row("worked example heading", heading("Welcome", 1, HeadingFont::TimesRoman, false),
        headingExpected(h1 + "Welcome", "</h1>"));
    row("H3 arial centred", heading("News", 3, HeadingFont::ArialHelvetica, true),
        headingExpected("<h3 style=\"" + kArial + "; color: #0000FF; text-align: center\">News",
                        "</h3>"));
    row("heading size out of range", heading("", 4, HeadingFont::TimesRoman, false),
        headingExpected(h1, "</h1>"));
    const QString top = QStringLiteral(
        "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n");
    const QString tail = QStringLiteral(
        "<meta name=\"generator\" content=\"Tarnwell\">\r\n<style>\r\n"
        "body { overflow-wrap: break-word; }\r\n"
        "main { max-width: 28rem; margin: 0 auto; }\r\n"
        "img { max-width: 100%; height: auto; }\r\n"
        "a:focus { outline: 3px solid currentColor; outline-offset: 2px; }\r\n"
        ".side { display: flex; flex-wrap: wrap; align-items: center; gap: 1em; }\r\n"
        ".side > p { flex: 1 1 15em; margin: 0; }\r\n"
        "@media (min-width: 30rem) {\r\n"
        ".side { flex-wrap: nowrap; }\r\n"
        ".side > img { min-width: 0; }\r\n"
        ".side > p { flex: 1 0 50%; }\r\n"
        "}\r\n"
        "</style>\r\n</head>\r\n");
    // The head as walks show it, but for the title, language and description.
    row("head, title as typed, other language, description escaped",
        modernHeadText("A < B & \"ж\"", "pt-BR", "Fish & \"chips\" <here>"),
        QString(top).replace("\"en\"", "\"pt-BR\"") +
            "<title>A < B & \"ж\"</title>\r\n<meta name=\"description\" content=\"Fish &amp; "
            "&quot;chips&quot; <here>\">\r\n" +
            tail);

    const QString main = u"\r\n<main>\r\n"_qs;
    row("body, gallery, awkward name",
        modernBodyLine(BackgroundChoice::Gallery, "FFFFFF", "it's my \"tile\"#1.gif"),
        "<body style=\"background-image: url('it%27s%20my%20%22tile%22%231.gif')\">" + main);
    row("body, none", modernBodyLine(BackgroundChoice::None, "FFFFFF", "tile.gif"),
        "<body>" + main);

    const QString black = u"#000000"_qs;
    row("bold arial, small size kept readable",
        modernParagraph("Hi", TextFont::Arial, 1, Emphasis::Bold, "#FF0000"),
        "\r\n<p style=\"" + kArial +
            "; font-size: 1rem; color: #FF0000; font-weight: bold\">Hi</p>");
    row("italic largest, text as typed",
        modernParagraph("a & b\r\n<b>c</b>", TextFont::Times, 7, Emphasis::Italic, black),
        "\r\n<p style=\"" + kTimes +
            "; font-size: 3rem; color: #000000; font-style: italic\">a & b<br>\r\n<b>c</b></p>");
    // A browser runs lines together: each typed line break keeps its line.
    const QString para = "\r\n<p style=\"" + kTimes + "; font-size: 1.125rem; color: #000000\">";
    row("line breaks of every kind, and a blank line",
        modernParagraph("one\r\ntwo\nthree\rfour\r\n\r\nfive\r\n", TextFont::Times, 4,
                        Emphasis::Normal, black),
        para + "one<br>\r\ntwo<br>\nthree<br>\rfour<br>\r\n<br>\r\nfive<br>\r\n</p>");
    row("a <br> typed at a line's end is not doubled",
        modernParagraph("a<BR>\r\nb<br/>\nc<br />\r\nd <br>x\r\ne", TextFont::Times, 4,
                        Emphasis::Normal, black),
        para + "a<BR>\r\nb<br/>\nc<br />\r\nd <br>x<br>\r\ne</p>");
    // The classic page beside it: its paragraph and head are as they were.
    row("classic paragraph keeps its lines without tags",
        buildParagraph("one\r\ntwo", TextFont::Times, 4, Emphasis::Normal, black),
        u"\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">one\r\ntwo</FONT>"
        u"<P></P>"_qs);
    const QString classicTop = u"<HTML>\r\n<HEAD>\r\n<TITLE>My page</TITLE>\r\n"_qs;
    row("classic head, typed description in place of ours and no keywords",
        buildHeadText("My page", u"Fish & \"chips\" <here> \u0436"_qs),
        classicTop + u"<META name=\"description\" content=\"Fish &amp; &quot;chips&quot; <here> "
                     u"\u0436\">\r\n</HEAD>\r\n"_qs);
    row("sizes 5 and 6",
        modernParagraph("", TextFont::Times, 5, Emphasis::Normal, black) +
            modernParagraph("", TextFont::Times, 6, Emphasis::Normal, black),
        "\r\n<p style=\"" + kTimes + "; font-size: 1.5rem; color: #000000\"></p>\r\n<p style=\"" +
            kTimes + "; font-size: 2rem; color: #000000\"></p>");
    row("rules", modernRule("100%") + modernRule("50%"),
        "\r\n<hr style=\"width: 100%\">\r\n<hr style=\"width: 50%\">");
    row("breaks", modernLineBreak() + modernParagraphBreak(), "\r\n<br>\r\n<p></p>");

    const QString img =
        u"<img src=\"photo1.jpg\" alt=\"A lake\" width=\"1600\" height=\"1200\">"_qs;
    const PagePicture small{u"b.png"_qs, QString(), QSize(300, 200)};
    const QString smallImg = u"<img src=\"b.png\" alt=\"\" width=\"300\" height=\"200\">"_qs;
    row("single", modernSinglePicture(photo(), false), "\r\n<p>" + img + "</p>");
    row("description escaped, size unknown",
        modernSinglePicture({"my photo #2.jpg", "Tom & \"Jerry\"", QSize()}, false),
        "\r\n<p><img src=\"my%20photo%20%232.jpg\" alt=\"Tom &amp; &quot;Jerry&quot;\"></p>");
    row("name kept where safe",
        modernSinglePicture({"Été_(1)+a,b=c;~!@$*.png", "", QSize(1, 1)}, false),
        "\r\n<p><img src=\"Été_(1)+a,b=c;~!@$*.png\" alt=\"\" width=\"1\" height=\"1\"></p>");
    row("name escaped where not",
        modernSinglePicture({"a%b?c:d&e'f\\g\th<>.png", "", QSize()}, false),
        "\r\n<p><img src=\"a%25b%3Fc%3Ad%26e%27f%5Cg%09h%3C%3E.png\" alt=\"\"></p>");
    row("two", modernTwoPictures(photo(), small, false),
        "\r\n<div class=\"side\">\r\n" + img + "\r\n" + smallImg + "</div>");
    const QString text =
        "\r\n<p style=\"" + kTimes + "; font-size: 1rem; color: #000000\">Hello<br>\r\nthere</p>";
    row("text right of picture",
        modernTextAndPicture(photo(), "Hello\r\nthere", "#000000", TextPictureFont::Times, "3",
                             true),
        "\r\n<div class=\"side\">\r\n" + img + text + "</div>");
    row("text left of picture",
        modernTextAndPicture(photo(), "Hello\r\nthere", "#000000", TextPictureFont::Times, "3",
                             false),
        "\r\n<div class=\"side\">" + text + "\r\n" + img + "</div>");
    row("text arial size 5",
        modernTextAndPicture(small, "Hi", "#FF0000", TextPictureFont::Arial, "5", true),
        "\r\n<div class=\"side\">\r\n" + smallImg + "\r\n<p style=\"" + kArial +
            "; font-size: 1.5rem; color: #FF0000\">Hi</p></div>");

    row("text link",
        modernTextLink("page2.html", "Next", LinkFont::Times, false, "3", "0000FF", false),
        "\r\n<p><a href=\"page2.html\" style=\"" + kTimes +
            "; font-size: 1rem; color: #0000FF\">Next</a></p>");
    row("text link bold arial centred, address escaped",
        modernTextLink("my page.html?a=1&b=\"2\"", "Next & last", LinkFont::Arial, true, "4",
                       "FF0000", true),
        "\r\n<p style=\"text-align: center\"><a href=\"my%20page.html?a=1&amp;b=&quot;2&quot;\" "
        "style=\"" +
            kArial +
            "; font-size: 1.125rem; color: #FF0000; font-weight: bold\">Next & last</a></p>");

    const ModernMouseOver home{{"home.gif", "Home", QSize(120, 40)}, "home2.gif"};
    const ModernMouseOver news{{"news it's.gif", "News", QSize(120, 40)}, "news 2.gif"};
    const QString homeAnchor = QStringLiteral(
        "\r\n<a href=\"#\" onmouseover=\"this.querySelector('img').src='home2.gif'\" "
        "onfocus=\"this.querySelector('img').src='home2.gif'\"\r\n"
        " onmouseout=\"this.querySelector('img').src='home.gif'\" "
        "onblur=\"this.querySelector('img').src='home.gif'\">\r\n"
        "<img src=\"home.gif\" alt=\"Home\" width=\"120\" height=\"40\"></a>");
    const QString newsAnchor = QStringLiteral(
        "\r\n<a href=\"#\" onmouseover=\"this.querySelector('img').src='news%202.gif'\" "
        "onfocus=\"this.querySelector('img').src='news%202.gif'\"\r\n"
        " onmouseout=\"this.querySelector('img').src='news%20it%27s.gif'\" "
        "onblur=\"this.querySelector('img').src='news%20it%27s.gif'\">\r\n"
        "<img src=\"news%20it%27s.gif\" alt=\"News\" width=\"120\" height=\"40\"></a>");
    row("two mouseovers centred", modernMouseOverPictures(home, &news, true),
        "\r\n<p style=\"text-align: center\">" + homeAnchor + newsAnchor + "</p>");
    row("mouseover button across, address escaped",
        modernMouseOverButton("a b&c.html", home, false),
        QString(homeAnchor).replace("href=\"#\"", "href=\"a%20b&amp;c.html\""));

    const QList<PictureButton> buttons = {
        {"one.html", {"b1.gif", "One", QSize(80, 30)}},
        {"two.html", {"b2.gif", "Two", QSize(80, 30)}},
        {"three.html", {"b3.gif", "Three", QSize(80, 30)}},
    };
    const auto anchor = [](const char *link, const char *file, const char *alt) {
        return QStringLiteral("<a href=\"%1\" target=\"_top\"><img src=\"%2\" alt=\"%3\" "
                              "width=\"80\" height=\"30\"></a>")
            .arg(QLatin1String(link), QLatin1String(file), QLatin1String(alt));
    };
    const QString one = anchor("one.html", "b1.gif", "One");
    const QString two = anchor("two.html", "b2.gif", "Two");
    const QString three = anchor("three.html", "b3.gif", "Three");
    row("one button", modernButtonLinks(ButtonLayout::OneButton, buttons),
        "\r\n<p>" + one + "</p>");
    row("five across, three given", modernButtonLinks(ButtonLayout::FiveAcross, buttons),
        "\r\n<p>" + one + "\r\n" + two + "\r\n" + three + "</p>");
    row("none given", modernButtonLinks(ButtonLayout::TwoAcross, {}), "");
}

void TestModern::fragments()
{
    QFETCH(QString, fragment);
    QFETCH(QString, expected);
    QCOMPARE(fragment, expected);
}

QTEST_APPLESS_MAIN(TestModern)
#include "tst_modern.moc"

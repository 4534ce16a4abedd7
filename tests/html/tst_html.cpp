// The HTML each builder writes, byte for byte, where the saved pages of the
// end-to-end walks do not already show it; the colours; the MouseOver names;
// the gallery's textures and buttons.

#include "document/gallery.h"
#include "html/colour.h"
#include "html/elements.h"
#include "html/head.h"
#include "html/links.h"
#include "support/worked_example.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

using namespace tarnwell;

namespace {
// Names given by hand and by the program, and NAME= outside any tag.
const QString kPage = QStringLiteral(
    "<META name=\"description\" content=\"x\">\r\nMy NAME=boat<P></P>\r\n<IMG SRC=\"a.jpg\" "
    "NAME=\"gondola5\"><img src=b.jpg name = 'St_Mark'><a name=top>");

QString mouseOver(const QString &href, const QString &name, const QString &out, const QString &over)
{
    return "\r\n<A HREF=\"" + href + "\" ONMOUSEOVER=\"" + name + ".src='" + over +
           "'\"\r\n ONMOUSEOUT=\"" + name + ".src='" + out + "'\">\r\n<IMG SRC=\"" +
           QString(out).replace("%27", "'") + "\" NAME=\"" + name + "\" BORDER=\"0\"></A>";
}
constexpr int kTextureCount = 20;

// A picture of the program's own as 32-bit RGB, or a null image and why.
QImage load(const QString &name, const QByteArray &format, QString *why)
{
    QImageReader reader(QDir(programFolder()).filePath(name));
    if (reader.format() != format) {
        *why = name + QStringLiteral(" is no ") + QString::fromLatin1(format);
        return {};
    }
    const QImage image = reader.read();
    *why = reader.errorString();
    return image.convertToFormat(QImage::Format_RGB32);
}

// Mean absolute difference per colour channel (0 to 255) of two pictures of one size.
double difference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

// Repeated side by side (or one above the other), the last line meets the
// first. That step should look like any step inside the picture: at most a
// little more than 98% of them (JPEG loses most along its block edges, and
// the edge is one). Returns what is wrong, if anything.
QString seam(const QImage &image, bool across)
{
    const int lines = across ? image.width() : image.height();
    const auto line = [&](int i) {
        return across ? image.copy(i, 0, 1, image.height()) : image.copy(0, i, image.width(), 1);
    };
    std::vector<double> steps;
    for (int i = 0; i + 1 < lines; ++i)
        steps.push_back(difference(line(i), line(i + 1)));
    std::sort(steps.begin(), steps.end());
    const double edge = difference(line(lines - 1), line(0));
    const double inside = steps[steps.size() * 98 / 100];
    return edge <= 1.25 * inside + 1
               ? QString()
               : QStringLiteral("edges differ by %1, steps inside by %2").arg(edge).arg(inside);
}

// Relative luminance as used for text contrast ratios, 0 for black to 1 for white.
double luminance(QRgb pixel)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) +
           0.0722 * linear(qBlue(pixel));
}

double contrast(double lighter, double darker)
{
    return (lighter + 0.05) / (darker + 0.05);
}
} // namespace

class TestHtml final : public QObject
{
    Q_OBJECT

private slots:
    void fragments_data();
    void fragments();
    void workedColours_data();
    void workedColours();
    void bothColourRoutesAgree();
    void mouseOverNames_data();
    void mouseOverNames();
    void namesRead_data();
    void namesRead();
    void buttonLinks_data();
    void buttonLinks();
    void textures_data();
    void textures();
    void exampleButtons_data();
    void exampleButtons();
};

void TestHtml::fragments_data()
{
    QTest::addColumn<QString>("got");
    QTest::addColumn<QString>("expected");
    const QByteArray file = tarnwell::test::kWorkedExampleFile;
    const QString head = QString::fromLatin1(file.left(file.indexOf("</HEAD>\r\n") + 9));
    const QString black = QStringLiteral("#000000");
    const auto row = [](const char *name, const QString &got, const QString &expected) {
        QTest::newRow(name) << got << expected;
    };
    row("head, no title", buildHeadText({}), QString(head).replace("My page", ""));
    row("head, title as typed", buildHeadText(u"Fish & <Chips> \"\u0436\""_qs),
        QString(head).replace("My page", u"Fish & <Chips> \"\u0436\""_qs));
    row("main heading H2", buildHeading("News", 2, "0000FF", HeadingFont::TimesRoman, false).text(),
        "<H2><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">News</FONT></H2>");
    row("main heading H3, Arial, red",
        buildHeading("News", 3, "FF0000", HeadingFont::ArialHelvetica, false).text(),
        "<H3><FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\">News</FONT></H3>");
    row("main heading centred",
        buildHeading("Welcome", 1, "0000FF", HeadingFont::TimesRoman, true).text(),
        "<CENTER><H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>"
        "</CENTER>");
    row("main heading empty", buildHeading("", 1, "0000FF", HeadingFont::TimesRoman, false).text(),
        "<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\"></FONT></H1>");
    row("main heading as typed",
        buildHeading(u"A < B & \"C\"\r\n\u0436\u0438\u0437\u043d\u044c"_qs, 1, "0000FF",
                     HeadingFont::TimesRoman, false)
            .text(),
        u"<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">A < B & \"C\"\r\n"
        u"\u0436\u0438\u0437\u043d\u044c</FONT></H1>"_qs);
    row("empty paragraph", buildParagraph({}, TextFont::Times, 4, Emphasis::Normal, black),
        "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\"></FONT><P></P>");
    row("empty heading", buildHeadingElement({}, 3, HeadingFont::ArialHelvetica, "#FF0000", false),
        "\r\n<FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\"><H3></FONT></H3>");
    row("bold text link, not centred",
        BuildTextLink("page2.html", {}, LinkFont::Times, true, "4", "0000FF", false).join(""),
        "\r\n<P></P><A HREF=\"page2.html\"><B><FONT FACE=\"Times New Roman\" "
        "COLOR=\"#0000FF\" SIZE=\"4\"></B></FONT></A>");
    const MouseOverPicture gondola{"gondola5", "a.jpg", "b.jpg"},
        square{"square", "c.jpg", "d.jpg"};
    const QString pictures = mouseOver("#", "gondola5", "a.jpg", "b.jpg");
    const QString both =
        pictures + "&nbsp;&nbsp;&nbsp;&nbsp;" + mouseOver("#", "square", "c.jpg", "d.jpg");
    row("a MouseOver picture", buildMouseOverPictures(gondola, nullptr, false),
        pictures + "<P></P><P></P>");
    row("a MouseOver picture centred", buildMouseOverPictures(gondola, nullptr, true),
        "\r\n<CENTER>" + pictures + "</CENTER><P></P><P></P>");
    row("two MouseOver pictures", buildMouseOverPictures(gondola, &square, false),
        both + "<P></P>");
    // An apostrophe would end the script's quotes early.
    row("MouseOver picture names with apostrophes",
        buildMouseOverPictures({"bob", "Bob's.jpg", "it's.jpg"}, nullptr, false),
        mouseOver("#", "bob", "Bob%27s.jpg", "it%27s.jpg") + "<P></P><P></P>");
    row("MouseOver button, down",
        BuildMouseOverButton(1, "page2.html", "home.gif", "home2.gif", true),
        mouseOver("page2.html", "button1", "home.gif", "home2.gif") + "<P></P>");
    row("MouseOver button with apostrophes",
        BuildMouseOverButton(2, "Bob's.html", "'.gif", "''.gif", false),
        mouseOver("Bob's.html", "button2", "%27.gif", "%27%27.gif"));
    row("colour of more parts", RGBToHex("1,2,3,4", ","), "010203");
    row("colour parts apart by two", RGBToHex("1;;2;;3", ";;"), "010203");
    // Too few parts is a caller's mistake; it must still not fail.
    row("colour of one part", RGBToHex("255", ","), "FF0000");
    row("colour as text", ConvertColor(QStringLiteral("65280")), "00FF00");
    row("colour as a number", ConvertColor(65280), "00FF00");
    row("colour of nothing", ConvertColor(QString()), "000000");
    // Out-of-range numbers never index outside the digits.
    row("colour out of range", ConvertColor(-1), "FFFFFF");
}

void TestHtml::fragments()
{
    QFETCH(QString, got);
    QFETCH(QString, expected);
    QCOMPARE(got, expected);
}

void TestHtml::workedColours_data()
{
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("rgb");
    QTest::addColumn<QString>("hex");
    // clang-format off
    QTest::newRow("black") << 0 << "0,0,0" << "000000";
    QTest::newRow("red") << 255 << "255,0,0" << "FF0000";
    QTest::newRow("blue") << 16711680 << "0,0,255" << "0000FF";
    QTest::newRow("navy") << 8388608 << "0,0,128" << "000080";
    QTest::newRow("padded") << 657930 << "10,10,10" << "0A0A0A";
    QTest::newRow("grey") << 8421504 << "128,128,128" << "808080";
    QTest::newRow("white") << 16777215 << "255,255,255" << "FFFFFF";
    QTest::newRow("uneven digits") << (100 | 250 << 8 | 160 << 16) << "100,250,160" << "64FAA0";
    // clang-format on
}

void TestHtml::workedColours()
{
    QFETCH(qint32, number);
    QFETCH(QString, rgb);
    QFETCH(QString, hex);
    QCOMPARE(ColorToRGB(number, QStringLiteral(",")), rgb);
    QCOMPARE(RGBToHex(rgb, QStringLiteral(",")), hex);
    QCOMPARE(ConvertColor(QString::number(number)), hex);
    QCOMPARE(hexColourOf(number), hex);
}

void TestHtml::bothColourRoutesAgree()
{
    const QString separator = QStringLiteral(",");
    qint32 firstMismatch = -1;
    for (qint32 n = 0; n <= 0xFFFFFF; ++n) {
        if (RGBToHex(ColorToRGB(n, separator), separator) != ConvertColor(n)) {
            firstMismatch = n;
            break;
        }
    }
    QCOMPARE(firstMismatch, -1);
}

void TestHtml::mouseOverNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<int>("fault");
    const auto row = [](const char *what, const QStringList &names, const QString &refused,
                        NameFault fault) { QTest::newRow(what) << names << refused << int(fault); };
    row("new names", {"description", "boat", "Title", "b2_"}, {}, NameFault::None);
    row("space", {"gondola 6"}, "gondola 6", NameFault::NotAScriptName);
    row("digit first", {"6gondola"}, "6gondola", NameFault::NotAScriptName);
    row("accent", {"caf\u00e9"}, "caf\u00e9", NameFault::NotAScriptName);
    row("script word", {"title"}, "title", NameFault::TakenByScript);
    row("in the page, other case", {"square", "GONDOLA5"}, "GONDOLA5", NameFault::UsedInPage);
    row("typed by hand", {"st_mark"}, "st_mark", NameFault::UsedInPage);
    row("unquoted", {"Top"}, "Top", NameFault::UsedInPage);
    row("both pictures", {"square", "Square"}, "Square", NameFault::UsedTwice);
}

void TestHtml::mouseOverNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, refused);
    QFETCH(int, fault);
    const NameCheck check = checkMouseOverNames(names, kPage);
    QCOMPARE(check.name, refused);
    QCOMPARE(int(check.fault), fault);
}

// The NAMEs a page gives, read in one pass however the page is written.
void TestHtml::namesRead_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("quoted, unquoted, any case")
        << "<IMG SRC=a NAME=\"one\"><a\nname = 'two'><img name=three>"
        << QStringList{"one", "two", "three"};
    QTest::newRow("a tag's first name only, META left out")
        << "<A NAME=a NAME=b><META NAME=\"keywords\"><METAL NAME=c><P data-name=d>"
        << QStringList{"a", "c"};
    QTest::newRow("a quoted > and an unclosed quote")
        << "<IMG NAME=\"x>y\"><IMG NAME=\"open><IMG NAME=z>" << QStringList{"x>y", "z"};
    QTest::newRow("outside tags") << "NAME=a <A>NAME=b</A> < A NAME=c>" << QStringList();
    // Each "<a" once took a look to the page's end: minutes for a few MB.
    QTest::newRow("3 MB of tags never closed")
        << QStringLiteral("<a ").repeated(1 << 20) + u'=' << QStringList();
}

void TestHtml::namesRead()
{
    QFETCH(QString, page);
    QFETCH(QStringList, names);
    QCOMPARE(namesInPage(page), names);
}

void TestHtml::buttonLinks_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("down");
    const QString a1 = QStringLiteral(
        "<A HREF=\"index.html\" TARGET =\"_top\"><IMG SRC=\"home.gif\" BORDER=\"0\"></A>");
    const QString a2 = QStringLiteral(
        "<A HREF=\"page2.html\" TARGET =\"_top\"><IMG SRC=\"next.gif\" BORDER=\"0\"></A>");
    const QString a3 =
        QStringLiteral("<A HREF=\"3.html\" TARGET =\"_top\"><IMG SRC=\"3.gif\" BORDER=\"0\"></A>");
    const QString a4 =
        QStringLiteral("<A HREF=\".html\" TARGET =\"_top\"><IMG SRC=\"\" BORDER=\"0\"></A>");
    const QString a5 = QStringLiteral(
        "<A HREF=\"5 x.html\" TARGET =\"_top\"><IMG SRC=\"\u0436.gif\" BORDER=\"0\"></A>");
    const QString n = QStringLiteral("\r\n");
    const QString p = QStringLiteral("<P></P>");
    // One button counts as down for MouseOver buttons.
    QTest::newRow("1 button") << int(ButtonLayout::OneButton) << n + a1 + p << true;
    QTest::newRow("2 across") << int(ButtonLayout::TwoAcross) << n + a1 + n + a2 + p << false;
    QTest::newRow("2 down") << int(ButtonLayout::TwoDown) << n + a1 + p + n + a2 + p << true;
    QTest::newRow("3 across") << int(ButtonLayout::ThreeAcross) << n + a1 + n + a2 + n + a3 + p
                              << false;
    QTest::newRow("3 down") << int(ButtonLayout::ThreeDown) << n + a1 + p + n + a2 + p + n + a3 + p
                            << true;
    QTest::newRow("4 across") << int(ButtonLayout::FourAcross)
                              << n + a1 + n + a2 + n + a3 + n + a4 + p << false;
    QTest::newRow("5 across") << int(ButtonLayout::FiveAcross)
                              << n + a1 + n + a2 + n + a3 + n + a4 + n + a5 + p << false;
}

void TestHtml::buttonLinks()
{
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QFETCH(bool, down);
    const QList<ButtonLink> buttons = {
        {QStringLiteral("index.html"), QStringLiteral("home.gif")},
        {QStringLiteral("page2.html"), QStringLiteral("next.gif")},
        {QStringLiteral("3.html"), QStringLiteral("3.gif")},
        {QStringLiteral(".html"), QString()},
        {QStringLiteral("5 x.html"), QStringLiteral("\u0436.gif")},
    };
    QCOMPARE(buildButtonLinks(ButtonLayout(layout), buttons), expected);
    QCOMPARE(buttonsDown(ButtonLayout(layout)), down);
}

// The gallery's textures and the example buttons.
void TestHtml::textures_data()
{
    QTest::addColumn<int>("number");
    for (int number = 1; number <= kTextureCount; ++number)
        QTest::newRow(qPrintable(galleryTextureName(number))) << number;
}

// A small JPEG that tiles without a seam, carries text and differs from the others.
void TestHtml::textures()
{
    QFETCH(int, number);
    QString why;
    const QImage image = load(galleryTextureName(number), "jpeg", &why);
    QVERIFY2(!image.isNull(), qPrintable(why));
    QVERIFY(QFileInfo(QDir(programFolder()).filePath(galleryTextureName(number))).size() < 40000);
    // Much smaller and the repeat shows on a page.
    QVERIFY(image.width() >= 64 && image.height() >= 64);
    QCOMPARE(seam(image, true), QString());
    QCOMPARE(seam(image, false), QString());

    std::vector<double> levels;
    double sum = 0;
    double squares = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            levels.push_back(luminance(image.pixel(x, y)));
            const double grey = qGray(image.pixel(x, y));
            sum += grey;
            squares += grey * grey;
        }
    }
    std::sort(levels.begin(), levels.end());
    const double median = levels[levels.size() / 2];
    // Light textures carry black text, dark ones white: 7:1 on the middle of
    // the picture, 4.5:1 even on the 2% of pixels least suited to it.
    const bool light = contrast(median, 0) > contrast(1, median);
    QVERIFY((light ? contrast(median, 0) : contrast(1, median)) >= 7);
    QVERIFY((light ? contrast(levels[levels.size() * 2 / 100], 0)
                   : contrast(1, levels[levels.size() * 98 / 100])) >= 4.5);
    // A busy picture hides letters whatever its brightness.
    const double mean = sum / levels.size();
    QVERIFY(std::sqrt(squares / levels.size() - mean * mean) <= 20);

    // Compared small, as side by side in a list, where fine grain no longer
    // tells two textures apart; below 8 two read as one in another shade.
    const auto small = [](const QImage &picture) {
        return picture.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    for (int other = number + 1; other <= kTextureCount; ++other) {
        const QImage them = load(galleryTextureName(other), "jpeg", &why);
        QVERIFY2(difference(small(image), small(them)) >= 8, qPrintable(galleryTextureName(other)));
    }
}

void TestHtml::exampleButtons_data()
{
    QTest::addColumn<QString>("word");
    for (const char *word : {"home", "next", "back", "contact"})
        QTest::newRow(word) << QString::fromLatin1(word);
}

// Each button is a GIF with a mouse-over picture of the same size that looks
// clearly different.
void TestHtml::exampleButtons()
{
    QFETCH(QString, word);
    QString why;
    const QImage normal = load(word + QStringLiteral(".gif"), "gif", &why);
    QVERIFY2(!normal.isNull(), qPrintable(why));
    const QImage over = load(word + QStringLiteral("2.gif"), "gif", &why);
    QVERIFY2(!over.isNull(), qPrintable(why));
    QCOMPARE(over.size(), normal.size());
    QVERIFY(difference(normal, over) > 40);
}

QTEST_MAIN(TestHtml)
#include "tst_html.moc"

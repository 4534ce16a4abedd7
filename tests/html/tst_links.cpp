#include "html/links.h"

#include <QTest>

using namespace tarnwell;

// Names given by hand and by the program, and NAME= outside any tag.
const QString kPage = QStringLiteral(
    "<META name=\"description\" content=\"x\">\r\nMy NAME=boat<P></P>\r\n<IMG SRC=\"a.jpg\" "
    "NAME=\"gondola5\"><img src=b.jpg name = 'St_Mark'><a name=top>");

class TestLinks final : public QObject
{
    Q_OBJECT

private slots:
    void textLinks();
    void mouseOverPictures();
    void mouseOverButtons();
    void mouseOverNames_data();
    void mouseOverNames();
    void namesRead_data();
    void namesRead();
    void buttonLinks_data();
    void buttonLinks();
};

void TestLinks::textLinks()
{
    const QString address = QStringLiteral("page2.html");
    const QString text = QStringLiteral("To Page 2");
    const QString blue = QStringLiteral("0000FF");
    QCOMPARE(BuildTextLink(address, text, LinkFont::Times, true, QStringLiteral("2"), blue, true),
             QStringList({QStringLiteral("\r\n<CENTER>"),
                          QStringLiteral("\r\n<P></P><A HREF=\"page2.html\"><B><FONT FACE=\"Times "
                                         "New Roman\" COLOR=\"#0000FF\" SIZE=\"2\">To Page 2</B>"
                                         "</FONT></A>"),
                          QStringLiteral("</CENTER>")}));
    QCOMPARE(BuildTextLink(address, text, LinkFont::Arial, false, QStringLiteral("2"), blue, false),
             QStringList(QStringLiteral("\r\n<P></P><A HREF=\"page2.html\"><FONT FACE=\"Arial, "
                                        "Helvetica\" COLOR=\"#0000FF\" SIZE=\"2\">To Page 2"
                                        "</FONT></A>")));
    QCOMPARE(
        BuildTextLink(address, QString(), LinkFont::Times, true, QStringLiteral("4"), blue, false)
            .constFirst(),
        QStringLiteral("\r\n<P></P><A HREF=\"page2.html\"><B><FONT FACE=\"Times New Roman\" "
                       "COLOR=\"#0000FF\" SIZE=\"4\"></B></FONT></A>"));
}

void TestLinks::mouseOverPictures()
{
    const MouseOverPicture gondola{QStringLiteral("gondola5"), QStringLiteral("a.jpg"),
                                   QStringLiteral("b.jpg")};
    const MouseOverPicture square{QStringLiteral("square"), QStringLiteral("c.jpg"),
                                  QStringLiteral("d.jpg")};
    const QString gondolaAnchor =
        QStringLiteral("\r\n<A HREF=\"#\" ONMOUSEOVER=\"gondola5.src='b.jpg'\""
                       "\r\n ONMOUSEOUT=\"gondola5.src='a.jpg'\">"
                       "\r\n<IMG SRC=\"a.jpg\" NAME=\"gondola5\" BORDER=\"0\"></A>");
    const QString squareAnchor =
        QStringLiteral("\r\n<A HREF=\"#\" ONMOUSEOVER=\"square.src='d.jpg'\""
                       "\r\n ONMOUSEOUT=\"square.src='c.jpg'\">"
                       "\r\n<IMG SRC=\"c.jpg\" NAME=\"square\" BORDER=\"0\"></A>");
    QCOMPARE(buildMouseOverPictures(gondola, nullptr, false),
             gondolaAnchor + QStringLiteral("<P></P><P></P>"));
    QCOMPARE(buildMouseOverPictures(gondola, nullptr, true),
             QStringLiteral("\r\n<CENTER>") + gondolaAnchor +
                 QStringLiteral("</CENTER><P></P><P></P>"));
    QCOMPARE(buildMouseOverPictures(gondola, &square, false),
             gondolaAnchor + QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;") + squareAnchor +
                 QStringLiteral("<P></P>"));
    QCOMPARE(buildMouseOverPictures(gondola, &square, true),
             QStringLiteral("\r\n<CENTER>") + gondolaAnchor +
                 QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;") + squareAnchor +
                 QStringLiteral("</CENTER><P></P>"));
    // An apostrophe would end the script's quotes early.
    QCOMPARE(buildMouseOverPictures({"bob", "Bob's.jpg", "it's.jpg"}, nullptr, false),
             QStringLiteral("\r\n<A HREF=\"#\" ONMOUSEOVER=\"bob.src='it%27s.jpg'\"\r\n ONMOUSEOUT="
                            "\"bob.src='Bob%27s.jpg'\">\r\n<IMG SRC=\"Bob's.jpg\" NAME=\"bob\" "
                            "BORDER=\"0\"></A><P></P><P></P>"));
}

void TestLinks::mouseOverButtons()
{
    const QString across =
        QStringLiteral("\r\n<A HREF=\"page2.html\" ONMOUSEOVER=\"button1.src='home2.gif'\""
                       "\r\n ONMOUSEOUT=\"button1.src='home.gif'\">"
                       "\r\n<IMG SRC=\"home.gif\" NAME=\"button1\" BORDER=\"0\"></A>");
    QCOMPARE(BuildMouseOverButton(1, QStringLiteral("page2.html"), QStringLiteral("home.gif"),
                                  QStringLiteral("home2.gif"), false),
             across);
    QCOMPARE(BuildMouseOverButton(1, QStringLiteral("page2.html"), QStringLiteral("home.gif"),
                                  QStringLiteral("home2.gif"), true),
             across + QStringLiteral("<P></P>"));
    QCOMPARE(BuildMouseOverButton(5, QString(), QString(), QString(), false),
             QStringLiteral("\r\n<A HREF=\"\" ONMOUSEOVER=\"button5.src=''\"\r\n ONMOUSEOUT="
                            "\"button5.src=''\">\r\n<IMG SRC=\"\" NAME=\"button5\" BORDER=\"0\">"
                            "</A>"));
    QCOMPARE(
        BuildMouseOverButton(2, "Bob's.html", "'.gif", "''.gif", false),
        QStringLiteral("\r\n<A HREF=\"Bob's.html\" ONMOUSEOVER=\"button2.src='%27%27.gif'\"\r\n"
                       " ONMOUSEOUT=\"button2.src='%27.gif'\">\r\n<IMG SRC=\"'.gif\" "
                       "NAME=\"button2\" BORDER=\"0\"></A>"));
    for (ButtonLayout layout :
         {ButtonLayout::OneButton, ButtonLayout::TwoDown, ButtonLayout::ThreeDown})
        QVERIFY(buttonsDown(layout));
    for (ButtonLayout layout : {ButtonLayout::TwoAcross, ButtonLayout::ThreeAcross,
                                ButtonLayout::FourAcross, ButtonLayout::FiveAcross})
        QVERIFY(!buttonsDown(layout));
}

void TestLinks::mouseOverNames_data()
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

void TestLinks::mouseOverNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, refused);
    QFETCH(int, fault);
    const NameCheck check = checkMouseOverNames(names, kPage);
    QCOMPARE(check.name, refused);
    QCOMPARE(int(check.fault), fault);
}

// The NAMEs a page gives, read in one pass however the page is written.
void TestLinks::namesRead_data()
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

void TestLinks::namesRead()
{
    QFETCH(QString, page);
    QFETCH(QStringList, names);
    QCOMPARE(namesInPage(page), names);
}

void TestLinks::buttonLinks_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");
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
    QTest::newRow("1 button") << int(ButtonLayout::OneButton) << n + a1 + p;
    QTest::newRow("2 across") << int(ButtonLayout::TwoAcross) << n + a1 + n + a2 + p;
    QTest::newRow("2 down") << int(ButtonLayout::TwoDown) << n + a1 + p + n + a2 + p;
    QTest::newRow("3 across") << int(ButtonLayout::ThreeAcross) << n + a1 + n + a2 + n + a3 + p;
    QTest::newRow("3 down") << int(ButtonLayout::ThreeDown) << n + a1 + p + n + a2 + p + n + a3 + p;
    QTest::newRow("4 across") << int(ButtonLayout::FourAcross)
                              << n + a1 + n + a2 + n + a3 + n + a4 + p;
    QTest::newRow("5 across") << int(ButtonLayout::FiveAcross)
                              << n + a1 + n + a2 + n + a3 + n + a4 + n + a5 + p;
}

void TestLinks::buttonLinks()
{
    QFETCH(int, layout);
    QFETCH(QString, expected);
    const QList<ButtonLink> buttons = {
        {QStringLiteral("index.html"), QStringLiteral("home.gif")},
        {QStringLiteral("page2.html"), QStringLiteral("next.gif")},
        {QStringLiteral("3.html"), QStringLiteral("3.gif")},
        {QStringLiteral(".html"), QString()},
        {QStringLiteral("5 x.html"), QStringLiteral("\u0436.gif")},
    };
    QCOMPARE(buildButtonLinks(ButtonLayout(layout), buttons), expected);
}

QTEST_APPLESS_MAIN(TestLinks)
#include "tst_links.moc"

#include "html/colour.h"
#include "html/elements.h"
#include "html/pictures.h"

#include <QTest>

using namespace tarnwell;

class TestElements final : public QObject
{
    Q_OBJECT

private slots:
    void paragraphs();
    void headings();
    void rules();
    void singlePictures();
    void twoPictures();
    void textAndPicture();
};

void TestElements::paragraphs()
{
    const QString black = QStringLiteral("#000000");
    QCOMPARE(buildParagraph(QStringLiteral("Hello"), TextFont::Times, 4, Emphasis::Normal, black),
             QStringLiteral("\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">"
                            "Hello</FONT><P></P>"));
    QCOMPARE(buildParagraph(QStringLiteral("Hello"), TextFont::Arial, 2, Emphasis::Bold,
                            QLatin1Char('#') + hexColourOf(255)),
             QStringLiteral("\r\n<FONT FACE=\"Arial, Helvetica\" SIZE=\"2\" COLOR=\"#FF0000\">"
                            "<B>Hello</B></FONT><P></P>"));
    QCOMPARE(buildParagraph(QStringLiteral("Hi"), TextFont::Times, 7, Emphasis::Italic, black),
             QStringLiteral("\r\n<FONT FACE=\"Times New Roman\" SIZE=\"7\" COLOR=\"#000000\">"
                            "<I>Hi</I></FONT><P></P>"));
    QCOMPARE(buildParagraph(QString(), TextFont::Times, 4, Emphasis::Normal, black),
             QStringLiteral("\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">"
                            "</FONT><P></P>"));
    QCOMPARE(buildParagraph(QStringLiteral("a < b & \"c\"\r\nline two"), TextFont::Times, 1,
                            Emphasis::Normal, black),
             QStringLiteral("\r\n<FONT FACE=\"Times New Roman\" SIZE=\"1\" COLOR=\"#000000\">"
                            "a < b & \"c\"\r\nline two</FONT><P></P>"));
}

void TestElements::headings()
{
    const QString black = QStringLiteral("#000000");
    QCOMPARE(buildHeadingElement(QStringLiteral("News"), 1, HeadingFont::TimesRoman, black, false),
             QStringLiteral("\r\n<FONT COLOR=\"#000000\" FACE=\"Times New Roman\"><H1>News"
                            "</FONT></H1>"));
    QCOMPARE(buildHeadingElement(QStringLiteral("News"), 1, HeadingFont::TimesRoman, black, true),
             QStringLiteral("\r\n<CENTER>\r\n<FONT COLOR=\"#000000\" FACE=\"Times New Roman\">"
                            "<H1>News</FONT></H1></CENTER>"));
    QCOMPARE(buildHeadingElement(QString(), 3, HeadingFont::ArialHelvetica,
                                 QStringLiteral("#FF0000"), false),
             QStringLiteral("\r\n<FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\"><H3>"
                            "</FONT></H3>"));
}

void TestElements::rules()
{
    QCOMPARE(buildRule(QStringLiteral("100%")) + buildRule(QStringLiteral("75%")) +
                 buildRule(QStringLiteral("50%")),
             QStringLiteral("\r\n<HR WIDTH=\"100%\">\r\n<HR WIDTH=\"75%\">\r\n<HR WIDTH=\"50%\">"));
}

void TestElements::singlePictures()
{
    QCOMPARE(buildSinglePicture(QStringLiteral("photo1.jpg"), false),
             QStringLiteral("\r\n<IMG SRC=\"photo1.jpg\"><P></P>"));
    QCOMPARE(buildSinglePicture(QStringLiteral("photo1.jpg"), true),
             QStringLiteral("\r\n<CENTER><IMG SRC=\"photo1.jpg\"></CENTER><P></P>"));
    QCOMPARE(buildSinglePicture(QStringLiteral("my photo.jpg"), false),
             QStringLiteral("\r\n<IMG SRC=\"my photo.jpg\"><P></P>"));
}

void TestElements::twoPictures()
{
    QCOMPARE(buildTwoPictures(QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), false),
             QStringLiteral("<P></P><IMG SRC=\"a.jpg\">&nbsp;&nbsp;&nbsp;&nbsp;<IMG SRC=\"b.jpg\">"));
    QCOMPARE(buildTwoPictures(QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), true),
             QStringLiteral("\r\n<CENTER>\r\n<P></P><IMG SRC=\"a.jpg\">&nbsp;&nbsp;&nbsp;&nbsp;"
                            "<IMG SRC=\"b.jpg\"></CENTER>"));
    QCOMPARE(buildTwoPictures(QString(), QString(), false),
             QStringLiteral("<P></P><IMG SRC=\"\">&nbsp;&nbsp;&nbsp;&nbsp;<IMG SRC=\"\">"));
}

void TestElements::textAndPicture()
{
    const QString start = QStringLiteral("\r\n<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r\n<TR>");
    const QString pictureCell = QStringLiteral("\r\n<TD><IMG SRC=\"p.jpg\"></TD>");
    const QString textCell = QStringLiteral(
        "\r\n<TD><FONT COLOR=\"#000000\" FACE=\"TimesNew Roman\" SIZE=\"3\">Hello</FONT></TD>");
    const QString end = QStringLiteral("\r\n</TR>\r\n</TABLE>");
    const QString black = QStringLiteral("#000000");
    QCOMPARE(buildTextAndPicture(QStringLiteral("p.jpg"), QStringLiteral("Hello"), black,
                                 TextPictureFont::Times, QStringLiteral("3"), true),
             start + pictureCell + textCell + end);
    QCOMPARE(buildTextAndPicture(QStringLiteral("p.jpg"), QStringLiteral("Hello"), black,
                                 TextPictureFont::Times, QStringLiteral("3"), false),
             start + textCell + pictureCell + end);
    QVERIFY(buildTextAndPicture(QStringLiteral("p.jpg"), QStringLiteral("a\r\nb"),
                                QStringLiteral("#FF0000"), TextPictureFont::Arial,
                                QStringLiteral("5"), true)
                .contains(QStringLiteral("<TD><FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\" "
                                         "SIZE=\"5\">a\r\nb</FONT></TD>")));
}

QTEST_APPLESS_MAIN(TestElements)
#include "tst_elements.moc"

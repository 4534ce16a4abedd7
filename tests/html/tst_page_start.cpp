#include "html/background.h"
#include "html/breaks.h"
#include "html/colour.h"
#include "html/head.h"
#include "support/worked_example.h"

#include <QTest>

using namespace tarnwell;

class TestPageStart final : public QObject
{
    Q_OBJECT

private slots:
    void headTextOfWorkedExample();
    void headTextKeepsTitleAsTyped();
    void headingOfWorkedExample();
    void headingSizesFontsAndCentring_data();
    void headingSizesFontsAndCentring();
    void bodyLines_data();
    void bodyLines();
    void pageStartOfWorkedExample();
    void breaks();
};

void TestPageStart::headTextOfWorkedExample()
{
    // Lines 1 to 6 of the worked example's saved file.
    const QByteArray file = tarnwell::test::kWorkedExampleFile;
    QCOMPARE(buildHeadText(QStringLiteral("My page")).toLatin1(),
             file.left(file.indexOf("</HEAD>\r\n") + 9));
}

void TestPageStart::headTextKeepsTitleAsTyped()
{
    QVERIFY(buildHeadText(QString()).contains(QStringLiteral("\r\n<TITLE></TITLE>\r\n")));
    const QString title = QStringLiteral("Fish & <Chips> \"ж\"");
    QVERIFY(buildHeadText(title).contains(QStringLiteral("<TITLE>") + title +
                                          QStringLiteral("</TITLE>\r\n")));
}

void TestPageStart::headingOfWorkedExample()
{
    const HeadingFragment heading = buildHeading(
        QStringLiteral("Welcome"), 1, QStringLiteral("0000FF"), HeadingFont::TimesRoman, false);
    QCOMPARE(heading.before, QString());
    QCOMPARE(heading.opening,
             QStringLiteral("<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome"));
    QCOMPARE(heading.closing, QStringLiteral("</FONT></H1>"));
    QCOMPARE(heading.after, QString());
    QCOMPARE(
        heading.text(),
        QStringLiteral("<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>"));
}

void TestPageStart::headingSizesFontsAndCentring_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<bool>("arial");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<QString>("expected");
    QTest::newRow("H2") << "News" << 2 << "0000FF" << false << false
                        << "<H2><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">News</FONT></H2>";
    QTest::newRow("H3 arial red")
        << "News" << 3 << "FF0000" << true << false
        << "<H3><FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\">News</FONT></H3>";
    QTest::newRow("centred")
        << "Welcome" << 1 << "0000FF" << false << true
        << "<CENTER><H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>"
           "</CENTER>";
    QTest::newRow("empty") << "" << 1 << "0000FF" << false << false
                           << "<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\"></FONT></H1>";
    QTest::newRow("as typed")
        << "A < B & \"C\"\r\nжизнь" << 1 << "0000FF" << false << false
        << "<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">A < B & \"C\"\r\nжизнь"
           "</FONT></H1>";
}

void TestPageStart::headingSizesFontsAndCentring()
{
    QFETCH(QString, text);
    QFETCH(int, size);
    QFETCH(QString, hex);
    QFETCH(bool, arial);
    QFETCH(bool, centred);
    QFETCH(QString, expected);
    const HeadingFont font = arial ? HeadingFont::ArialHelvetica : HeadingFont::TimesRoman;
    QCOMPARE(buildHeading(text, size, hex, font, centred).text(), expected);
}

void TestPageStart::bodyLines_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("gallery");
    QTest::addColumn<QString>("expected");
    QTest::newRow("untouched") << int(BackgroundChoice::PlainColour) << defaultBodyAttributes()
                               << QString() << "<BODY  BGCOLOR=\"#FFFFFF\">\r\n";
    QTest::newRow("red") << int(BackgroundChoice::PlainColour)
                         << plainColourAttributes(ConvertColor(QStringLiteral("255"))) << QString()
                         << "<BODY BGCOLOR= \"#FF0000\">\r\n";
    QTest::newRow("own file") << int(BackgroundChoice::OwnFile)
                              << textureFileAttributes(QStringLiteral("stone.jpg")) << QString()
                              << "<BODY BACKGROUND=\"stone.jpg\">\r\n";
    QTest::newRow("gallery") << int(BackgroundChoice::Gallery) << defaultBodyAttributes()
                             << "bckgrnd7.jpg"
                             << "<BODY BACKGROUND=\"bckgrnd7.jpg\">\r\n";
    QTest::newRow("none") << int(BackgroundChoice::None) << defaultBodyAttributes()
                          << "bckgrnd7.jpg" << QString();
}

void TestPageStart::bodyLines()
{
    QFETCH(int, choice);
    QFETCH(QString, attributes);
    QFETCH(QString, gallery);
    QFETCH(QString, expected);
    QCOMPARE(buildBodyLine(BackgroundChoice(choice), attributes, gallery), expected);
}

void TestPageStart::pageStartOfWorkedExample()
{
    const HeadingFragment heading = buildHeading(
        QStringLiteral("Welcome"), 1, QStringLiteral("0000FF"), HeadingFont::TimesRoman, true);
    const QString start = buildPageStart(
        QStringLiteral("My page"),
        buildBodyLine(BackgroundChoice::PlainColour, defaultBodyAttributes(), QString()), heading);
    QVERIFY(start.startsWith(buildHeadText(QStringLiteral("My page"))));
    QVERIFY(start.endsWith(QStringLiteral(
        "</HEAD>\r\n<BODY  BGCOLOR=\"#FFFFFF\">\r\n<CENTER><H1><FONT COLOR=\"#0000FF\" "
        "FACE=\"Times New Roman\">Welcome</FONT></H1></CENTER>")));
}

void TestPageStart::breaks()
{
    QCOMPARE(lineBreak(), QStringLiteral("\r\n<BR>"));
    QCOMPARE(paragraphBreak(), QStringLiteral("\r\n<P></P>"));
}

QTEST_APPLESS_MAIN(TestPageStart)
#include "tst_page_start.moc"

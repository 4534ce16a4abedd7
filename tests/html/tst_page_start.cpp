#include "html/background.h"
#include "html/breaks.h"
#include "html/colour.h"

#include <QTest>

using namespace tarnwell;

class TestPageStart final : public QObject
{
    Q_OBJECT

private slots:
    void bodyLines_data();
    void bodyLines();
    void pageStartOfWorkedExample();
    void breaks();
};

void TestPageStart::bodyLines_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("gallery");
    QTest::addColumn<QString>("expected");
    QTest::newRow("untouched") << int(BackgroundChoice::PlainColour) << defaultBodyAttributes()
                               << QString() << "<BODY  BGCOLOR=\"#FFFFFF\">\r\n";
    QTest::newRow("red") << int(BackgroundChoice::PlainColour)
                         << plainColourAttributes(ConvertColor(QStringLiteral("255")))
                         << QString() << "<BODY BGCOLOR= \"#FF0000\">\r\n";
    QTest::newRow("own file") << int(BackgroundChoice::OwnFile)
                              << textureFileAttributes(QStringLiteral("stone.jpg")) << QString()
                              << "<BODY BACKGROUND=\"stone.jpg\">\r\n";
    QTest::newRow("gallery") << int(BackgroundChoice::Gallery) << defaultBodyAttributes()
                             << "bckgrnd7.jpg" << "<BODY BACKGROUND=\"bckgrnd7.jpg\">\r\n";
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
    const HeadingFragment heading = buildHeading(QStringLiteral("Welcome"), 1,
                                                 QStringLiteral("0000FF"),
                                                 HeadingFont::TimesRoman, true);
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

#include "html/head.h"
#include "support/worked_example.h"

#include <QTest>

using namespace tarnwell;

class TestHead final : public QObject
{
    Q_OBJECT

private slots:
    void headTextOfWorkedExample();
    void headTextKeepsTitleAsTyped();
    void headingOfWorkedExample();
    void headingSizesFontsAndCentring_data();
    void headingSizesFontsAndCentring();
};

void TestHead::headTextOfWorkedExample()
{
    // Lines 1 to 6 of the worked example's saved file.
    const QByteArray file = tarnwell::test::kWorkedExampleFile;
    QCOMPARE(buildHeadText(QStringLiteral("My page")).toLatin1(),
             file.left(file.indexOf("</HEAD>\r\n") + 9));
}

void TestHead::headTextKeepsTitleAsTyped()
{
    QVERIFY(buildHeadText(QString()).contains(QStringLiteral("\r\n<TITLE></TITLE>\r\n")));
    const QString title = QStringLiteral("Fish & <Chips> \"ж\"");
    QVERIFY(buildHeadText(title).contains(QStringLiteral("<TITLE>") + title +
                                          QStringLiteral("</TITLE>\r\n")));
}

void TestHead::headingOfWorkedExample()
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

void TestHead::headingSizesFontsAndCentring_data()
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

void TestHead::headingSizesFontsAndCentring()
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

QTEST_APPLESS_MAIN(TestHead)
#include "tst_head.moc"

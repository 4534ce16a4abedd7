#include "html/colour.h"

#include <QTest>

using namespace tarnwell;

class TestColour final : public QObject
{
    Q_OBJECT

private slots:
    void workedValues_data();
    void workedValues();
    void rgbToHexIgnoresExtraParts();
    void convertColorTakesTextOrNumber();
    void bothRoutesAgreeOnEveryColour();
};

void TestColour::workedValues_data()
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

void TestColour::workedValues()
{
    QFETCH(qint32, number);
    QFETCH(QString, rgb);
    QFETCH(QString, hex);
    QCOMPARE(ColorToRGB(number, QStringLiteral(",")), rgb);
    QCOMPARE(RGBToHex(rgb, QStringLiteral(",")), hex);
    QCOMPARE(ConvertColor(QString::number(number)), hex);
    QCOMPARE(hexColourOf(number), hex);
}

void TestColour::rgbToHexIgnoresExtraParts()
{
    QCOMPARE(RGBToHex(QStringLiteral("1,2,3,4"), QStringLiteral(",")), QStringLiteral("010203"));
    QCOMPARE(RGBToHex(QStringLiteral("1;;2;;3"), QStringLiteral(";;")), QStringLiteral("010203"));
    // Too few parts is a caller's mistake; it must still not fail.
    QCOMPARE(RGBToHex(QStringLiteral("255"), QStringLiteral(",")), QStringLiteral("FF0000"));
}

void TestColour::convertColorTakesTextOrNumber()
{
    QCOMPARE(ConvertColor(QStringLiteral("65280")), QStringLiteral("00FF00"));
    QCOMPARE(ConvertColor(65280), QStringLiteral("00FF00"));
    QCOMPARE(ConvertColor(QString()), QStringLiteral("000000"));
    // Out-of-range numbers never index outside the digits.
    QCOMPARE(ConvertColor(-1), QStringLiteral("FFFFFF"));
}

void TestColour::bothRoutesAgreeOnEveryColour()
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

QTEST_APPLESS_MAIN(TestColour)
#include "tst_colour.moc"

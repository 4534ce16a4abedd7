// What a screen shows after each way of reaching it: the samples, previews
// and names that appear and go as the user chooses.

#include "driver.h"
#include "walks.h"

#include <QImage>
#include <QTest>

using namespace tarnwell::e2e;

class TestViews final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void background_data();
    void background();

private:
    QTemporaryDir m_pictures;
};

void TestViews::initTestCase()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QVERIFY(image.save(m_pictures.filePath(QStringLiteral("stone.jpg")), "JPG"));
    QVERIFY(makePipe(m_pictures.filePath("pipe.jpg")));
}

void TestViews::background_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown"); // of the Background screen's seven

    const QString colour = QStringLiteral("click Form3/Command2; colour #ff0000");
    const QString gallery = QStringLiteral("click Form3/Command4; click Form5/Command2");
    QTest::newRow("from HEAD") << QStringList()
                               << QStringList{"Label2", "Label1", "Picture1", "Picture2"};
    QTest::newRow("colour") << steps(colour) << QStringList{"Label1", "Text2"};
    QTest::newRow("colour dialog cancelled")
        << steps("click Form3/Command2; cancel")
        << QStringList{"Label2", "Label1", "Picture1", "Picture2"};
    QTest::newRow("texture file") << steps("click Form3/Command3; file {P}/stone.jpg")
                                  << QStringList{"Picture1", "Text1"};
    // Shown without waiting for the pipe to be written: nothing to show.
    QTest::newRow("texture file that is a named pipe")
        << steps("click Form3/Command3; file {P}/pipe.jpg; text Form3/Text1 pipe.jpg")
        << QStringList{"Picture1", "Text1"};
    QTest::newRow("texture file cancelled after a colour")
        << steps(colour + "; click Form3/Command3; cancel") << QStringList{"Label1"};
    QTest::newRow("gallery") << steps(gallery) << QStringList{"Picture2", "Text3"};
    QTest::newRow("gallery closed after a colour")
        << steps(colour + "; click Form3/Command4; close Form5; shown Form3")
        << QStringList{"Label1", "Text2"};
    QTest::newRow("colour after the gallery")
        << steps(gallery + "; " + colour) << QStringList{"Label1", "Text2"};
    QTest::newRow("HEAD and back again after a colour")
        << steps(colour + "; click Form3/Command5; shown Form2; click Form2/Command1")
        << QStringList{"Label2", "Label1", "Picture1", "Picture2"};
    QTest::newRow("the page begun again after a texture")
        << steps(gallery) + kNext +
               steps("click Form4/Command15; click Form4/Command2; shown Form3")
        << QStringList{"Label1", "Picture1", "Picture2"};
}

void TestViews::background()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);
    QTemporaryDir session;
    Program app;
    app.vars = {{"S", session.path()}, {"P", m_pictures.path()}};
    QStringList checks;
    for (const char *name : {"Label2", "Label1", "Text2", "Picture1", "Text1", "Picture2", "Text3"})
        checks << (shown.contains(QLatin1String(name)) ? "shown Form3/" : "hidden Form3/") +
                      QLatin1String(name);
    QVERIFY2(app.run(kToBackground + steps + checks), qPrintable(app.error()));
}

QTEST_GUILESS_MAIN(TestViews)
#include "tst_e2e_views.moc"

// MouseOver names that would stop the pictures changing, and the example buttons.

#include "driver.h"
#include "walks.h"

#include <QTest>

using namespace tarnwell::e2e;

class TestMouseOver final : public QObject
{
    Q_OBJECT

private slots:
    void repeatedNameRefusedThenExampleButtons();
};

void TestMouseOver::repeatedNameRefusedThenExampleButtons()
{
    QTemporaryDir session;
    Program app;
    app.vars["S"] = session.path();
    app.vars["D"] = installedFile("share/tarnwell");
    const QStringList open = {"click Form4/Command6",
                              "answer OK Pictures/photos need to be about the same size OK?",
                              "type Form18/Text1 a.jpg", "type Form18/Text2 b.jpg"};
    const QStringList refused = {"type Form18/Text5 Gondola5", "click Form18/Command6",
                                 "answer OK [stop] The name \"Gondola5\" is used already in this "
                                 "page. Two pictures with the same name both stop changing. "
                                 "Please choose another name.",
                                 "shown Form18", "text Form18/Text5 Gondola5"};
    // Then each button screen's first dialog opens where the example buttons
    // lie, so a bare name picks one.
    const QStringList files = {
        "type Form18/Text5 square",  "click Form18/Command6", "click Form4/Command8",
        "click Form16/Command1",     "click Form11/Command4", "click Form14/Command1",
        "click Form15/Command3",     "dialog-folder {D}",     "file home.gif",
        "text Form15/Text1 home.gif"};
    const QStringList titles = {"click Form15/Command2", "click Form4/Command8",
                                "click Form16/Command1", "click Form11/Command2",
                                "click Form19/Command1", "click Form20/Command2",
                                "dialog-folder {D}",     "cancel",
                                "text Form20/Text1 "};
    QVERIFY2(app.run(kToSelection + open +
                     QStringList{"type Form18/Text5 gondola5", "click Form18/Command6"} + open +
                     refused + files + titles),
             qPrintable(app.error()));
    // Nothing was added for the refused name.
    QCOMPARE(app.text("Form4/Text1").count("NAME="), 2);
    QVERIFY(app.text("Form4/Text1").endsWith("NAME=\"square\" BORDER=\"0\"></A><P></P><P></P>"));
    QCOMPARE(readAll(session.filePath("home.gif")),
             readAll(installedFile("share/tarnwell/home.gif")));
}

QTEST_GUILESS_MAIN(TestMouseOver)
#include "tst_e2e_mouseover.moc"

// The program from start to end, as its users run it.

#include "driver.h"
#include "support/worked_example.h"
#include "walks.h"

#include <QElapsedTimer>
#include <QTest>

using namespace tarnwell::e2e;
using tarnwell::test::kWorkedExampleFile;

class TestSession final : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleSavedThenLoadedAndExtended();
    void endingTheProgram_data();
    void endingTheProgram();
};

void TestSession::workedExampleSavedThenLoadedAndExtended()
{
    QTemporaryDir session;
    const QString page = session.filePath(QStringLiteral("page.html"));
    {
        Program app;
        app.vars = {{"S", session.path()}};
        QVERIFY2(
            app.run(kToSelection +
                    steps("click Form4/Command4; type Form6/Text1 Hello; click Form6/Command1; "
                          "answer Yes Did you check size, colour etc?; hidden Form6; "
                          "click Form4/Command10; answer OK [info] Make sure you save to "
                          "your session folder.; file {S}/page; click Form4/Command1; "
                          "answer Yes Saved your file?; exit 0")),
            qPrintable(app.error()));
        QCOMPARE(readAll(page), kWorkedExampleFile);
    }

    Program app;
    app.vars = {{"S", session.path()}, {"F", page}};
    QVERIFY2(app.run(steps(
                 kLoad + "; hidden Form24; " + kUseFolder +
                 "; shown Form4; hidden Form4/Command2; "
                 "text Form4/Label2 {S}; click Form4/Command4; type Form6/Text1 Again; "
                 "click Form6/Command1; answer Yes Did you check size, colour etc?; click "
                 "Form4/Command10; answer OK [info] Make sure you save to your session folder.; "
                 "file {S}/page.html; answer Yes This file already exists. Do you want to "
                 "overwrite it?")),
             qPrintable(app.error()));
    const QByteArray closing = "</BODY>\r\n</HTML>\r\n\r\n";
    QByteArray expected = kWorkedExampleFile;
    expected.replace(closing, "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">"
                              "Again</FONT><P></P>\r\n" +
                                  closing);
    QTRY_COMPARE_WITH_TIMEOUT(readAll(page), expected, app.patience);

    // Cleared, the next page is a new one again: HEAD and Background, Back
    // offered, nothing of the loaded page left.
    QVERIFY2(app.run(QStringList{"click Form4/Command16", "shown Form1"} + kToSelection +
                     steps("shown Form4/Command2; click Form4/Command10; answer OK [info] Make "
                           "sure you save to your session folder.; file {S}/new")),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QStringLiteral("new.html"))),
                              savedPage(kPlainStart), app.patience);
}

// Every way out ends the program at once with status 0 and leaves no viewer
// process behind.
void TestSession::endingTheProgram_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("QUIT") << steps("click Form1/Command2");
    QTest::newRow("Start's close box") << steps("close Form1");
    QTest::newRow("Exit Program after PREVIEW")
        << kToSelection + steps("click Form4/Command3; title Form27 My page; click Form4/Command1; "
                                "answer Yes Saved your file?");
    QTest::newRow("Selection's close box, No then Yes")
        << kToSelection + steps("close Form4; answer No Saved your file?; shown Form4; "
                                "shown Form1; close Form4; answer Yes Saved your file?");
    QTest::newRow("Exit Program with another screen open")
        << kToSelection + steps("click Form4/Command8; shown Form16; click Form4/Command1; "
                                "answer Yes Saved your file?");
}

void TestSession::endingTheProgram()
{
    QFETCH(QStringList, steps);
    QTemporaryDir session;
    Program app;
    app.vars = {{"S", session.path()}};
    const QString last = steps.takeLast();
    QVERIFY2(app.run(steps), qPrintable(app.error()));
    QElapsedTimer sinceAsked;
    sinceAsked.start();
    QVERIFY2(app.run({last, "exit 0"}), qPrintable(app.error()));
    qInfo("ended %lld ms after it was asked", sinceAsked.elapsed());
    QTRY_COMPARE_WITH_TIMEOUT(app.descendantsLeft(), 0, app.patience);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_e2e_session.moc"

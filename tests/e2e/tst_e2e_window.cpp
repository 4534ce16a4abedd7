// The one main window: its title, its close box, its place kept between runs,
// its smallest size and a walk at twice the scale.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QTest>

using namespace tarnwell::e2e;

class TestWindow final : public QObject
{
    Q_OBJECT

private slots:
    void walks_data();
    void walks();
    void geometryKept();
    void folderListKeptAfterItsMessage();
    void twiceTheScale();
};

// The window's title, its close box on each kind of screen, and its smallest
// size with every screen.
void TestWindow::walks_data()
{
    QTest::addColumn<QStringList>("steps");
    const auto title = [](const char *name, const QStringList &steps, const QString &title) {
        QTest::newRow(name) << steps + QStringList{"title Form13 " + title};
    };
    title("title: Start", {}, "Tarnwell");
    // A screen shown beside the one in view is a dialog: the window keeps
    // the name of the screen it helps with.
    title("title: Start advice", steps("click Form1/Command3; inview Form17; inview Form1"),
          "Tarnwell");
    title("title: advice closed", steps("click Form1/Command3; click Form17/Command1"), "Tarnwell");
    title("title: Check page", kToSelection + steps("click Form4/CheckPage; inview CheckPage"),
          "Tarnwell \u2013 Selection");
    title("title: HEAD", steps(kUseFolder + "; inview Form2"), "Tarnwell \u2013 HEAD");
    title("title: Selection", kToSelection, "Tarnwell \u2013 Selection");
    title("title: Text & Picture", kToSelection + steps("click Form4/Command7; inview Form10"),
          "Tarnwell \u2013 Text & Picture");

    QTest::newRow("close box: Start advice, back")
        << steps("click Form1/Command3; close Form17; hidden Form17; shown Form1; "
                 "title Form13 Tarnwell");
    QTest::newRow("close box: Select Directory, back to Start")
        << steps("click Form1/Command1; close nonComdlg; hidden nonComdlg; shown Form1; "
                 "focus Form1/Command1");
    QTest::newRow("close box: Paragraph, back to Selection")
        << kToSelection + steps("click Form4/Command4; close Form6; hidden Form6; inview Form4; "
                                "title Form13 Tarnwell \u2013 Selection");
    QTest::newRow("close box: Selection, changes not saved")
        << kToSelection +
               steps("close Form4; answer Cancel " + kUnsaved +
                     "; shown Form4; close Form4; answer Don't_Save " + kUnsaved + "; exit 0");

    // At its smallest the window holds every screen at the screen's smallest,
    // and it does not grow as the screens open.
    const auto fits = [](const char *name, const QStringList &steps) {
        QTest::newRow(name) << QStringList{"place Form13 10 20 1 1"} + steps +
                                   QStringList{"smallest Form13"};
    };
    fits("fits: Start", steps("fits Form1; click Form1/Command3; fits Form17; "
                              "click Form17/Command1; click Form1/Command6; fits Form24; "
                              "click Form24/Command1; cancel; "
                              "answer OK [info] You cancelled file loading - continue.; "
                              "click Form1/Command5; fits nonComdlg"));
    fits("fits: HEAD and Background",
         steps(kUseFolder + "; type Form2/Text1 My page; type Form2/Text2 Welcome; "
                            "click Form2/ModernPage; fits Form2; click Form2/ModernPage; "
                            "click Form2/Command1; fits Form3; click Form3/Command4; fits Form5"));
    fits("fits: Selection and what it adds",
         kToSelection + steps("fits Form4; click Form4/Command4; fits Form6; close Form6; "
                              "click Form4/Command9; fits Form7; close Form7; "
                              "click Form4/Command11; fits Form8; close Form8; "
                              "click Form4/Command5; fits Form9; close Form9; "
                              "click Form4/Command7; fits Form10; close Form10; "
                              "click Form4/Command13; fits Form21; close Form21; "
                              "click Form4/Command6; " +
                              kSameSize + "; fits Form18; click Form18/Command7; fits Form26"));
    fits("fits: links",
         kToSelection + steps("click Form4/Command8; fits Form16; click Form16/Command1; "
                              "fits Form11; click Form11/Command5; fits Form25; "
                              "click Form25/Command1; click Form11/Command3; fits Form12; "
                              "close Form12; " +
                              kToLinks +
                              "; click Form11/Command2; fits Form19; "
                              "click Form19/Option1; click Form19/Command1; fits Form20; "
                              "close Form20; " +
                              kToLinks +
                              "; click Form11/Command4; fits Form14; "
                              "click Form14/Option1; click Form14/Command1; fits Form15"));
    fits("fits: advice, Check page and Publish",
         kToSelection +
             steps("click Form4/Command14; fits Form22; click Form22/Command2; "
                   "fits Form23; click Form23/Command1; click Form4/CheckPage; "
                   "fits CheckPage; close CheckPage; click Form4/Publish; fits Publish"));
}

void TestWindow::walks()
{
    QFETCH(QStringList, steps);
    Fresh fresh;
    E2E_RUN(fresh.app, steps);
}

// Moved and sized, then maximised: each comes back at the next start.
void TestWindow::geometryKept()
{
    QTemporaryDir home;
    // One start each, in the same home.
    for (const char *run : {"place Form13 40 30 900 700; geometry Form13 40 30 900 700; "
                            "click Form1/Command2; exit 0",
                            "geometry Form13 40 30 900 700; maximise Form13; "
                            "maximised Form13 40 30 900 700; close Form1; exit 0",
                            "maximised Form13 40 30 900 700; shown Form1"}) {
        Program app(home.path());
        E2E_RUN(app, steps(run));
    }
}

// The Select Directory screen starts its lists afresh when it comes into view
// again, but its own message box leaves them where the user was.
void TestWindow::folderListKeptAfterItsMessage()
{
    QTemporaryDir place;
    QVERIFY(QDir(place.path()).mkdir(QStringLiteral("inside")));
    Program app;
    app.vars = {{"S", place.path()}};
    E2E_RUN(app, steps("click Form1/Command5; folder {S}"));
    const QString chosen = app.text(QStringLiteral("nonComdlg/Dir1"));
    QVERIFY(chosen.contains(QStringLiteral("inside")));
    E2E_RUN(app, steps("click nonComdlg/CmdUseFile; "
                       "answer OK [stop] You did not type the directory name!"));
    QCOMPARE(app.text(QStringLiteral("nonComdlg/Dir1")), chosen);
    E2E_RUN(app, steps("click nonComdlg/CmdCancelSetFileToNull; click Form1/Command5"));
    QVERIFY(app.text(QStringLiteral("nonComdlg/Dir1")) != chosen);
}

// The worked example at twice the scale, as on a high-density display.
void TestWindow::twiceTheScale()
{
    QTemporaryDir session;
    Program app({}, {}, {{"QT_SCALE_FACTOR", "2"}});
    app.vars = {{"S", session.path()}};
    E2E_RUN(app, kToSelection + steps("fits Form4") + paragraph("Hello") + kSave +
                     steps(kExitSaved + "; exit 0"));
    QCOMPARE(readAll(session.filePath(QStringLiteral("page.html"))),
             tarnwell::test::kWorkedExampleFile);
}

QTEST_GUILESS_MAIN(TestWindow)
#include "tst_e2e_window.moc"

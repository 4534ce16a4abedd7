// Finding the way: the session folder, the HEAD screen, the advice screens
// and the ways back, as a user walks them.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QImage>
#include <QTest>

using namespace tarnwell::e2e;

class TestScreens final : public QObject
{
    Q_OBJECT

private slots:
    void makingAFolder_data();
    void makingAFolder();
    void walks_data();
    void walks();
    void initTestCase();

private:
    QTemporaryDir m_pictures;
};

void TestScreens::makingAFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString exists =
        QStringLiteral("[info] Directory already exists! Type another name or click Cancel");
    QTest::newRow("made") << "mysite" << QString();
    QTest::newRow("non-Latin") << "\u043C\u043E\u0439 \u0441\u0430\u0439\u0442" << QString();
    QTest::newRow("no name") << ""
                             << "[stop] You did not type the directory name!";
    QTest::newRow("taken") << "taken" << exists;
    QTest::newRow("a path") << "a/b" << exists;
    QTest::newRow("up") << ".." << exists;
    QTest::newRow("escape") << "../escape" << exists;
}

// A refused name leaves everything as it was for another try; a made folder
// leads on to the HEAD screen.
void TestScreens::makingAFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    // The folder lies in one of its own, where a name that escaped would show.
    QTemporaryDir around;
    QDir place(around.filePath(QStringLiteral("place")));
    QVERIFY(place.mkpath(QStringLiteral("taken")));
    Program app;
    app.vars = {{"S", place.path()}, {"N", name}};
    QVERIFY2(app.run(steps("click Form1/Command5; folder {S}; type nonComdlg/Text1 {N}; "
                           "click nonComdlg/CmdUseFile")),
             qPrintable(app.error()));
    if (!message.isEmpty()) {
        QVERIFY2(app.run(steps("answer OK " + message +
                               "; text nonComdlg/Text1 {N}; shown nonComdlg/CmdUseFile; "
                               "hidden nonComdlg/Command1")),
                 qPrintable(app.error()));
        QCOMPARE(QDir(place.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{"taken"});
        QCOMPARE(QDir(around.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"place"});
        return;
    }
    QVERIFY2(app.run(steps("text nonComdlg/Label3 {N}; hidden nonComdlg/CmdUseFile; "
                           "disabled nonComdlg/Dir1; click nonComdlg/Command1; hidden nonComdlg; "
                           "hidden Form1; text Form2/Label8 {S}/{N}")),
             qPrintable(app.error()));
    QVERIFY(QFileInfo(place.filePath(name)).isDir());
}

void TestScreens::walks_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("existing folder at the root")
        << steps("click Form1/Command5; type nonComdlg/Text1 half; click Form1/Command1; "
                 "folder /; click nonComdlg/CmdUseFile; text Form2/Label8 /; shown Form1");
    QTest::newRow("Cancel, then a fresh Select Directory screen")
        << steps("click Form1/Command5; folder {S}; type nonComdlg/Text1 never; "
                 "click nonComdlg/CmdCancelSetFileToNull; hidden nonComdlg; focus Form1/Command1; "
                 "click Form1/Command5; text nonComdlg/Text1 ; close nonComdlg; hidden nonComdlg");
    QTest::newRow("HEAD's Back and close box") << steps(
        kUseFolder +
        "; type Form2/Text1 Kept; click Form2/Command3; hidden Form2; click Form1/Command1; "
        "click nonComdlg/CmdUseFile; text Form2/Text1 Kept; close Form2; hidden Form2; "
        "shown Form1");
    QTest::newRow("Clear the page (new)")
        << kToSelection +
               steps("click Form4/Command16; hidden Form4; shown Form1; " + kUseFolder +
                     "; shown Form2; "
                     "text Form2/Text1 My page; text Form2/Text2 ; click Form2/Command1") +
               kNext + steps("shown Form4/Command2; text Form4/Label2 {S}");
    QTest::newRow("Start advice") << steps("click Form1/Command3; shown Form17; "
                                           "click Form17/Command1; hidden Form17; shown Form1");
    QTest::newRow("Button advice, Back and Continue")
        << kToSelection +
               steps("click Form4/Command8; click Form16/Command2; hidden Form16; shown Form4; "
                     "click Form4/Command8; click Form16/Command1; hidden Form16; shown Form11; "
                     "shown Form11/Command2; shown Form11/Command3; click Form11/Command1; "
                     "hidden Form11; focus Form4/Command3");
    QTest::newRow("HTML Editing and More Advice")
        << kToSelection +
               steps("click Form4/Command14; click Form22/Command2; hidden Form22; shown Form23; "
                     "click Form23/Command1; hidden Form23; shown Form4; click Form4/Command14; "
                     "click Form22/Command1; hidden Form22");
    // Pressed twice, an advice screen comes to the front instead of opening again.
    QTest::newRow("Links advice")
        << kToSelection +
               steps("click Form4/Command8; click Form16/Command1; click Form11/Command5; "
                     "shown Form25; click Form11/Command5; click Form25/Command1; hidden Form25; "
                     "click Form11/Command5; shown Form25");
    QTest::newRow("MouseOver advice")
        << kToSelection + steps("click Form4/Command6; answer OK Pictures/photos need to be about "
                                "the same size OK?; click Form18/Command7; "
                                "shown Form26; click Form18/Command7; click Form26/Command1; "
                                "hidden Form26");

    // The Background screen's seven samples, names and previews after the
    // steps: those named shown, the rest hidden.
    const auto background = [](const QStringList &steps, const QStringList &shown) {
        QStringList checks = kToBackground + steps;
        for (const QString name :
             {"Label2", "Label1", "Text2", "Picture1", "Text1", "Picture2", "Text3"})
            checks << (shown.contains(name) ? "shown Form3/" : "hidden Form3/") + name;
        return checks;
    };
    const QString colour = QStringLiteral("click Form3/Command2; colour #ff0000");
    const QString gallery = QStringLiteral("click Form3/Command4; click Form5/Command2");
    QTest::newRow("background, from HEAD")
        << background(QStringList(), QStringList{"Label2", "Label1", "Picture1", "Picture2"});
    QTest::newRow("background, colour")
        << background(steps(colour), QStringList{"Label1", "Text2"});
    QTest::newRow("background, colour dialog cancelled")
        << background(steps("click Form3/Command2; cancel"),
                      QStringList{"Label2", "Label1", "Picture1", "Picture2"});
    QTest::newRow("background, texture file") << background(
        steps("click Form3/Command3; file {P}/stone.jpg"), QStringList{"Picture1", "Text1"});
    // Shown without waiting for the pipe to be written: nothing to show.
    QTest::newRow("background, texture file that is a named pipe")
        << background(steps("click Form3/Command3; file {P}/pipe.jpg; text Form3/Text1 pipe.jpg"),
                      QStringList{"Picture1", "Text1"});
    QTest::newRow("background, texture file cancelled after a colour")
        << background(steps(colour + "; click Form3/Command3; cancel"), QStringList{"Label1"});
    QTest::newRow("background, gallery")
        << background(steps(gallery), QStringList{"Picture2", "Text3"});
    QTest::newRow("background, gallery closed after a colour")
        << background(steps(colour + "; click Form3/Command4; close Form5; shown Form3"),
                      QStringList{"Label1", "Text2"});
    QTest::newRow("background, colour after the gallery")
        << background(steps(gallery + "; " + colour), QStringList{"Label1", "Text2"});
    QTest::newRow("background, HEAD and back again after a colour")
        << background(steps(colour + "; click Form3/Command5; shown Form2; click Form2/Command1"),
                      QStringList{"Label2", "Label1", "Picture1", "Picture2"});
    QTest::newRow("background, the page begun again after a texture") << background(
        steps(gallery) + kNext + steps("click Form4/Command15; click Form4/Command2; shown Form3"),
        QStringList{"Label1", "Picture1", "Picture2"});
}

void TestScreens::walks()
{
    QFETCH(QStringList, steps);
    QTemporaryDir session;
    Program app;
    app.vars = {{"S", session.path()}, {"P", m_pictures.path()}};
    QVERIFY2(app.run(steps), qPrintable(app.error()));
}

// Pictures for the Background screen's texture.
void TestScreens::initTestCase()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QVERIFY(image.save(m_pictures.filePath(QStringLiteral("stone.jpg")), "JPG"));
    QVERIFY(makePipe(m_pictures.filePath("pipe.jpg")));
}

QTEST_GUILESS_MAIN(TestScreens)
#include "tst_e2e_screens.moc"

// Check page on a page typed by hand, and its Fix for each kind of mend.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTest>

using namespace tarnwell::e2e;

namespace {
// The file or name and the problem of each row of Check page's list.
QStringList problems(Program &app)
{
    QStringList rows;
    for (const QString &row : app.text("CheckPage/Findings").split(u'\n'))
        rows << row.section(" | ", 0, 1);
    return rows;
}
} // namespace

class TestCheckPage final : public QObject
{
    Q_OBJECT

private slots:
    void findAndFix();
    void oddAddressesAndAChangingFolder();
};

// A named pipe or a folder named as a picture is no picture, and Check page
// answers at once rather than waiting for the pipe to be written.
void TestCheckPage::findAndFix()
{
    QTemporaryDir session, elsewhere;
    const QDir folder(session.path());
    for (const QString &path : {folder.filePath("Photo1.JPG"), folder.filePath("my photo.jpg"),
                                folder.filePath("good.png"), elsewhere.filePath("gone.png")})
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(path, "PNG"));
    QVERIFY(makePipe(folder.filePath("pipe.png")));
    QVERIFY(QFile::link("pipe.png", folder.filePath("link.gif")));
    QVERIFY(folder.mkdir("folder.jpg"));

    Program app;
    app.vars["S"] = session.path();
    app.vars["E"] = elsewhere.path();
    QVERIFY2(app.run(kToSelection +
                     QStringList{"type Form4/Text1 <IMG SRC=\"gone.jpg\">\n<IMG SRC=\"photo1.jpg\">"
                                 "<IMG SRC=\"my photo.jpg\"><IMG SRC=\"C:\\pics\\a.jpg\">"
                                 "<IMG SRC=\"good.png\"><IMG SRC=\"pipe.png\">"
                                 "<IMG SRC=\"link.gif\"><IMG SRC=\"folder.jpg\">",
                                 "click Form4/CheckPage", "shown CheckPage"}),
             qPrintable(app.error()));
    const QStringList special = {"pipe.png | Not a picture", "link.gif | Not a picture",
                                 "folder.jpg | Not a picture"};
    QCOMPARE(problems(app),
             QStringList({"gone.jpg | Not in your folder", "photo1.jpg | Capital letters differ",
                          "my photo.jpg | Space or odd character",
                          "C:\\pics\\a.jpg | Address on this computer"}) +
                 special);

    QVERIFY2(app.run({"select CheckPage/Findings photo1.jpg", "enabled CheckPage/Fix",
                      "select CheckPage/Findings my photo.jpg", "disabled CheckPage/Fix",
                      "select CheckPage/Findings photo1.jpg", "click CheckPage/Fix",
                      "answer OK [info] Tarnwell renamed Photo1.JPG in your session folder to "
                      "photo1.jpg.",
                      "disabled CheckPage/Fix", "select CheckPage/Findings gone.jpg",
                      "click CheckPage/Fix", "file {E}/gone.png",
                      "answer OK [info] Tarnwell copied the picture into your session folder as "
                      "gone.jpg."}),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(problems(app),
                              QStringList({"my photo.jpg | Space or odd character",
                                           "C:\\pics\\a.jpg | Address on this computer"}) +
                                  special,
                              app.patience);
    QCOMPARE(listing(session.path()),
             QStringList({"folder.jpg/", "gone.jpg", "good.png", "link.gif", "my photo.jpg",
                          "photo1.jpg", "pipe.png"}));
}

// An address with a query string, a folder that changes while Check page is
// open, a file that appears while the file dialog is, and one that goes
// before Fix is pressed: every Fix answers at once, says what it did or why
// it did nothing, and nothing beside the session folder changes.
void TestCheckPage::oddAddressesAndAChangingFolder()
{
    QTemporaryDir parent, elsewhere;
    const QDir folder(parent.filePath("site"));
    QVERIFY(folder.mkpath("."));
    QImage wide(800, 40, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    QVERIFY(wide.save(folder.filePath("wide.png")));
    QVERIFY(wide.save(parent.filePath("wide.png")));
    QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(elsewhere.filePath("gone.png")));
    const QStringList beside = listing(parent.path(), true, "site");

    Program app;
    app.vars["S"] = folder.path();
    app.vars["E"] = elsewhere.path();
    QVERIFY2(app.run(kToSelection + QStringList{"type Form4/Text1 <A HREF=\"wide.png\">"
                                                "<IMG SRC=\"wide.png?v=1.2\"></A>",
                                                "click Form4/CheckPage"}),
             qPrintable(app.error()));
    QCOMPARE(problems(app), QStringList({"wide.png?v=1.2 | Picture too wide"}));
    QVERIFY2(app.run({"select CheckPage/Findings wide.png?v=1.2", "click CheckPage/Fix",
                      "answer OK [info] Tarnwell made wide-web.jpg, 500 pixels wide, and uses it "
                      "here in the page in place of wide.png?v=1.2, which is kept as it is.",
                      "text Form4/Text1 <A HREF=\"wide.png\"><IMG SRC=\"wide-web.jpg\"></A>",
                      "text CheckPage/Findings No problems found |  |  | ",
                      "type Form4/Text1 <IMG SRC=\"later.png\"><IMG SRC=\"gone.png\">",
                      "click Form4/CheckPage"}),
             qPrintable(app.error()));
    QCOMPARE(problems(app),
             QStringList({"later.png | Not in your folder", "gone.png | Not in your folder"}));
    // Check again sees the file put into the folder meanwhile.
    QVERIFY(wide.save(folder.filePath("later.png")));
    QVERIFY2(app.run({"click CheckPage/Recheck"}), qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(
        problems(app),
        QStringList({"later.png | Picture too wide", "gone.png | Not in your folder"}),
        app.patience);
    QVERIFY2(app.run({"select CheckPage/Findings gone.png", "click CheckPage/Fix", "dialog"}),
             qPrintable(app.error()));
    QVERIFY(writeBytes(folder.filePath("gone.png"), "mine"));
    QVERIFY2(app.run({"file {E}/gone.png",
                      "answer OK [stop] Tarnwell could not mend gone.png: a file called gone.png "
                      "is in your session folder now. Tarnwell kept it and copied nothing."}),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(
        problems(app), QStringList({"later.png | Picture too wide", "gone.png | Not a picture"}),
        app.patience);
    QCOMPARE(readAll(folder.filePath("gone.png")), QByteArray("mine"));
    // A file that goes after the list was made is not mended blindly.
    QVERIFY2(app.run({"select CheckPage/Findings later.png", "enabled CheckPage/Fix"}),
             qPrintable(app.error()));
    QVERIFY(QFile::remove(folder.filePath("later.png")));
    QVERIFY2(app.run({"click CheckPage/Fix",
                      "answer OK [info] later.png has changed in the page or in your folder since "
                      "the list was made, so Tarnwell changed nothing. The list now shows what is "
                      "there."}),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(
        problems(app), QStringList({"later.png | Not in your folder", "gone.png | Not a picture"}),
        app.patience);
    QCOMPARE(folder.entryList(QDir::Files), QStringList({"gone.png", "wide-web.jpg", "wide.png"}));
    QCOMPARE(listing(parent.path(), true, "site"), beside);
    // The web copy is the picture made small; the picture itself is kept.
    QCOMPARE(QImageReader(folder.filePath("wide-web.jpg")).size(), QSize(500, 25));
    QCOMPARE(QImage(folder.filePath("wide.png")), wide);
}

QTEST_GUILESS_MAIN(TestCheckPage)
#include "tst_e2e_check_page.moc"

// Check page on a page typed by hand, and its Fix for each kind of mend.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTest>

using namespace tarnwell::e2e;

class TestCheckPage final : public QObject
{
    Q_OBJECT

private slots:
    void findAndFix();
};

void TestCheckPage::findAndFix()
{
    QTemporaryDir session, elsewhere;
    const QDir folder(session.path());
    for (const QString &path : {folder.filePath("Photo1.JPG"), folder.filePath("my photo.jpg"),
                                folder.filePath("good.png"), elsewhere.filePath("gone.png")})
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(path, "PNG"));
    QImage wide(800, 40, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    QVERIFY(wide.save(folder.filePath("wide.png")));

    Program app;
    app.vars["S"] = session.path();
    app.vars["E"] = elsewhere.path();
    // The file or name and the problem of each row.
    const auto problems = [&app] {
        QStringList rows;
        for (const QString &row : app.text("CheckPage/Findings").split(u'\n'))
            rows << row.section(" | ", 0, 1);
        return rows;
    };
    QVERIFY2(app.run(kToSelection +
                     QStringList{"type Form4/Text1 <IMG SRC=\"gone.jpg\">\n<IMG SRC=\"photo1.jpg\">"
                                 "<IMG SRC=\"my photo.jpg\"><IMG SRC=\"C:\\pics\\a.jpg\">"
                                 "<IMG SRC=\"good.png\">",
                                 "click Form4/CheckPage", "shown CheckPage"}),
             qPrintable(app.error()));
    QCOMPARE(problems(),
             QStringList({"gone.jpg | Not in your folder", "photo1.jpg | Capital letters differ",
                          "my photo.jpg | Space or odd character",
                          "C:\\pics\\a.jpg | Address on this computer"}));

    QVERIFY2(app.run({"select CheckPage/Findings photo1.jpg", "enabled CheckPage/Fix",
                      "select CheckPage/Findings my photo.jpg", "disabled CheckPage/Fix",
                      "select CheckPage/Findings photo1.jpg", "click CheckPage/Fix",
                      "disabled CheckPage/Fix", "select CheckPage/Findings gone.jpg",
                      "click CheckPage/Fix", "file {E}/gone.png"}),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(problems(),
                              QStringList({"my photo.jpg | Space or odd character",
                                           "C:\\pics\\a.jpg | Address on this computer"}),
                              app.patience);
    QCOMPARE(folder.entryList(QDir::Files),
             QStringList({"gone.jpg", "good.png", "my photo.jpg", "photo1.jpg", "wide.png"}));

    // The web copy goes into the page as an edit the Selection screen shows.
    QVERIFY2(app.run({"type Form4/Text1 <P>Hi</P>\n<IMG SRC=\"wide.png\">", "click Form4/CheckPage",
                      "select CheckPage/Findings wide.png", "click CheckPage/Fix",
                      "text Form4/Text1 <P>Hi</P>\n<IMG SRC=\"wide-web.jpg\">",
                      "text CheckPage/Findings No problems found |  |  | "}),
             qPrintable(app.error()));
    QImageReader copy(folder.filePath("wide-web.jpg"));
    QCOMPARE(copy.format(), QByteArray("jpeg"));
    QCOMPARE(copy.size(), QSize(500, 25));
    QCOMPARE(QImage(folder.filePath("wide.png")), wide);
}

QTEST_GUILESS_MAIN(TestCheckPage)
#include "tst_e2e_check_page.moc"

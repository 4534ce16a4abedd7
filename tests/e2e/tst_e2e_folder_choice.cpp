// The folder list as a beginner uses it: a folder clicked once, or reached
// with the arrow keys, is the one taken, and the line under the list says
// which it is; after a page is loaded, the list opens at the page's folder.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QTest>

using namespace tarnwell::e2e;

class TestFolderChoice final : public QObject
{
    Q_OBJECT

private slots:
    void highlighted_data();
    void highlighted();
    void loadThenUse();
};

void TestFolderChoice::highlighted_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("folder"); // the session folder, under home
    const QString line = QStringLiteral("text nonComdlg/PagesGoInto Your pages go into: ");
    QTest::newRow("existing folder, one click")
        << steps("click Form1/Command1; " + line + "{H}; select nonComdlg/Dir1 My web page; " +
                 line + "{H}/My web page; click nonComdlg/CmdUseFile; "
                        "text Form2/Label8 {H}/My web page")
        << "My web page";
    QTest::newRow("existing folder, arrow key")
        << steps("click Form1/Command1; tab nonComdlg/Dir1; key Down; " + line +
                 "{H}/My web page; key Down; " + line +
                 "{H}/other; key Up; click nonComdlg/CmdUseFile; "
                 "text Form2/Label8 {H}/My web page")
        << "My web page";
    QTest::newRow("a folder above, one click")
        << steps("click Form1/Command1; folder {H}/My web page; " + line +
                 "{H}/My web page; select nonComdlg/Dir1 {B}; " + line +
                 "{H}; click nonComdlg/CmdUseFile; text Form2/Label8 {H}")
        << "";
    QTest::newRow("new folder in one clicked once")
        << steps("click Form1/Command5; " + line + "a new folder in {H}, named below; " +
                 "select nonComdlg/Dir1 My web page; " + line +
                 "a new folder in {H}/My web page, named below; type nonComdlg/Text1 site; " +
                 line + "{H}/My web page/site; click nonComdlg/CmdUseFile; " + line +
                 "{H}/My web page/site; click nonComdlg/Command1; "
                 "text Form2/Label8 {H}/My web page/site")
        << "My web page/site";
}

// The walk on to the Selection screen and PREVIEW: the preview file lands
// in the folder chosen, and nowhere else.
void TestFolderChoice::highlighted()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, folder);
    QTemporaryDir home;
    const QDir place(home.path());
    QVERIFY(place.mkdir(QStringLiteral("My web page")));
    QVERIFY(place.mkdir(QStringLiteral("other")));
    Program app(home.path());
    app.vars = {{"H", home.path()}, {"B", place.dirName()}};
    E2E_RUN(app, steps + QStringList{"type Form2/Text1 My page", "type Form2/Text2 Welcome",
                                     "click Form2/Command1"} +
                     kNext + QStringList{"click Form4/Command3", "title Form27 My page"});
    const QString preview =
        folder.isEmpty() ? QStringLiteral("viewtmp.html") : folder + QStringLiteral("/viewtmp.html");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(place.filePath(preview)), app.patience);
    QStringList made;
    for (const QString &file : listing(home.path()))
        if (file.endsWith(QStringLiteral("viewtmp.html")))
            made.append(file);
    QCOMPARE(made, QStringList{preview});
}

// Load existing file, then Use at once: the page's own folder is the
// session folder; the line says so before Use is pressed.
void TestFolderChoice::loadThenUse()
{
    QTemporaryDir place;
    const QDir site(place.filePath(QStringLiteral("site")));
    QVERIFY(site.mkpath(QStringLiteral("pictures")));
    QVERIFY(writeBytes(site.filePath(QStringLiteral("page.html")),
                       "<HTML>\r\n<P>Hello</P>\r\n</BODY>\r\n</HTML>\r\n"));
    Program app;
    app.vars = {{"S", site.path()}, {"F", site.filePath(QStringLiteral("page.html"))}};
    E2E_RUN(app, steps(kLoad + "; click Form1/Command5; "
                               "text nonComdlg/PagesGoInto Your pages go into: a new folder in "
                               "{S}, named below; click nonComdlg/CmdCancelSetFileToNull; "
                               "click Form1/Command1; "
                               "text nonComdlg/PagesGoInto Your pages go into: {S}; "
                               "click nonComdlg/CmdUseFile; shown Form4; "
                               "text Form4/Label2 {S}; click Form4/Command3; " +
                       kSaveAsked + "; dialog-folder {S}; file {S}/page; " + kOverwrite));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(site.filePath(QStringLiteral("page.html"))),
                              QByteArray("<HTML>\r\n<P>Hello</P>\r\n\r\n</BODY>\r\n</HTML>\r\n\r\n"),
                              app.patience);
    QVERIFY(QFile::exists(site.filePath(QStringLiteral("viewtmp.html"))));
}

QTEST_GUILESS_MAIN(TestFolderChoice)
#include "tst_e2e_folder_choice.moc"

// Saving and loading page files through the real file dialogs.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QTest>

using namespace tarnwell::e2e;

class TestFiles final : public QObject
{
    Q_OBJECT

private slots:
    void saving();
    void loading_data();
    void loading();
};

void TestFiles::saving()
{
    QTemporaryDir session;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("c.html")), "earlier"));
    Program app;
    app.vars = {{"S", session.path()}};
    const QString save = QStringLiteral(
        "click Form4/Command10; answer OK [info] Make sure you save to your session folder.; ");
    const QString exists = QStringLiteral("This file already exists. Do you want to overwrite it?");
    QVERIFY2(app.run(kToSelection +
                     steps(save + "cancel; answer OK [info] You cancelled.; " + save +
                           "file {S}/a.htm; " + save + "file {S}/b.HTML; " + save +
                           "file {S}/c.html; answer No " + exists + "; " + save +
                           "file {S}/c; answer Yes " + exists + "; " + save +
                           "file {S}/missing/d.html; answer OK [stop] The page was not saved: *")),
             qPrintable(app.error()));
    const QByteArray page = savedPage(kPlainStart);
    for (const char *name : {"a.htm", "b.HTML.html", "c.html"})
        QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QLatin1String(name))), page,
                                  app.patience);
    QCOMPARE(QDir(session.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"a.htm", "b.HTML.html", "c.html"}));
}

void TestFiles::loading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("saved");
    // LF alone, UTF-8: kept as UTF-8 when saved again.
    QTest::newRow("another editor's file")
        << QByteArray("<HTML>\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\n</BODY>\n</HTML>\n")
        << QByteArray("<HTML>\r\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\r\n\r\n</BODY>"
                      "\r\n</HTML>\r\n\r\n");
    QTest::newRow("Windows-1252, lone CR")
        << QByteArray("<P>caf\xE9 \x80</P>\r<P>x</P>\r")
        << QByteArray("<P>caf\xE9 \x80</P>\r\n<P>x</P>\r\n\r\n</BODY>\r\n</HTML>\r\n\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray("\r\n</BODY>\r\n</HTML>\r\n\r\n");
}

// Loaded from the Start screen into a folder made for it, then saved again.
void TestFiles::loading()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, saved);
    QTemporaryDir place;
    QVERIFY(writeBytes(place.filePath(QStringLiteral("other.html")), file));
    Program app;
    app.vars = {{"S", place.path()}, {"F", place.filePath("other.html")}};
    QVERIFY2(app.run(steps(
                 "click Form1/Command6; click Form24/Command1; cancel; answer OK [info] You "
                 "cancelled file loading - continue.; hidden Form24; " +
                 kLoad +
                 "; click Form1/Command5; folder {S}; type nonComdlg/Text1 loaded; "
                 "click nonComdlg/CmdUseFile; click nonComdlg/Command1; shown Form4; shown Form1; "
                 "hidden Form4/Command2; text Form4/Label2 Folder for session is  {S}/loaded; "
                 "click Form4/Command10; answer OK [info] Make sure you save to your session "
                 "folder.; dialog-folder {S}/loaded; "
                 "file {S}/loaded/again")),
             qPrintable(app.error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(place.filePath(QStringLiteral("loaded/again.html"))), saved,
                              app.patience);
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_e2e_files.moc"

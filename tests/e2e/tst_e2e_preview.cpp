// PREVIEW and the Browser screen, on Qt WebEngine in the real program.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarnwell::e2e;

class TestPreview final : public QObject
{
    Q_OBJECT

private slots:
    void previewAndBrowse();
    void previewWithoutTheViewer();
};

void TestPreview::previewAndBrowse()
{
    QTemporaryDir session;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("other.html")),
                       "<HTML><HEAD><TITLE>Other</TITLE></HEAD><BODY>other</BODY></HTML>"));
    Program app;
    app.vars = {{"S", session.path()}};
    const QString edited =
        QStringLiteral("<HTML><HEAD><TITLE>Edited</TITLE></HEAD>\n<BODY>by hand");
    // A fresh screen for each PREVIEW shows the page as it now is.
    QVERIFY2(app.run(kToSelection +
                     steps("click Form4/Command3; title Form27 My page; disabled Form27/Back; "
                           "type Form4/Text1 " +
                           edited +
                           "; click Form4/Command3; title Form27 Edited; disabled Form27/Back; "
                           "type Form27/cboAddress file://{S}/other.html; key Return; "
                           "title Form27 Other; click Form27/Back; title Form27 Edited; "
                           "click Form27/Forward; title Form27 Other; click Form27/Home; "
                           "title Form27 Edited; close Form27; hidden Form27")),
             qPrintable(app.error()));
    QCOMPARE(readAll(session.filePath(QStringLiteral("viewtmp.html"))),
             edited.toLatin1().replace("\n", "\r\n") + "\r\n");
}

// A program whose preview module cannot be loaded says so.
void TestPreview::previewWithoutTheViewer()
{
    QTemporaryDir prefix;
    QTemporaryDir session;
    QDir root(prefix.path());
    QDir installed(installedFile(QString()));
    for (const QString folder : {"bin", "share/tarnwell"}) {
        QVERIFY(root.mkpath(folder));
        for (const QString &file : QDir(installed.filePath(folder)).entryList(QDir::Files))
            QVERIFY(QFile::copy(installed.filePath(folder + "/" + file),
                                root.filePath(folder + "/" + file)));
    }
    const QString module =
        QDir(installed.filePath(QStringLiteral("lib/tarnwell"))).entryList(QDir::Files).value(0);
    QVERIFY(root.mkpath(QStringLiteral("lib/tarnwell")));
    QVERIFY(writeBytes(root.filePath(QStringLiteral("lib/tarnwell/") + module), "not a library"));
    Program app({}, root.filePath(QStringLiteral("bin/tarnwell")));
    app.vars = {{"S", session.path()}};
    QVERIFY2(app.run(kToSelection + steps("click Form4/Command3; answer OK [stop] The preview "
                                          "could not be started: *; hidden Form27; shown Form4")),
             qPrintable(app.error()));
}

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_e2e_preview.moc"

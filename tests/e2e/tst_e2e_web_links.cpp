// A web site typed into the Text Link screen after its start text, as a
// beginner types it: Check page names it and its Fix writes https://; the
// preview then opens the site in the desktop's own browser.

#include "driver.h"
#include "walks.h"

#include <QFile>
#include <QTest>

using namespace tarnwell::e2e;

class TestWebLinks final : public QObject
{
    Q_OBJECT

private slots:
    void typedAfterTheStartText();
};

void TestWebLinks::typedAfterTheStartText()
{
    // The desktop's opener, xdg-open, is a script of ours that writes down
    // what it is asked to open.
    QTemporaryDir bin, session;
    const QString opened = bin.filePath(QStringLiteral("opened"));
    const QString opener = bin.filePath(QStringLiteral("xdg-open"));
    QVERIFY(writeBytes(opener, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" +
                                   QFile::encodeName(opened) + "'\n"));
    QVERIFY(QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner));
    Program app({}, {}, {{"PATH", bin.path() + ':' + qEnvironmentVariable("PATH")}});
    app.vars = {{"S", session.path()}};
    E2E_RUN(app,
            kToSelection +
                steps(kToLinks + "; click Form11/Command3; shown Form12; text Form12/Text1 .html; "
                                 "click Form12/Text1; keys www.example.org; "
                                 "text Form12/Text1 .htmlwww.example.org; "
                                 "type Form12/Text2 Example; click Form12/Command1; hidden Form12; "
                                 "click Form4/CheckPage; shown CheckPage"));
    // A classic page: the advice about phones stays after the Fix.
    const QString phones = QStringLiteral("This page | Not made for phones");
    QCOMPARE(findings(app),
             QStringList({".htmlwww.example.org | This looks like a web address without https://",
                          phones}));
    E2E_RUN(app, steps("select CheckPage/Findings .htmlwww.example.org; enabled CheckPage/Fix; "
                       "click CheckPage/Fix; answer OK [info] Tarnwell wrote "
                       "https://www.example.org in the page in place of .htmlwww.example.org."));
    QTRY_COMPARE_WITH_TIMEOUT(findings(app), QStringList{phones}, app.patience);
    E2E_RUN(app, steps("click CheckPage/Close"));
    QVERIFY(app.text(QStringLiteral("Form4/Text1"))
                .endsWith(QStringLiteral("\n<CENTER>\n<P></P><A HREF=\"https://www.example.org\">"
                                         "<B><FONT FACE=\"Times New Roman\" COLOR=\"#0000FF\" "
                                         "SIZE=\"2\">Example</B></FONT></A></CENTER>")));

    E2E_RUN(app, steps("click Form4/Command3; title Form27 My page; "
                       "clickpage Form27/brwWebBrowser document.links[0]"));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(opened), QByteArray("https://www.example.org/\n"),
                              app.patience);
    // The preview stays on the page.
    E2E_RUN(app, steps("page Form27/brwWebBrowser location.href.endsWith('/viewtmp.html'); "
                       "title Form27 My page"));
}

QTEST_GUILESS_MAIN(TestWebLinks)
#include "tst_e2e_web_links.moc"

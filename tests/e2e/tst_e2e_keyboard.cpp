// The worked example with the keyboard alone: Tab, Space, Enter, the arrow
// keys and typing, never the mouse.

#include "driver.h"
#include "support/worked_example.h"
#include "walks.h"

#include <QDir>
#include <QTest>

using namespace tarnwell::e2e;

class TestKeyboard final : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleByKeys();
};

void TestKeyboard::workedExampleByKeys()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("site")));
    Program app(home.path());
    app.vars = {{"H", home.path()}};
    // The folder list opens on the home folder, its subfolders below it; the
    // arrow keys choose within one group of options; Tab leaves the page field.
    QVERIFY2(app.run(steps(
                 "focus Form1/Command5; tab Form1/Command1; key Space; tab nonComdlg/Dir1; "
                 "key Down; key Return; tab nonComdlg/CmdUseFile; key Space; "
                 "text Form2/Label8 {H}/site; tab Form2/Text1; keys My page; key Tab; "
                 "focus Form2/Text2; keys Welcome; tab Form2/Option1; key Down; key Down; "
                 "key Up; checked Form2/Option2; checked Form2/Option4; tab Form2/Command1; "
                 "key Space; tab Form3/Command1; key Space; dialog; key Return; shown Form4; "
                 "tab Form4/Text1; key Tab; focus Form4/Command4; key Space; focus Form6/Text1; "
                 "keys Hello; tab Form6/Command1; key Space; dialog; key Return; hidden Form6; "
                 "tab Form4/Command10; key Space; dialog; key Return; dialog; "
                 "keys {H}/site/page; key Return")),
             qPrintable(app.error()));
    QByteArray expected = tarnwell::test::kWorkedExampleFile;
    expected.replace("<H1>", "<H2>").replace("</H1>", "</H2>");
    QTRY_COMPARE_WITH_TIMEOUT(readAll(home.filePath(QStringLiteral("site/page.html"))), expected,
                              app.patience);
}

QTEST_GUILESS_MAIN(TestKeyboard)
#include "tst_e2e_keyboard.moc"

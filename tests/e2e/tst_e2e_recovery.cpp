// A page in the making outlives the program's being killed: the next start
// offers it back. Ending or clearing the page by choice leaves nothing kept.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QTest>
#include <memory>

using namespace tarnwell::e2e;

namespace {
const QString kRecover = QStringLiteral(
    "answer %1 Tarnwell was closed before your page was saved. Recover the page you were "
    "making? (last kept *");
const QStringList kChooseFolder = steps(kFolderNext + "; " + kUseFolder + "; shown Form4");
const QByteArray kFont = "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">";

QStringList paragraph(const QString &text)
{
    return steps(
        "click Form4/Command4; type Form6/Text1 " + text +
        "; click Form6/Command1; answer Yes Did you check size, colour etc?; hidden Form6");
}

QDir keptFolder(const QString &home)
{
    return QDir(home + QStringLiteral("/.local/share/Tarnwell"), QStringLiteral("*.recovery"));
}

// Whether a kept page holds these bytes yet.
bool kept(const QString &home, const QByteArray &bytes)
{
    const QDir folder = keptFolder(home);
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (readAll(folder.filePath(name)).contains(bytes))
            return true;
    }
    return false;
}

std::unique_ptr<Program> start(const QString &home, const QString &session)
{
    auto app = std::make_unique<Program>(home);
    app->vars = {{"S", session}, {"F", session + "/big.html"}};
    return app;
}
} // namespace

class TestRecovery final : public QObject
{
    Q_OBJECT

private slots:
    void pageComesBackAfterKill_data();
    void pageComesBackAfterKill();
    void nothingKeptAfter_data();
    void nothingKeptAfter();
    void twoCopiesKeepOnePageEach();
};

void TestRecovery::pageComesBackAfterKill_data()
{
    QTest::addColumn<QByteArray>("file"); // {S}/big.html
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("last"); // in the kept page once it is all there
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("heading and two paragraphs")
        << QByteArray() << kToSelection + paragraph("Hello") + paragraph("Encore café")
        << QByteArray("Encore caf")
        << savedPage(kPlainStart + kFont + "Hello</FONT><P></P>" + kFont +
                     "Encore caf\xe9</FONT><P></P>");
    QByteArray big = "<HTML>\r\n<BODY>\r\n";
    for (int i = 0; big.size() < 10 << 20; ++i)
        big += "<P>Line " + QByteArray::number(i) + " of a long page, caf\xe9.</P>\r\n";
    big += "<P>The end.</P>\r\n";
    // Loaded, the page body ends in CR LF, so saving adds an empty line.
    QTest::newRow("10 MB page") << big + "</BODY>\r\n</HTML>\r\n\r\n"
                                << steps(kLoad) << QByteArray("The end.")
                                << big + "\r\n</BODY>\r\n</HTML>\r\n\r\n";
}

void TestRecovery::pageComesBackAfterKill()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, saved);
    QTemporaryDir home, session;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("big.html")), file));
    auto app = start(home.path(), session.path());
    QVERIFY2(app->run(steps), qPrintable(app->error()));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), last), app->patience);
    app->kill();

    app = start(home.path(), session.path());
    QVERIFY2(app->run(QStringList{kRecover.arg("Yes")} + kChooseFolder + kSave),
             qPrintable(app->error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(session.filePath(QStringLiteral("page.html"))), saved,
                              app->patience);
}

void TestRecovery::nothingKeptAfter_data()
{
    QTest::addColumn<QStringList>("ending");
    QTest::newRow("Exit Program") << steps(
        "click Form4/Command1; answer Yes Saved your file?; exit 0");
    QTest::newRow("QUIT") << steps("click Form1/Command2; exit 0");
    QTest::newRow("Clear the page (new)") << steps("click Form4/Command16; shown Form1");
}

void TestRecovery::nothingKeptAfter()
{
    QFETCH(QStringList, ending);
    QTemporaryDir home, session;
    auto app = start(home.path(), session.path());
    QVERIFY2(app->run(kToSelection + paragraph("Hello")), qPrintable(app->error()));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "Hello"), app->patience);
    QVERIFY2(app->run(ending), qPrintable(app->error()));
    // Locks too: nothing at all is left.
    QTRY_COMPARE_WITH_TIMEOUT(keptFolder(home.path()).entryList(QStringList(), QDir::Files),
                              QStringList(), app->patience);
}

// A copy that starts while another runs leaves that one's page alone; the
// next start reports a damaged file, then offers each page, oldest first:
// No removes it, Yes takes it back.
void TestRecovery::twoCopiesKeepOnePageEach()
{
    QTemporaryDir home, session;
    auto first = start(home.path(), session.path());
    QVERIFY2(first->run(kToSelection + paragraph("First")), qPrintable(first->error()));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "First"), first->patience);
    const QStringList firstFile = keptFolder(home.path()).entryList(QDir::Files);
    auto second = start(home.path(), session.path());
    QVERIFY2(second->run(kToSelection + paragraph("Second")), qPrintable(second->error()));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "Second"), second->patience);
    QStringList files = keptFolder(home.path()).entryList(QDir::Files);
    QCOMPARE(files.size(), 2);
    first->kill();
    second->kill();
    QVERIFY(writeBytes(keptFolder(home.path()).filePath("page-x.recovery"), "damaged"));

    auto third = start(home.path(), session.path());
    QVERIFY2(third->run(QStringList{"answer OK [stop] A page that Tarnwell kept could not be "
                                    "read. Its file is now " +
                                        keptFolder(home.path()).filePath("page-x.recovery*"),
                                    kRecover.arg("No"), kRecover.arg("Yes")} +
                        kChooseFolder),
             qPrintable(third->error()));
    const QString page = third->text(QStringLiteral("Form4/Text1"));
    QVERIFY2(page.contains("Second") && !page.contains("First"), qPrintable(page));
    files.removeOne(firstFile.value(0)); // No removed it
    QCOMPARE(keptFolder(home.path()).entryList(QDir::Files), files);
    const QStringList aside = keptFolder(home.path()).entryList({"*.unreadable-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(keptFolder(home.path()).filePath(aside.first())), QByteArray("damaged"));
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_e2e_recovery.moc"

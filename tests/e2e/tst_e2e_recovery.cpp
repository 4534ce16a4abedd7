// A page in the making outlives the program's being killed: the next start
// offers it back. Ending or clearing the page by choice leaves nothing kept.
// A data folder that takes nothing is said, and costs nothing saved. A load
// that fails leaves the page as it was.

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
const QString kOverwrite =
    QStringLiteral("answer Yes This file already exists. Do you want to overwrite it?");
const QString kCannotKeep =
    QStringLiteral("answer OK [warn] Tarnwell cannot keep a safety copy of your page: the folder "
                   "~/.local/share/Tarnwell is not a folder. Save your page often.");

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
    void nothingOfferedAtStart_data();
    void nothingOfferedAtStart();
    void unwritableDataFolder();
    void failedLoadKeepsPage_data();
    void failedLoadKeepsPage();
};

void TestRecovery::pageComesBackAfterKill_data()
{
    QTest::addColumn<QByteArray>("file"); // {S}/big.html
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("last"); // in the kept page once it is all there
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QStringList>("save"); // after recovery
    QTest::newRow("heading and two paragraphs")
        << QByteArray() << kToSelection + paragraph("Hello") + paragraph("Encore café")
        << QByteArray("Encore caf")
        << savedPage(kPlainStart + kFont + "Hello</FONT><P></P>" + kFont +
                     "Encore caf\xe9</FONT><P></P>")
        << kSave;
    QTest::newRow("saved, then changed")
        << QByteArray() << kToSelection + paragraph("Hello") + kSave + paragraph("Later")
        << QByteArray("Later")
        << savedPage(kPlainStart + kFont + "Hello</FONT><P></P>" + kFont + "Later</FONT><P></P>")
        << kSave + QStringList{kOverwrite};
    // Pasted whole, each paste longer than a piece the keeper follows the
    // text in, one paste undone and pasted again.
    QByteArray lines;
    for (int i = 0; lines.size() < 40000; ++i)
        lines += "<P>Line " + QByteArray::number(i) + ", caf\xe9.</P>\r\n";
    const QByteArray thrice = lines.repeated(3);
    QTest::newRow("40000 characters pasted")
        << lines + "</BODY>\r\n</HTML>\r\n"
        << steps(kLoad + "; " + kUseFolder +
                 "; shown Form4; click Form4/Text1; key Ctrl+A; key Ctrl+C; key Ctrl+End; "
                 "key Ctrl+V; key Ctrl+V; key Ctrl+Z; key Ctrl+V")
        << QString::fromLatin1(thrice).toUtf8() << thrice + "\r\n</BODY>\r\n</HTML>\r\n\r\n"
        << kSave;
    QByteArray big = "<HTML>\r\n<BODY>\r\n";
    for (int i = 0; big.size() < 10 << 20; ++i)
        big += "<P>Line " + QByteArray::number(i) + " of a long page, caf\xe9.</P>\r\n";
    big += "<P>The end.</P>\r\n";
    // Loaded, the page body ends in CR LF, so saving adds an empty line.
    QTest::newRow("10 MB page") << big + "</BODY>\r\n</HTML>\r\n\r\n"
                                << steps(kLoad) << QByteArray("The end.")
                                << big + "\r\n</BODY>\r\n</HTML>\r\n\r\n"
                                << kSave;
}

void TestRecovery::pageComesBackAfterKill()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, last);
    QFETCH(QByteArray, saved);
    QFETCH(QStringList, save);
    QTemporaryDir home, session;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("big.html")), file));
    auto app = start(home.path(), session.path());
    QVERIFY2(app->run(steps), qPrintable(app->error()));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), last), app->patience);
    app->kill();

    app = start(home.path(), session.path());
    QVERIFY2(app->run(QStringList{kRecover.arg("Yes")} + kChooseFolder + save),
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

// What the next start must not offer: a page saved before the kill, a page
// kept by a later version of the program (left exactly as it is).
void TestRecovery::nothingOfferedAtStart_data()
{
    QTest::addColumn<QStringList>("before"); // then the program is killed
    QTest::addColumn<QByteArray>("file");    // a kept page of a later version
    QTest::newRow("saved") << kToSelection + paragraph("Hello") + kSave << QByteArray();
    QTest::newRow("kept by a later version")
        << QStringList() << QByteArray("Tarnwell kept page 2\ndigest=0\n\nHello");
}

void TestRecovery::nothingOfferedAtStart()
{
    QFETCH(QStringList, before);
    QFETCH(QByteArray, file);
    QTemporaryDir home, session;
    const QString newer = keptFolder(home.path()).filePath(QStringLiteral("page-new.recovery"));
    if (!file.isEmpty()) {
        QVERIFY(keptFolder(home.path()).mkpath(QStringLiteral(".")));
        QVERIFY(writeBytes(newer, file));
    }
    auto app = start(home.path(), session.path());
    if (!before.isEmpty()) {
        QVERIFY2(app->run(before), qPrintable(app->error()));
        QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "\nsaved=1\n"), app->patience);
        app->kill();
        app = start(home.path(), session.path());
    }
    // A question left open would stop the folder list.
    QVERIFY2(app->run(kToSelection), qPrintable(app->error()));
    QVERIFY(!app->text(QStringLiteral("Form4/Text1")).contains("Hello"));
    const QStringList left = keptFolder(home.path()).entryList(QDir::Files);
    if (file.isEmpty()) {
        QCOMPARE(left, QStringList());
    } else {
        QCOMPARE(left, QStringList{QStringLiteral("page-new.recovery")});
        QCOMPARE(readAll(newer), file);
    }
}

// A file where the data folder should be: said once, with nothing saved
// lost; said again once the folder worked for a while and then did not.
void TestRecovery::unwritableDataFolder()
{
    QTemporaryDir home, session;
    const QString data = keptFolder(home.path()).path();
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral(".local/share")));
    QVERIFY(writeBytes(data, "not a folder"));
    auto app = start(home.path(), session.path());
    QVERIFY2(app->run(kToBackground + QStringList{kNext.first()}), qPrintable(app->error()));
    // The first keep fails while the message after Next is open; its warning
    // waits for that message to be answered, and never stands on top of it.
    QTest::qWait(3000);
    QVERIFY2(app->run(kNext.mid(1) + QStringList{kCannotKeep} + paragraph("Hello") + kSave +
                      paragraph("More")),
             qPrintable(app->error()));
    const QString page = session.filePath(QStringLiteral("page.html"));
    const QByteArray saved = savedPage(kPlainStart + kFont + "Hello</FONT><P></P>");
    QCOMPARE(readAll(page), saved);

    QVERIFY(QFile::remove(data));
    QVERIFY2(app->run(paragraph("Kept")), qPrintable(app->error()));
    QTRY_VERIFY_WITH_TIMEOUT(kept(home.path(), "Kept"), app->patience);
    QVERIFY(QDir(data).removeRecursively());
    QVERIFY(writeBytes(data, "not a folder"));
    QVERIFY2(app->run(paragraph("Again") + QStringList{kCannotKeep}), qPrintable(app->error()));
    QCOMPARE(readAll(page), saved);
    QVERIFY2(app->run(kSave + QStringList{kOverwrite}), qPrintable(app->error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(page),
                              savedPage(kPlainStart + kFont + "Hello</FONT><P></P>" + kFont +
                                        "More</FONT><P></P>" + kFont + "Kept</FONT><P></P>" +
                                        kFont + "Again</FONT><P></P>"),
                              app->patience);
    QCOMPARE(readAll(data), QByteArray("not a folder"));
}

// Files the file dialog lets through but that cannot be read as a page.
void TestRecovery::failedLoadKeepsPage_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("named pipe") << "pipe.html";
    QTest::newRow("link to a named pipe") << "to-pipe.html";
}

void TestRecovery::failedLoadKeepsPage()
{
    QFETCH(QString, name);
    QTemporaryDir home, session;
    const QDir folder(session.path());
    QVERIFY(makePipe(folder.filePath("pipe.html")));
    QVERIFY(QFile::link("pipe.html", folder.filePath("to-pipe.html")));
    auto app = start(home.path(), session.path());
    app->vars["F"] = folder.filePath(name);
    QVERIFY2(app->run(kToSelection + paragraph("Hello") +
                      steps("click Form4/Command17; click Form24/Command1; file {F}; "
                            "answer OK [stop] The file could not be read: it is not an ordinary "
                            "file; hidden Form24; shown Form4") +
                      kSave),
             qPrintable(app->error()));
    QTRY_COMPARE_WITH_TIMEOUT(readAll(folder.filePath("page.html")),
                              savedPage(kPlainStart + kFont + "Hello</FONT><P></P>"),
                              app->patience);
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_e2e_recovery.moc"

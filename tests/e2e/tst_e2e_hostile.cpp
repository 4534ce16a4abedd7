// Hostile surroundings: a session folder that turns read-only, and a 200 MB
// page.

#include "driver.h"
#include "support/mount.h"
#include "walks.h"

#include <QDir>
#include <QTest>

using namespace tarnwell::e2e;
using tarnwell::test::Mount;

class TestHostile final : public QObject
{
    Q_OBJECT

private slots:
    void sessionFolderMadeReadOnly();
    void pageOf200Megabytes();

private:
    QTemporaryDir m_place;
};

// A picture that cannot be copied goes in by name without a word; a copy
// for the web that cannot be written, saving and making a folder there say
// that they failed.
void TestHostile::sessionFolderMadeReadOnly()
{
    const QString locked = m_place.filePath(QStringLiteral("locked"));
    Mount mount(locked);
    REQUIRE_MOUNT(mount.mount(QStringLiteral("size=1m")));
    QVERIFY(writeBytes(m_place.filePath(QStringLiteral("photo.gif")), "GIF89a"));
    QVERIFY(writePictureFile(m_place.filePath(QStringLiteral("Wide Photo.png")), 600, 10,
                             Qt::darkGreen));
    Program app;
    app.vars = {{"S", locked}, {"P", m_place.path()}};
    E2E_RUN(app, kToSelection);
    QVERIFY(mount.remount(QStringLiteral("ro")));
    E2E_RUN(app, steps("click Form4/Command5; click Form9/Command1; file {P}/photo.gif; "
                       "text Form9/Text1 photo.gif; click Form9/Command2; answer Yes Did you "
                       "check CENTERED or LEFT?; "
                       "hidden Form9; click Form4/Command5; click Form9/Command1; "
                       "file {P}/Wide Photo.png; answer Yes This photo is 600 \u00D7 10 pixels "
                       "and 0.0 MB, too big for a web page. Use a copy made for the web?; "
                       "answer OK [stop] Tarnwell could not make a copy for the web: Read-only "
                       "file system. The photo goes in as it is.; "
                       "text Form9/Text1 wide-photo.png; click Form9/Command2; answer Yes Did "
                       "you check CENTERED or LEFT?; "
                       "hidden Form9; click Form4/Command10; answer OK [info] Make sure you "
                       "save to your session folder.; file {S}/page; "
                       "answer OK [stop] The page was not saved: Read-only file system; "
                       "click Form4/Command16; answer Don't_Save " +
                       kUnsavedBefore.arg("Tarnwell clears the page") + "; "
                       "click Form1/Command5; folder {S}; "
                       "type nonComdlg/Text1 inner; click nonComdlg/CmdUseFile; answer OK "
                       "[info] Directory already exists! Type another name or click Cancel"));
    QVERIFY(QDir(locked).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

void TestHostile::pageOf200Megabytes()
{
    const QString huge = m_place.filePath(QStringLiteral("huge.html"));
    {
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block("<P>A very long page, caf\xE9.</P>\r\n");
        while (file.size() < 200LL * 1024 * 1024)
            QVERIFY(file.write(block.repeated(100000)) == block.size() * 100000);
    }
    QTemporaryDir session;
    Program app;
    app.vars = {{"S", session.path()}, {"F", huge}};
    app.patience = 600000; // the field lays out 200 MB of text
    E2E_RUN(app, steps(kLoad + "; " + kUseFolder) + kSave);
    const QString saved = session.filePath(QStringLiteral("page.html"));
    const qint64 expected = QFileInfo(huge).size() + 22; // and the closing lines
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(saved).size(), expected, 600000);
    QFile copy(saved);
    QVERIFY(copy.open(QIODevice::ReadOnly) && copy.seek(expected - 64));
    const QByteArray line("<P>A very long page, caf\xE9.</P>\r\n");
    QCOMPARE(copy.readAll(), (line + line + "\r\n</BODY>\r\n</HTML>\r\n\r\n").right(64));
    QVERIFY(QFile::remove(huge));
}

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_e2e_hostile.moc"

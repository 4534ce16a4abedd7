#include "document/files.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using tarnwell::test::ownPermissions;
using tarnwell::test::readAll;
using tarnwell::test::writeBytes;


class TestFiles final : public QObject
{
    Q_OBJECT

private slots:
    void bareNames();
    void pageExtensions();
    void copyLeavesTheUsersFileAlone();
    void copyNeverOverwrites();
};

void TestFiles::bareNames()
{
    QCOMPARE(bareFileName(QStringLiteral("/home/ann/pics/Stone.JPG")), QStringLiteral("Stone.JPG"));
    QCOMPARE(bareFileName(QStringLiteral("/pics/a.b")), QStringLiteral("a.b"));
    QCOMPARE(bareFileName(QStringLiteral("/pics/my photo \u0436.gif")),
             QStringLiteral("my photo \u0436.gif"));
    QCOMPARE(bareFileName(QStringLiteral("plain.gif")), QStringLiteral("plain.gif"));
}

void TestFiles::pageExtensions()
{
    QCOMPARE(withPageExtension(QStringLiteral("page")), QStringLiteral("page.html"));
    QCOMPARE(withPageExtension(QStringLiteral("page.htm")), QStringLiteral("page.htm"));
    QCOMPARE(withPageExtension(QStringLiteral("page.html")), QStringLiteral("page.html"));
    QCOMPARE(withPageExtension(QStringLiteral("page.HTML")), QStringLiteral("page.HTML.html"));
    QCOMPARE(withPageExtension(QStringLiteral("page.HTM")), QStringLiteral("page.HTM.html"));
}

void TestFiles::copyLeavesTheUsersFileAlone()
{
    QTemporaryDir mine;
    QTemporaryDir session;
    const QString source = mine.filePath(QStringLiteral("stone.jpg"));
    QVERIFY(writeBytes(source, "picture bytes"));
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner;
    QVERIFY(QFile::setPermissions(source, readOnly));

    const QString target = session.filePath(QStringLiteral("stone.jpg"));
    QCOMPARE(copyIntoFolder(source, target), CopyResult::Copied);
    QCOMPARE(readAll(target), QByteArray("picture bytes"));
    QVERIFY(QFile::permissions(target) & QFileDevice::WriteOwner);
    QCOMPARE(ownPermissions(source), readOnly);

    QCOMPARE(copyIntoFolder(target, target), CopyResult::SameFile);
    QCOMPARE(copyIntoFolder(mine.filePath(QStringLiteral("gone.jpg")),
                            session.filePath(QStringLiteral("gone.jpg"))),
             CopyResult::Failed);
    QCOMPARE(copyIntoFolder(source, session.filePath(QStringLiteral("deleted/stone.jpg"))),
             CopyResult::Failed);
}

void TestFiles::copyNeverOverwrites()
{
    QTemporaryDir mine;
    QTemporaryDir session;
    const QString source = mine.filePath(QStringLiteral("a.gif"));
    QVERIFY(writeBytes(source, "new"));
    QVERIFY(writeBytes(session.filePath(QStringLiteral("a.gif")), "kept"));
    QCOMPARE(copyIntoFolder(source, session.filePath(QStringLiteral("a.gif"))),
             CopyResult::AlreadyThere);
    QCOMPARE(readAll(session.filePath(QStringLiteral("a.gif"))), QByteArray("kept"));

    // A hidden file of that name is kept as well.
    QVERIFY(writeBytes(mine.filePath(QStringLiteral(".b.gif")), "new"));
    QVERIFY(writeBytes(session.filePath(QStringLiteral(".b.gif")), "hidden"));
    QCOMPARE(copyIntoFolder(mine.filePath(QStringLiteral(".b.gif")),
                            session.filePath(QStringLiteral(".b.gif"))),
             CopyResult::AlreadyThere);
    QCOMPARE(readAll(session.filePath(QStringLiteral(".b.gif"))), QByteArray("hidden"));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"

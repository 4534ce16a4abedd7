// The page kept exactly as edited, and what a start makes of the file that
// keeps it: the page offered back as it was, a saved page's file removed, a
// damaged file put aside untouched.

#include "document/recovery.h"
#include "document/session.h"
#include "support/files.h"

#include <QDir>
#include <QPlainTextDocumentLayout>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace tarnwell;
using tarnwell::test::readAll;
using tarnwell::test::writeBytes;

namespace {
const QString kFolder = QStringLiteral("/home/\u03a9mega/a=b\nc %41");

KeptPage page(const QString &body, bool saved = false)
{
    const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9, 10), Qt::UTC);
    return {body, kFolder, kFolder + "/out", PageEncoding::Utf8WithBom, saved, when};
}
} // namespace

class TestRecovery final : public QObject
{
    Q_OBJECT

private slots:
    void keptAsEdited_data();
    void keptAsEdited();
    void fileFoundAtStart_data();
    void fileFoundAtStart();
};

// An edit by hand, then the page kept at once.
void TestRecovery::keptAsEdited_data()
{
    QTest::addColumn<int>("at");     // -1: the end
    QTest::addColumn<int>("remove"); // -1: all that follows
    QTest::addColumn<QString>("insert");
    QTest::addColumn<bool>("undo");
    QTest::newRow("typed in a line") << 10 << 0 << QStringLiteral("x") << false;
    QTest::newRow("line broken") << 10 << 0 << QStringLiteral("\n") << false;
    QTest::newRow("lines joined") << 6 << 3 << QString() << false;
    QTest::newRow("across lines") << 3 << 20 << QStringLiteral("a\r\nb\u2028c") << false;
    QTest::newRow("appended") << -1 << 0 << QStringLiteral("\r\n<BR>") << false;
    QTest::newRow("all replaced") << 0 << -1 << QStringLiteral("new\npage") << false;
    QTest::newRow("undone") << 4 << 12 << QStringLiteral("\n\n") << true;
}

void TestRecovery::keptAsEdited()
{
    QFETCH(int, at);
    QFETCH(int, remove);
    QFETCH(QString, insert);
    QFETCH(bool, undo);
    QTemporaryDir folder;
    Session session;
    session.keepPageIn(folder.path());
    // As in the Selection screen's field, which reports each change.
    session.page().document()->setDocumentLayout(
        new QPlainTextDocumentLayout(session.page().document()));
    session.beginPage(QStringLiteral("<HTML>\r\n<BODY>\r\nline one\r\n\r\nline two\r\n"));
    QTextCursor cursor(session.page().document());
    cursor.movePosition(at < 0 ? QTextCursor::End : QTextCursor::Start);
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, qMax(at, 0));
    if (remove < 0)
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, qMax(remove, 0));
    cursor.insertText(insert);
    if (undo)
        session.page().document()->undo();

    QSignalSpy written(session.pageKeeper(), &PageKeeper::written);
    session.pageKeeper()->keepNow();
    QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 30000);
    const QStringList files = QDir(folder.path()).entryList({QStringLiteral("*.recovery")});
    const std::optional<KeptPage> kept = readKeptPage(readAll(folder.filePath(files.value(0))));
    QVERIFY(kept);
    QCOMPARE(kept->body, session.page().text());
}

void TestRecovery::fileFoundAtStart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("offered"); // null: none
    QTest::addColumn<bool>("damaged");
    const QString bodies[] = {QStringLiteral("<P>\r\n\r\nkept=1\n\nsaved=1\r\n"),
                              QString::fromUtf16(u"a\0b\rc\nd\r", 8),
                              QStringLiteral("\u0395\u03bb \u65e5\u672c \U0001F600 caf\u00e9"),
                              QString(32767, QLatin1Char('a')) + QStringLiteral("\U0001F600") +
                                  QString(32767, QChar(0x65e5))};
    for (const QString &body : bodies)
        QTest::addRow("body %d", int(&body - bodies)) << keptPageBytes(page(body)) << body << false;
    QTest::newRow("saved") << keptPageBytes(page(QStringLiteral("x"), true)) << QString() << false;
    const QByteArray good = keptPageBytes(page(QStringLiteral("Hello")));
    QByteArray bodyByte = good, headByte = good;
    bodyByte[bodyByte.size() - 2] = 'X';
    headByte[headByte.indexOf("saved=0") + 6] = '1';
    QTest::newRow("empty") << QByteArray() << QString() << true;
    QTest::newRow("last byte cut off") << good.chopped(1) << QString() << true;
    QTest::newRow("cut in the head") << good.left(60) << QString() << true;
    QTest::newRow("a byte of the body changed") << bodyByte << QString() << true;
    QTest::newRow("a byte of the head changed") << headByte << QString() << true;
    QTest::newRow("a page file") << QByteArray("<HTML>\r\n</HTML>\r\n") << QString() << true;
}

void TestRecovery::fileFoundAtStart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, offered);
    QFETCH(bool, damaged);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page-a.recovery"));
    QVERIFY(writeBytes(path, bytes));
    Session session;
    session.keepPageIn(folder.path());
    const LeftPages found = session.pageKeeper()->leftPages();
    QCOMPARE(found.pages.size(), size_t(!offered.isNull()));
    if (!offered.isNull()) {
        QCOMPARE(found.pages.front().page.body, offered);
        // And every other field as it was.
        QCOMPARE(keptPageBytes(found.pages.front().page), keptPageBytes(page(offered)));
    }
    QCOMPARE(QFile::exists(path), !offered.isNull());
    QCOMPARE(found.unreadable.size(), qsizetype(damaged));
    QVERIFY(!damaged || readAll(found.unreadable.value(0)) == bytes);
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"

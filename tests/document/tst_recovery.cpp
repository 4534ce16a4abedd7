// The page kept exactly as edited, and what a start makes of the file that
// keeps it: the page offered back as it was, a saved page's file removed, a
// damaged file put aside untouched, a newer program's file left alone. A
// folder that cannot take the file is said once, and again after it worked.

#include "document/recovery.h"
#include "document/session.h"
#include "support/files.h"
#include "support/mount.h"

#include <QDir>
#include <QPlainTextDocumentLayout>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>
#include <tuple>

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
    void specialFileFoundAtStart_data();
    void specialFileFoundAtStart();
    void unwritableFolderSaidOnce_data();
    void unwritableFolderSaidOnce();
};

// An edit by hand, then the page kept at once.
void TestRecovery::keptAsEdited_data()
{
    QTest::addColumn<int>("at");     // -1: the end
    QTest::addColumn<int>("remove"); // -1: all that follows
    QTest::addColumn<QString>("insert");
    QTest::addColumn<bool>("undo");
    QTest::addColumn<QString>("pasted"); // at 10, before the edit
    QTest::addColumn<QString>("start");  // null: a short page
    QTest::newRow("typed in a line")
        << 10 << 0 << QStringLiteral("x") << false << QString() << QString();
    QTest::newRow("line broken") << 10 << 0 << QStringLiteral("\n") << false << QString()
                                 << QString();
    QTest::newRow("lines joined") << 6 << 3 << QString() << false << QString() << QString();
    QTest::newRow("across lines") << 3 << 20 << QStringLiteral("a\r\nb\u2028c") << false
                                  << QString() << QString();
    QTest::newRow("appended") << -1 << 0 << QStringLiteral("\r\n<BR>") << false << QString()
                              << QString();
    QTest::newRow("all replaced") << 0 << -1 << QStringLiteral("new\npage") << false << QString()
                                  << QString();
    QTest::newRow("undone") << 4 << 12 << QStringLiteral("\n\n") << true << QString() << QString();
    // Longer than a piece of the copy the keeper follows, and across pieces.
    QString long40k;
    for (int i = 0; long40k.size() < 40000; ++i)
        long40k += QStringLiteral("<P>%1 caf\u00e9 \U0001F600</P>\n").arg(i);
    QTest::newRow("40000 characters replace a few")
        << 3 << 20 << long40k << false << QString() << QString();
    QTest::newRow("all replaced by 40000") << 0 << -1 << long40k << false << QString() << QString();
    QTest::newRow("40000 replace 40000 across pieces")
        << 30000 << 40000 << long40k.right(40001) << false << long40k + long40k + long40k
        << QString();
    QTest::newRow("a break at a piece's end")
        << 32768 << 1 << QStringLiteral("\n") << false << long40k << QString();
    // Edits at the ends of pieces, on a page begun in whole pieces.
    QString lines;
    while (lines.size() < 3 * 32768)
        lines += QStringLiteral("<P>A line of the page</P>\n");
    const std::tuple<const char *, int, int, QString> atEnds[] = {
        {"typed at a piece's end", 32768, 0, QStringLiteral("x")},
        {"typed before a piece's end", 32767, 0, QStringLiteral("x")},
        {"deleted across a piece's end", 32767, 2, QString()},
        {"a piece's last character replaced", 32767, 1, QStringLiteral("y\nz")},
        {"a whole piece removed", 32768, 32768, QString()},
        {"a piece and a bit replaced", 32767, 32770, QStringLiteral("q")},
    };
    for (const auto &[name, at, remove, insert] : atEnds)
        QTest::newRow(name) << at << remove << insert << false << QString() << lines;
    QTest::newRow("40000 pasted, undone") << 0 << -1 << long40k << true << long40k << QString();
}

void TestRecovery::keptAsEdited()
{
    QFETCH(int, at);
    QFETCH(int, remove);
    QFETCH(QString, insert);
    QFETCH(bool, undo);
    QFETCH(QString, pasted);
    QFETCH(QString, start);
    QTemporaryDir folder;
    Session session;
    session.keepPageIn(folder.path());
    // As in the Selection screen's field, which reports each change.
    session.page().document()->setDocumentLayout(
        new QPlainTextDocumentLayout(session.page().document()));
    session.beginPage(start.isNull()
                          ? QStringLiteral("<HTML>\r\n<BODY>\r\nline one\r\n\r\nline two\r\n")
                          : start);
    QTextCursor cursor(session.page().document());
    cursor.setPosition(10);
    cursor.insertText(pasted);
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

// What a start does with the file.
enum class Found { Offered, Removed, PutAside, Left };
Q_DECLARE_METATYPE(Found)

void TestRecovery::fileFoundAtStart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("offered"); // null: none
    QTest::addColumn<Found>("found");
    const QString bodies[] = {QStringLiteral("<P>\r\n\r\nkept=1\n\nsaved=1\r\n"),
                              QString::fromUtf16(u"a\0b\rc\nd\r", 8),
                              QStringLiteral("\u0395\u03bb \u65e5\u672c \U0001F600 caf\u00e9"),
                              QString(32767, QLatin1Char('a')) + QStringLiteral("\U0001F600") +
                                  QString(32767, QChar(0x65e5))};
    for (const QString &body : bodies)
        QTest::addRow("body %d", int(&body - bodies))
            << keptPageBytes(page(body)) << body << Found::Offered;
    QTest::newRow("saved") << keptPageBytes(page(QStringLiteral("x"), true)) << QString()
                           << Found::Removed;
    const QByteArray good = keptPageBytes(page(QStringLiteral("Hello")));
    QByteArray bodyByte = good, headByte = good;
    bodyByte[bodyByte.size() - 2] = 'X';
    headByte[headByte.indexOf("saved=0") + 6] = '1';
    QTest::newRow("empty") << QByteArray() << QString() << Found::PutAside;
    QTest::newRow("last byte cut off") << good.chopped(1) << QString() << Found::PutAside;
    QTest::newRow("cut in the head") << good.left(60) << QString() << Found::PutAside;
    QTest::newRow("a byte of the body changed") << bodyByte << QString() << Found::PutAside;
    QTest::newRow("a byte of the head changed") << headByte << QString() << Found::PutAside;
    QTest::newRow("a page file") << QByteArray("<HTML>\r\n</HTML>\r\n") << QString()
                                 << Found::PutAside;
    // A later version's page: not ours to read, judge or move.
    const QByteArray rest = good.mid(good.indexOf('\n'));
    QTest::newRow("format 2") << "Tarnwell kept page 2" + rest << QString() << Found::Left;
    QTest::newRow("format 10, another layout")
        << QByteArray("Tarnwell kept page 10\nsomething else entirely") << QString() << Found::Left;
    QTest::newRow("format beyond any number")
        << "Tarnwell kept page 99999999999999999999" + rest << QString() << Found::Left;
    QTest::newRow("format 0") << "Tarnwell kept page 0" + rest << QString() << Found::PutAside;
    QTest::newRow("format 2 with more")
        << "Tarnwell kept page 2b" + rest << QString() << Found::PutAside;
    QTest::newRow("format +2") << "Tarnwell kept page +2" + rest << QString() << Found::PutAside;
    QTest::newRow("format 2, no line end")
        << QByteArray("Tarnwell kept page 2") << QString() << Found::PutAside;
}

void TestRecovery::fileFoundAtStart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, offered);
    QFETCH(Found, found);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page-a.recovery"));
    QVERIFY(writeBytes(path, bytes));
    Session session;
    session.keepPageIn(folder.path());
    const LeftPages left = session.pageKeeper()->leftPages();
    QCOMPARE(left.pages.size(), size_t(found == Found::Offered));
    if (found == Found::Offered) {
        QCOMPARE(left.pages.front().page.body, offered);
        // And every other field as it was.
        QCOMPARE(keptPageBytes(left.pages.front().page), keptPageBytes(page(offered)));
    }
    QCOMPARE(left.unreadable.size(), qsizetype(found == Found::PutAside));
    QVERIFY(found != Found::PutAside || readAll(left.unreadable.value(0)) == bytes);
    const QStringList stays = found == Found::Offered || found == Found::Left
                                  ? QStringList{QStringLiteral("page-a.recovery")}
                                  : QStringList();
    QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("*.recovery")}, QDir::Files), stays);
    QVERIFY(found != Found::Left || readAll(path) == bytes);
}

// A start neither waits on a named pipe nor reads a device without end. What
// is listed as a file but is none is reported and put aside like a damaged
// file; the rest is not looked at.
void TestRecovery::specialFileFoundAtStart_data()
{
    QTest::addColumn<QString>("target"); // of page-a.recovery, a link; null: a pipe
    QTest::addColumn<bool>("putAside");
    QTest::newRow("named pipe") << QString() << false;
    QTest::newRow("link to a named pipe") << "pipe" << true;
    QTest::newRow("link to a device") << "/dev/zero" << true;
    QTest::newRow("link to a folder") << "." << false;
}

void TestRecovery::specialFileFoundAtStart()
{
    QFETCH(QString, target);
    QFETCH(bool, putAside);
    QTemporaryDir folder;
    const QDir place(folder.path());
    const QString path = place.filePath(QStringLiteral("page-a.recovery"));
    QVERIFY(test::makePipe(target.isNull() ? path : place.filePath("pipe")));
    QVERIFY(target.isNull() || QFile::link(target, path));
    Session session;
    session.keepPageIn(folder.path());
    const LeftPages left = session.pageKeeper()->leftPages();
    QCOMPARE(left.pages.size(), size_t(0));
    QCOMPARE(left.unreadable.size(), qsizetype(putAside));
    QCOMPARE(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), !putAside);
}

// How the data folder is spoiled: a file in its place or above it, or a
// small file system of its own, full or read-only, real even for root.
enum class Spoil { FileInPlace, FileAbove, Full, ReadOnly };
Q_DECLARE_METATYPE(Spoil)

// The data folder spoiled, mended and spoiled again: one message each time
// it is spoiled, however many writes fail meanwhile, and nothing kept lost.
void TestRecovery::unwritableFolderSaidOnce_data()
{
    QTest::addColumn<Spoil>("spoil");
    QTest::addColumn<QString>("folder"); // where pages are kept, under {T}
    QTest::addColumn<QString>("reason");
    QTest::newRow("a file in its place") << Spoil::FileInPlace << "Tarnwell"
                                         << "the folder {T}/Tarnwell is not a folder";
    QTest::newRow("a file above it") << Spoil::FileAbove << "share/Tarnwell"
                                     << "the folder {T}/share/Tarnwell cannot be made";
    QTest::newRow("disk full") << Spoil::Full << "disk/Tarnwell"
                               << "no space left on device";
    QTest::newRow("read-only") << Spoil::ReadOnly << "Tarnwell"
                               << "read-only file system";
}

void TestRecovery::unwritableFolderSaidOnce()
{
    QFETCH(Spoil, spoil);
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QTemporaryDir top;
    const QDir place(top.path());
    reason.replace(QStringLiteral("{T}"), QDir::cleanPath(top.path()));
    const QString kept = place.filePath(folder);
    const QString spoiler = place.filePath(folder.section(QLatin1Char('/'), 0, 0));
    const QString filler = place.filePath(QStringLiteral("disk/filler"));
    const bool mounts = spoil == Spoil::Full || spoil == Spoil::ReadOnly;
    if (mounts && geteuid() != 0)
        QSKIP("mounting a file system needs root");
    test::Mount disk(place.filePath(QStringLiteral("disk"))), over(kept);
    QVERIFY(spoil != Spoil::Full || disk.mount(QStringLiteral("size=64k")));
    QVERIFY(!mounts || place.mkpath(folder));
    // Each, true when done.
    const auto spoilIt = [&] {
        if (spoil == Spoil::ReadOnly) // over files the keeper may hold open
            return over.mount(QStringLiteral("ro,size=64k"));
        if (spoil == Spoil::Full) {
            QFile file(filler);
            while (file.isOpen() || file.open(QIODevice::WriteOnly)) {
                if (file.write(QByteArray(4096, 'x')) != 4096 || !file.flush())
                    return true;
            }
            return false;
        }
        return QDir(spoiler).removeRecursively() && writeBytes(spoiler, "not a folder");
    };
    const auto mend = [&] {
        return spoil == Spoil::ReadOnly ? over.unmount()
                                        : QFile::remove(spoil == Spoil::Full ? filler : spoiler);
    };
    Session session;
    session.keepPageIn(kept);
    PageKeeper *keeper = session.pageKeeper();
    QSignalSpy said(keeper, &PageKeeper::cannotKeep);
    QSignalSpy written(keeper, &PageKeeper::written);
    const auto keep = [&](const QString &text, bool ok) {
        session.page().append(text);
        written.clear();
        keeper->keepNow();
        return QTest::qWaitFor([&] { return !written.isEmpty(); }, 30000) &&
               written.at(0).at(0).toBool() == ok;
    };

    QVERIFY(spoilIt());
    QVERIFY(keep(QStringLiteral("<P>one"), false));
    QVERIFY(keep(QStringLiteral("<P>two"), false));
    QCOMPARE(said.size(), 1);
    QCOMPARE(said.at(0).at(0).toString(), reason);
    QVERIFY(mend());
    QVERIFY(keep(QStringLiteral("<P>three"), true));
    const QString file =
        QDir(kept).entryInfoList({QStringLiteral("*.recovery")}).value(0).filePath();
    const QByteArray before = readAll(file);
    const std::optional<KeptPage> page = readKeptPage(before);
    QVERIFY(page);
    QCOMPARE(page->body, QStringLiteral("<P>one<P>two<P>three"));
    QVERIFY(spoilIt());
    QVERIFY(keep(QStringLiteral("<P>four"), false));
    QVERIFY(keep(QStringLiteral("<P>five"), false));
    QCOMPARE(said.size(), 2);
    QCOMPARE(said.at(1).at(0).toString(), reason);
    QVERIFY(mend());
    if (mounts) // a disk that failed spoiled nothing kept before
        QCOMPARE(readAll(file), before);
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"

#include "support/fixture.h"
#include "support/gui.h"
#include "support/walks.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
const QString kSelection = QStringLiteral("Form4");

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A small file system of its own, so that a full disk or a read-only folder
// is real even for root. Needs the right to mount.
class Mount final
{
public:
    Mount(const QString &folder, const QString &options) : m_folder(folder)
    {
        QDir().mkpath(folder);
        m_mounted =
            QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               options, QStringLiteral("tmpfs"), folder}) == 0;
    }
    ~Mount()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_folder});
    }
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;

    bool mounted() const { return m_mounted; }
    // Makes it read-only from now on.
    bool makeReadOnly()
    {
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_folder}) ==
               0;
    }

private:
    QString m_folder;
    bool m_mounted = false;
};
} // namespace

class TestHostile final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void diskFullDuringSave();
    void sessionFolderMadeReadOnly();
    void picturesThatAreNoPictures();
    void pageOf200Megabytes();

private:
    QString body() const { return m_program->session.page().text(); }

    QTemporaryDir m_home;
    QTemporaryDir m_place;
    std::unique_ptr<Program> m_program;
};

void TestHostile::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestHostile::init()
{
    m_program = std::make_unique<Program>();
}

void TestHostile::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    m_program.reset();
}

void TestHostile::diskFullDuringSave()
{
    Mount small(m_place.filePath(QStringLiteral("small")), QStringLiteral("size=64k"));
    if (!small.mounted())
        QSKIP("cannot mount a small file system here");
    const QString folder = m_place.filePath(QStringLiteral("small"));
    const QString page = QDir(folder).filePath(QStringLiteral("page.html"));
    const QByteArray earlier("<HTML>\r\nthe earlier page\r\n</BODY>\r\n</HTML>\r\n\r\n");
    QVERIFY(writeBytes(page, earlier));

    QVERIFY(walkToSelection(folder, QStringLiteral("Big"), QStringLiteral("Big")));
    QVERIFY(clickButton(kSelection, "Command4"));
    findControl<QPlainTextEdit>(QStringLiteral("Form6"), "Text1")
        ->setPlainText(QString(200000, QLatin1Char('x')));
    m_program->dialogs.yesNoAnswers = {true, true};
    QVERIFY(clickButton(QStringLiteral("Form6"), "Command1"));
    const QString typed = body();

    m_program->dialogs.messages.clear();
    m_program->dialogs.saveAnswers = {page};
    QVERIFY(clickButton(kSelection, "Command10"));
    QCOMPARE(m_program->dialogs.messages.size(), 2);
    QVERIFY(m_program->dialogs.messages.last().text.startsWith(
        QStringLiteral("The page was not saved: ")));
    QCOMPARE(m_program->dialogs.messages.last().icon, Interaction::Icon::Critical);
    QCOMPARE(readAll(page), earlier);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("page.html")});
    QCOMPARE(body(), typed);
}

void TestHostile::sessionFolderMadeReadOnly()
{
    const QString folder = m_place.filePath(QStringLiteral("locked"));
    Mount locked(folder, QStringLiteral("size=1m"));
    if (!locked.mounted())
        QSKIP("cannot mount a file system here");
    QVERIFY(walkToSelection(folder, QStringLiteral("Locked"), QStringLiteral("Locked")));
    QVERIFY(locked.makeReadOnly());
    const QString start = body();

    // A picture cannot be copied: the name goes in all the same, without a word.
    QTemporaryDir pictures;
    const QString photo = pictures.filePath(QStringLiteral("photo.png"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    QVERIFY(image.save(photo, "PNG"));
    m_program->dialogs.messages.clear();
    m_program->dialogs.openAnswers = {QDir::toNativeSeparators(photo)};
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kSelection, "Command5"));
    QVERIFY(clickButton(QStringLiteral("Form9"), "Command1"));
    QVERIFY(clickButton(QStringLiteral("Form9"), "Command2"));
    QCOMPARE(body(), start + QStringLiteral("\r\n<IMG SRC=\"photo.png\"><P></P>"));
    QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("photo.png"))));
    QVERIFY(m_program->dialogs.messages.isEmpty());

    // The preview file cannot be written either; that is passed over.
    QVERIFY(!m_program->session.writePreview());

    // Saving there says why it failed, and the page stays.
    m_program->dialogs.saveAnswers = {QDir(folder).filePath(QStringLiteral("page"))};
    QVERIFY(clickButton(kSelection, "Command10"));
    QVERIFY(m_program->dialogs.messages.last().text.startsWith(
        QStringLiteral("The page was not saved: ")));
    QCOMPARE(body(), start + QStringLiteral("\r\n<IMG SRC=\"photo.png\"><P></P>"));

    // No new folder can be made in it.
    QVERIFY(clickButton(kSelection, "Command16"));
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    findControl<QWidget>(QStringLiteral("nonComdlg"), "Dir1")->setProperty("path", folder);
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("inner")));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
    QCOMPARE(m_program->dialogs.messages.last().text,
             QStringLiteral("Directory already exists! Type another name or click Cancel"));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdCancelSetFileToNull"));
    QTRY_VERIFY(!findScreen(QStringLiteral("nonComdlg")));
}

void TestHostile::picturesThatAreNoPictures()
{
    QVERIFY(walkToBackground(m_place.path(), QStringLiteral("Odd"), QStringLiteral("Odd")));
    QTemporaryDir mine;
    const QString notPicture = mine.filePath(QStringLiteral("stone.jpg"));
    QVERIFY(writeBytes(notPicture, "this is text, not a picture\r\n"));

    m_program->dialogs.openAnswers = {QDir::toNativeSeparators(notPicture)};
    QVERIFY(clickButton(QStringLiteral("Form3"), "Command3"));
    QVERIFY(findControl<QLabel>(QStringLiteral("Form3"), "Picture1")->pixmap().isNull());
    QVERIFY(clickButton(QStringLiteral("Form3"), "Command1"));
    QVERIFY(body().contains(QStringLiteral("<BODY BACKGROUND=\"stone.jpg\">\r\n")));
    QCOMPARE(readAll(m_place.filePath(QStringLiteral("stone.jpg"))), readAll(notPicture));

    m_program->dialogs.openAnswers = {QDir::toNativeSeparators(notPicture)};
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kSelection, "Command5"));
    QVERIFY(clickButton(QStringLiteral("Form9"), "Command1"));
    QVERIFY(clickButton(QStringLiteral("Form9"), "Command2"));
    QVERIFY(body().endsWith(QStringLiteral("\r\n<IMG SRC=\"stone.jpg\"><P></P>")));
    QCOMPARE(m_program->dialogs.messages.size(), 1); // only the PREVIEW chance
}

void TestHostile::pageOf200Megabytes()
{
    const QString path = m_place.filePath(QStringLiteral("huge.html"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block =
            QByteArray("<P>A very long page indeed, caf\xE9.</P>\r\n").repeated(100000);
        while (file.size() < 200LL * 1024 * 1024)
            QVERIFY(file.write(block) == block.size());
    }
    const qint64 size = QFileInfo(path).size();
    m_program->dialogs.openAnswers = {QDir::toNativeSeparators(path)};
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command6"));
    QVERIFY(clickButton(QStringLiteral("Form24"), "Command1"));
    QCOMPARE(
        m_program->dialogs.messages.last().text,
        QStringLiteral(
            "You will need to choose the session folder you are using for updating this file."));
    QCOMPARE(qint64(body().size()), size);
    QVERIFY(QFile::remove(path));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"

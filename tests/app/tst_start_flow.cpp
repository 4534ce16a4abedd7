#include "support/fixture.h"
#include "support/gui.h"
#include "ui/drive_list.h"
#include "ui/folder_list.h"

#include <QAbstractItemView>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
using Icon = Interaction::Icon;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool setFolderList(const QString &path)
{
    auto *folders = findControl<FolderList>(QStringLiteral("nonComdlg"), "Dir1");
    return folders && folders->setProperty("path", native(path)) && folders->path() == native(path);
}

QString folderListPath()
{
    auto *folders = findControl<FolderList>(QStringLiteral("nonComdlg"), "Dir1");
    return folders ? folders->path() : QString();
}

bool visible(const char *form, const char *name)
{
    auto *control = findControl<QWidget>(QLatin1String(form), name);
    return control && control->isVisible();
}

QString caption(const char *form, const char *name)
{
    if (auto *label = findControl<QLabel>(QLatin1String(form), name))
        return label->text();
    if (auto *button = findControl<QAbstractButton>(QLatin1String(form), name))
        return button->text();
    return QStringLiteral("<missing>");
}
} // namespace

class TestStartFlow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpShowsBackdropAndStart();
    void makeFolderAndContinueToHead();
    void makeFolderRefusals();
    void useExistingDriveRoot();
    void cancelAndReopen();
    void comingBackFromAnotherScreenResetsLists();
    void unreadableDrive();
    void quitEndsTheProgram();

private:
    QTemporaryDir m_home;
    QTemporaryDir m_place;
    std::unique_ptr<Program> m_program;
};

void TestStartFlow::initTestCase()
{
    // The folder list starts in the home folder; keep it to one of ours.
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestStartFlow::init()
{
    m_program = std::make_unique<Program>();
}

void TestStartFlow::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    m_program.reset();
}

void TestStartFlow::startUpShowsBackdropAndStart()
{
    QWidget *backdrop = findScreen(QStringLiteral("Form13"));
    QVERIFY(backdrop && backdrop->isVisible());
    QCOMPARE(backdrop->windowTitle(), QString());
    QCOMPARE(backdrop->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QVERIFY(backdrop->windowFlags() & Qt::WindowStaysOnBottomHint);
    backdrop->close(); // it stays for the whole run
    QVERIFY(backdrop->isVisible());

    QWidget *start = findScreen(QStringLiteral("Form1"));
    QVERIFY(start && start->isVisible());
    QCOMPARE(start->windowTitle(), QStringLiteral("Tarnwell"));
    QVERIFY(QTest::qWaitForWindowActive(start));
    QCOMPARE(QApplication::focusWidget(),
             findControl<QWidget>(QStringLiteral("Form1"), "Command5"));
    QCOMPARE(m_program->session.ExistingFileMode(), 0);

    QCOMPARE(caption("Form1", "Label1"), QStringLiteral("Tarnwell - HTML writer"));
    QVERIFY(
        caption("Form1", "Label2").startsWith(QStringLiteral("Make a folder for this session")));
    QCOMPARE(caption("Form1", "Label5"), QStringLiteral("Version 2b"));
    QCOMPARE(caption("Form1", "Command5"), QStringLiteral("Make a session folder"));
    QCOMPARE(caption("Form1", "Command1"), QStringLiteral("Use an existing folder"));
    QCOMPARE(caption("Form1", "Command6"), QStringLiteral("     Load      existing file"));
    QCOMPARE(caption("Form1", "Command3"), QStringLiteral("Advice "));
    QCOMPARE(caption("Form1", "Command2"), QStringLiteral("QUIT"));
}

void TestStartFlow::makeFolderAndContinueToHead()
{
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    QWidget *picker = findScreen(QStringLiteral("nonComdlg"));
    QVERIFY(picker && picker->isVisible());
    QCOMPARE(picker->windowTitle(), QStringLiteral("Select Directory"));
    QCOMPARE(folderListPath(), native(m_home.path()));
    QCOMPARE(caption("nonComdlg", "Label1"),
             QStringLiteral("Click on the folder you want this to be a subdirectory of e.g. C:\\"));
    QVERIFY(visible("nonComdlg", "Label2") && visible("nonComdlg", "Text1"));
    QVERIFY(!visible("nonComdlg", "Image1") && !visible("nonComdlg", "Image2"));
    QVERIFY(!visible("nonComdlg", "Label3") && !visible("nonComdlg", "Label4"));
    QVERIFY(!visible("nonComdlg", "Command1"));

    QVERIFY(setFolderList(m_place.path()));
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("mysite")));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));

    const QString made = native(m_place.filePath(QStringLiteral("mysite")));
    QVERIFY(QFileInfo(made).isDir());
    QCOMPARE(m_program->session.sessionFolder(), made);
    QVERIFY(visible("nonComdlg", "Command1"));
    for (const char *hidden :
         {"CmdUseFile", "CmdCancelSetFileToNull", "Label2", "Text1", "Label1", "Label6"})
        QVERIFY2(!visible("nonComdlg", hidden), hidden);
    for (const char *shown : {"Image1", "Label3", "Label4"})
        QVERIFY2(visible("nonComdlg", shown), shown);
    QCOMPARE(caption("nonComdlg", "Label3"), QStringLiteral("mysite"));
    QCOMPARE(caption("nonComdlg", "Label4"), QStringLiteral("Created!"));
    QVERIFY(!findControl<QWidget>(QStringLiteral("nonComdlg"), "Dir1")->isEnabled());
    QVERIFY(!findControl<QWidget>(QStringLiteral("nonComdlg"), "Drive1")->isEnabled());

    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "Command1"));
    QTRY_VERIFY(!findScreen(QStringLiteral("nonComdlg")));
    QVERIFY(!isShown(QStringLiteral("Form1")));
    QVERIFY(isShown(QStringLiteral("Form2")));
    QCOMPARE(findScreen(QStringLiteral("Form2"))->windowTitle(), QStringLiteral("HEAD"));
    QCOMPARE(caption("Form2", "Label8"), made);
    QVERIFY(m_program->dialogs.messages.isEmpty());
}

void TestStartFlow::makeFolderRefusals()
{
    QVERIFY(QDir(m_place.path()).mkdir(QStringLiteral("taken")));
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    QVERIFY(setFolderList(m_place.path()));
    const QStringList before =
        QDir(m_place.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QStringList parentBefore = QDir(m_place.path() + QStringLiteral("/.."))
                                         .entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
    QCOMPARE(m_program->dialogs.messages.size(), 1);
    QCOMPARE(m_program->dialogs.messages.last().text,
             QStringLiteral("You did not type the directory name!"));
    QCOMPARE(m_program->dialogs.messages.last().icon, Icon::Critical);

    const QString exists =
        QStringLiteral("Directory already exists! Type another name or click Cancel");
    const QStringList refused = {QStringLiteral("taken"),  QStringLiteral("a/b"),
                                 QStringLiteral("..\\up"), QStringLiteral(".."),
                                 QStringLiteral("."),      QStringLiteral("../escape")};
    for (const QString &name : refused) {
        m_program->dialogs.messages.clear();
        QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", name));
        QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
        QCOMPARE(m_program->dialogs.messages.size(), 1);
        QCOMPARE(m_program->dialogs.messages.last().text, exists);
        QCOMPARE(m_program->dialogs.messages.last().icon, Icon::Information);
        // Everything stays as it was for another try.
        QCOMPARE(folderListPath(), native(m_place.path()));
        QCOMPARE(findControl<QLineEdit>(QStringLiteral("nonComdlg"), "Text1")->text(), name);
        QVERIFY(visible("nonComdlg", "CmdUseFile") && !visible("nonComdlg", "Command1"));
    }
    QCOMPARE(QDir(m_place.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(QDir(m_place.path() + QStringLiteral("/.."))
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             parentBefore);
    QCOMPARE(m_program->session.sessionFolder(), QString());

#ifdef Q_OS_LINUX
    // A place where no folder can be made, even by root.
    m_program->dialogs.messages.clear();
    QVERIFY(setFolderList(QStringLiteral("/proc")));
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("mysite")));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
    QCOMPARE(m_program->dialogs.messages.size(), 1);
    QCOMPARE(m_program->dialogs.messages.last().text, exists);
#endif

    // Non-Latin names are plain folder names.
    QVERIFY(setFolderList(m_place.path()));
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("мой сайт")));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
    QCOMPARE(m_program->session.sessionFolder(),
             native(m_place.filePath(QStringLiteral("мой сайт"))));
}

void TestStartFlow::useExistingDriveRoot()
{
    // A name typed for a folder that was never made plays no part.
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("half")));

    QVERIFY(clickButton(QStringLiteral("Form1"), "Command1"));
    QCOMPARE(caption("nonComdlg", "Label1"),
             QStringLiteral("DoubleClick until the folder icon is open, like this."));
    QVERIFY(visible("nonComdlg", "Image2"));
    for (const char *hidden : {"Image1", "Command1", "Label2", "Label3", "Label4", "Text1"})
        QVERIFY2(!visible("nonComdlg", hidden), hidden);

    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    QVERIFY(setFolderList(root));
    QCOMPARE(folderListPath(), root);
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));

    QCOMPARE(m_program->session.sessionFolder(), root);
    QCOMPARE(m_program->session.previewFilePath(),
             root + QDir::separator() + QStringLiteral("viewtmp.html"));
    QTRY_VERIFY(!findScreen(QStringLiteral("nonComdlg")));
    QVERIFY(isShown(QStringLiteral("Form2")));
    QVERIFY(isShown(QStringLiteral("Form1"))); // stays open beneath
    QCOMPARE(caption("Form2", "Label8"), root);
    QVERIFY(m_program->dialogs.messages.isEmpty());
}

void TestStartFlow::cancelAndReopen()
{
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    QVERIFY(setFolderList(m_place.path()));
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("never")));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdCancelSetFileToNull"));
    QTRY_VERIFY(!findScreen(QStringLiteral("nonComdlg")));
    QVERIFY(!QFileInfo::exists(m_place.filePath(QStringLiteral("never"))));
    QCOMPARE(m_program->session.sessionFolder(), QString());
    QTRY_COMPARE(QApplication::focusWidget(),
                 findControl<QWidget>(QStringLiteral("Form1"), "Command1"));

    // A completed choice leaves nothing behind for the next one.
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    QVERIFY(setFolderList(m_place.path()));
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("first")));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "Command1"));
    QTRY_VERIFY(!findScreen(QStringLiteral("nonComdlg")));
    QVERIFY(clickButton(QStringLiteral("Form2"), "Command3")); // HEAD's Back
    QVERIFY(isShown(QStringLiteral("Form1")));
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    QCOMPARE(findControl<QLineEdit>(QStringLiteral("nonComdlg"), "Text1")->text(), QString());
    QCOMPARE(folderListPath(), native(m_home.path()));
    QVERIFY(visible("nonComdlg", "CmdUseFile") && !visible("nonComdlg", "Command1"));

    // The close box is Cancel.
    findScreen(QStringLiteral("nonComdlg"))->close();
    QTRY_VERIFY(!findScreen(QStringLiteral("nonComdlg")));
    QCOMPARE(m_program->session.sessionFolder(), native(m_place.filePath(QStringLiteral("first"))));
}

void TestStartFlow::comingBackFromAnotherScreenResetsLists()
{
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command5"));
    QWidget *picker = findScreen(QStringLiteral("nonComdlg"));
    QVERIFY(QTest::qWaitForWindowActive(picker));
    QVERIFY(setFolderList(m_place.path()));

    // A message box of its own closing leaves the lists alone.
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
    QCOMPARE(folderListPath(), native(m_place.path()));

    QWidget *start = findScreen(QStringLiteral("Form1"));
    start->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(start));
    picker->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(picker));
    QCOMPARE(folderListPath(), native(m_home.path()));

    // Once a folder is made the lists stay on it, and Continue takes it.
    QVERIFY(setFolderList(m_place.path()));
    QVERIFY(typeInto(QStringLiteral("nonComdlg"), "Text1", QStringLiteral("kept")));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "CmdUseFile"));
    start->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(start));
    picker->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(picker));
    QCOMPARE(folderListPath(), native(m_place.path()));
    QVERIFY(clickButton(QStringLiteral("nonComdlg"), "Command1"));
    QCOMPARE(caption("Form2", "Label8"), native(m_place.filePath(QStringLiteral("kept"))));
}

void TestStartFlow::unreadableDrive()
{
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command1"));
    QVERIFY(setFolderList(m_place.path()));
    auto *drives = findControl<DriveList>(QStringLiteral("nonComdlg"), "Drive1");
    QVERIFY(drives);
    QVERIFY(drives->count() > 0);
    const QString missing = native(m_place.filePath(QStringLiteral("no-disc")));
    const QString placeRoot = native(QStorageInfo(m_place.path()).rootPath());
    drives->setDrives({placeRoot, missing});
    drives->showDriveOf(m_place.path());
    QCOMPARE(drives->currentText(), placeRoot);

    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_End); // picks the last drive, as a user would
    QCOMPARE(m_program->dialogs.messages.size(), 1);
    QCOMPARE(m_program->dialogs.messages.last().text,
             QStringLiteral("The drive ") + missing +
                 QStringLiteral(" cannot be read. Choose another drive."));
    QCOMPARE(m_program->dialogs.messages.last().icon, Icon::Critical);
    QCOMPARE(folderListPath(), native(m_place.path()));
    QCOMPARE(drives->currentText(), placeRoot);

    // Picking a readable drive from the list moves the folder list to its root.
    drives->showPopup();
    QTest::keyClick(drives->view(), Qt::Key_Return);
    QCOMPARE(folderListPath(), placeRoot);
    QCOMPARE(m_program->dialogs.messages.size(), 1);
}

void TestStartFlow::quitEndsTheProgram()
{
    QVERIFY(clickButton(QStringLiteral("Form1"), "Command2"));
    QCOMPARE(m_program->quitRequests, 1);
    findScreen(QStringLiteral("Form1"))->close(); // the close box is QUIT too
    QCOMPARE(m_program->quitRequests, 2);
    QVERIFY(m_program->dialogs.questions.isEmpty());
}

QTEST_MAIN(TestStartFlow)
#include "tst_start_flow.moc"

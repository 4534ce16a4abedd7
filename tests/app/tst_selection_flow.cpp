#include "document/gallery.h"
#include "document/page_file.h"
#include "document/paths.h"
#include "support/fixture.h"
#include "support/gui.h"
#include "support/walks.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
using Icon = Interaction::Icon;
const QString kStart = QStringLiteral("Form1");
const QString kPicker = QStringLiteral("nonComdlg");
const QString kHead = QStringLiteral("Form2");
const QString kBackground = QStringLiteral("Form3");
const QString kGallery = QStringLiteral("Form5");
const QString kSelection = QStringLiteral("Form4");
const QString kLoadAdvice = QStringLiteral("Form24");

const QString kHeadText = QStringLiteral(
    "<HTML>\r\n<HEAD>\r\n<TITLE>My page</TITLE>\r\n"
    "<META name=\"description\" content=\" Tarnwell - the fast HTML page writer. It's FREEWARE "
    "and it's fast! Create good-looking pages with simple effects. MouseOver pictures and links "
    "easily created.\">\r\n"
    "<META name=\"keywords\" content=\"HTML, Freeware, freeware, web, editor, Internet, "
    "Education, education, computing\">\r\n</HEAD>\r\n");
const QString kHeading =
    QStringLiteral("<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>");
const QString kPageStart = kHeadText + QStringLiteral("<BODY  BGCOLOR=\"#FFFFFF\">\r\n") + kHeading;
const QString kPreviewMessage =
    QStringLiteral("This is your chance to PREVIEW your page so far. The BACK button may\r"
                   "only be used for choices you just made and is not available when\r"
                   "you have begun adding things from this page.");

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool shownControl(const QString &form, const char *name)
{
    auto *control = findControl<QWidget>(form, name);
    return control && control->isVisible();
}
} // namespace

class TestSelectionFlow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void workedPageSavedAndLoadedBack();
    void backgroundChoices();
    void galleryTexture();
    void saveQuestionsAndFailures();
    void loadKeepsThePageOnFailure();
    void loadReadsOtherEditorsFiles();
    void clearBackAndExit();
    void previewWritesTheFile();

private:
    // Start, an existing folder, HEAD with My page and Welcome, then Next.
    bool walkToBackground();
    bool walkToSelection();
    QString pageBody() const { return m_program->session.page().text(); }
    QString sessionFile(const QString &name) const { return m_session.filePath(name); }

    QTemporaryDir m_home;
    QTemporaryDir m_session;
    QTemporaryDir m_elsewhere;
    std::unique_ptr<Program> m_program;
};

void TestSelectionFlow::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestSelectionFlow::init()
{
    m_program = std::make_unique<Program>();
}

void TestSelectionFlow::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    m_program.reset();
    for (QTemporaryDir *dir : {&m_session, &m_elsewhere}) {
        QDir folder(dir->path());
        for (const QString &entry : folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                     QDir::Hidden))
            QFile::remove(folder.filePath(entry));
    }
}

bool TestSelectionFlow::walkToBackground()
{
    return tarnwell::test::walkToBackground(m_session.path(), QStringLiteral("My page"),
                                            QStringLiteral("Welcome"));
}

bool TestSelectionFlow::walkToSelection()
{
    return walkToBackground() && clickButton(kBackground, "Command1") && isShown(kSelection);
}

void TestSelectionFlow::workedPageSavedAndLoadedBack()
{
    QVERIFY(walkToBackground());
    for (const char *shown : {"Label1", "Label2", "Picture1", "Picture2"})
        QVERIFY2(shownControl(kBackground, shown), shown);
    for (const char *hidden : {"Text1", "Text2", "Text3"})
        QVERIFY2(!shownControl(kBackground, hidden), hidden);
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kBackground, "Command1"));

    QVERIFY(clickButton(kBackground, "Command1"));
    QVERIFY(!isShown(kBackground));
    QVERIFY(isShown(kSelection));
    QCOMPARE(m_program->dialogs.messages.size(), 1);
    QCOMPARE(m_program->dialogs.messages.last().text, kPreviewMessage);
    QCOMPARE(m_program->dialogs.messages.last().icon, Icon::Information);
    QCOMPARE(pageBody(), kPageStart);
    QCOMPARE(findControl<QPlainTextEdit>(kSelection, "Text1")->toPlainText(),
             QString(kPageStart).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(findControl<QLabel>(kSelection, "Label2")->text(), QDir::toNativeSeparators(m_session.path()));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kSelection, "Command3"));
    QVERIFY(QDir(m_session.path()).entryList(QDir::Files).isEmpty()); // nothing copied

    QVERIFY(clickButton(kSelection, "Command15"));
    QVERIFY(clickButton(kSelection, "Command12"));
    QCOMPARE(pageBody(), kPageStart + QStringLiteral("\r\n<BR>\r\n<P></P>"));

    m_program->dialogs.messages.clear();
    m_program->dialogs.saveAnswers = {sessionFile(QStringLiteral("page"))};
    QVERIFY(clickButton(kSelection, "Command10"));
    QCOMPARE(m_program->dialogs.messages.size(), 1);
    QCOMPARE(m_program->dialogs.messages.first().text,
             QStringLiteral("Make sure you save to your session folder."));
    QCOMPARE(m_program->dialogs.saveRequests.last().title, QStringLiteral("Save File"));
    QCOMPARE(m_program->dialogs.saveRequests.last().filter, QStringLiteral("*.html"));
    QCOMPARE(m_program->dialogs.saveRequests.last().startFolder,
             QDir::toNativeSeparators(m_session.path()));
    const QByteArray saved = readAll(sessionFile(QStringLiteral("page.html")));
    QCOMPARE(saved, kPageStart.toLatin1() +
                        "\r\n<BR>\r\n<P></P>\r\n</BODY>\r\n</HTML>\r\n\r\n");

    // Load it back and go on with it.
    m_program->dialogs.messages.clear();
    QVERIFY(clickButton(kSelection, "Command17"));
    QCOMPARE(m_program->session.ExistingFileMode(), 1);
    QVERIFY(isShown(kLoadAdvice));
    QVERIFY(findControl<QLabel>(kLoadAdvice, "Label1")
                ->text()
                .startsWith(QStringLiteral("You are about to load a previously created file.")));
    m_program->dialogs.openAnswers = {sessionFile(QStringLiteral("page.html"))};
    QVERIFY(clickButton(kLoadAdvice, "Command1"));
    QCOMPARE(m_program->dialogs.openPresets.last(), QStringLiteral("*.*"));
    QVERIFY(!isShown(kLoadAdvice));
    QCOMPARE(m_program->dialogs.messages.last().text,
             QStringLiteral(
                 "You will need to choose the session folder you are using for updating this file."));
    QVERIFY(isShown(kStart));
    const QString loaded = kPageStart + QStringLiteral("\r\n<BR>\r\n<P></P>\r\n");
    QCOMPARE(pageBody(), loaded);

    QVERIFY(clickButton(kStart, "Command1"));
    findControl<QWidget>(kPicker, "Dir1")->setProperty("path", m_session.path());
    QVERIFY(clickButton(kPicker, "CmdUseFile"));
    QVERIFY(isShown(kSelection));
    QVERIFY(!isShown(kStart));
    QVERIFY(!shownControl(kSelection, "Command2"));
    QCOMPARE(pageBody(), loaded);
    QCOMPARE(m_program->session.saveFolder(), QDir::toNativeSeparators(m_session.path()));
}

void TestSelectionFlow::backgroundChoices()
{
    // A plain colour.
    QVERIFY(walkToBackground());
    m_program->dialogs.colourAnswers = {255, std::nullopt};
    QVERIFY(clickButton(kBackground, "Command2"));
    QVERIFY(shownControl(kBackground, "Text2"));
    QCOMPARE(findControl<QLineEdit>(kBackground, "Text2")->text(), QStringLiteral("Background colour"));
    QVERIFY(!shownControl(kBackground, "Picture1") && !shownControl(kBackground, "Picture2"));
    QVERIFY(clickButton(kBackground, "Command2")); // cancelled: still red
    QVERIFY(clickButton(kBackground, "Command1"));
    QCOMPARE(pageBody(), kHeadText + QStringLiteral("<BODY BGCOLOR= \"#FF0000\">\r\n") + kHeading);

    // A texture file of the user's own, which stays as the user had it.
    QVERIFY(clickButton(kSelection, "Command2")); // Back to the Background screen
    QVERIFY(pageBody().isEmpty());
    QVERIFY(isShown(kBackground));
    const QString stone = m_elsewhere.filePath(QStringLiteral("Stone Wall.jpg"));
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::lightGray);
    QVERIFY(picture.save(stone, "JPG"));
    const QByteArray stoneBytes = readAll(stone);
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner;
    QVERIFY(QFile::setPermissions(stone, readOnly));

    m_program->dialogs.openAnswers = {QString(), QDir::toNativeSeparators(stone)};
    QVERIFY(clickButton(kBackground, "Command3")); // cancelled first
    QVERIFY(clickButton(kBackground, "Command3"));
    QCOMPARE(findControl<QLineEdit>(kBackground, "Text1")->text(), QStringLiteral("Stone Wall.jpg"));
    QVERIFY(shownControl(kBackground, "Picture1"));
    QVERIFY(!findControl<QLabel>(kBackground, "Picture1")->pixmap().isNull());
    QVERIFY(clickButton(kBackground, "Command1"));
    QCOMPARE(pageBody(),
             kHeadText + QStringLiteral("<BODY BACKGROUND=\"Stone Wall.jpg\">\r\n") + kHeading);
    const QString copy = sessionFile(QStringLiteral("Stone Wall.jpg"));
    QCOMPARE(readAll(copy), stoneBytes);
    QVERIFY(QFile::permissions(copy) & QFileDevice::WriteOwner);
    QCOMPARE(ownPermissions(stone), readOnly);
    QCOMPARE(m_program->dialogs.messages.size(), 2); // the two PREVIEW chances, no copy trouble

    // Picking the copy in the session folder itself is not copying onto itself.
    QVERIFY(clickButton(kSelection, "Command2"));
    m_program->dialogs.openAnswers = {QDir::toNativeSeparators(copy)};
    QVERIFY(clickButton(kBackground, "Command3"));
    QVERIFY(clickButton(kBackground, "Command1"));
    QCOMPARE(m_program->dialogs.messages.size(), 3);
    QCOMPARE(m_program->dialogs.messages.last().text, kPreviewMessage);
    QCOMPARE(readAll(copy), stoneBytes);

    // A texture file that went missing: the page is still written.
    QVERIFY(clickButton(kSelection, "Command2"));
    const QString gone = m_elsewhere.filePath(QStringLiteral("gone.gif"));
    QVERIFY(writeBytes(gone, "GIF89a"));
    m_program->dialogs.openAnswers = {QDir::toNativeSeparators(gone)};
    QVERIFY(clickButton(kBackground, "Command3"));
    QVERIFY(QFile::remove(gone));
    QVERIFY(clickButton(kBackground, "Command1"));
    QCOMPARE(m_program->dialogs.messages.at(m_program->dialogs.messages.size() - 2).text,
             QStringLiteral("You may be trying to copy a file to itself. Ignore"));
    QCOMPARE(pageBody(), kHeadText + QStringLiteral("<BODY BACKGROUND=\"gone.gif\">\r\n") + kHeading);
    QVERIFY(isShown(kSelection));
}

void TestSelectionFlow::galleryTexture()
{
    QVERIFY(walkToBackground());
    QVERIFY(clickButton(kBackground, "Command4"));
    QVERIFY(!isShown(kBackground));
    QVERIFY(isShown(kGallery));
    QCOMPARE(findControl<QLineEdit>(kGallery, "Text1")->text(), QStringLiteral("bckgrnd20.jpg"));
    for (int i = 0; i < 7; ++i)
        QVERIFY(clickButton(kGallery, "Command1"));
    QCOMPARE(findControl<QLineEdit>(kGallery, "Text1")->text(), QStringLiteral("bckgrnd7.jpg"));
    QVERIFY(!findControl<QLabel>(kGallery, "Picture1")->pixmap().isNull());
    QVERIFY(clickButton(kGallery, "Command2"));
    QVERIFY(!isShown(kGallery));
    QVERIFY(isShown(kBackground));
    QVERIFY(shownControl(kBackground, "Text3"));
    QVERIFY(!shownControl(kBackground, "Label1") && !shownControl(kBackground, "Picture1"));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kBackground, "Command1"));

    QVERIFY(clickButton(kBackground, "Command1"));
    QCOMPARE(pageBody(),
             kHeadText + QStringLiteral("<BODY BACKGROUND=\"bckgrnd7.jpg\">\r\n") + kHeading);
    const QByteArray texture = readAll(derivedPath(programFolder(), galleryTextureName(7)));
    QVERIFY(!texture.isEmpty());
    QCOMPARE(readAll(sessionFile(QStringLiteral("bckgrnd7.jpg"))), texture);

    // The counter goes round: twenty-one clicks in all come back to the first.
    QVERIFY(clickButton(kSelection, "Command2"));
    QVERIFY(clickButton(kBackground, "Command4"));
    for (int i = 7; i < 21; ++i)
        QVERIFY(clickButton(kGallery, "Command1"));
    QCOMPARE(findControl<QLineEdit>(kGallery, "Text1")->text(), QStringLiteral("bckgrnd1.jpg"));

    // Closing the gallery takes nothing; after a plain colour there is then no BODY line.
    findScreen(kGallery)->close();
    QVERIFY(isShown(kBackground));
    m_program->dialogs.colourAnswers = {0};
    QVERIFY(clickButton(kBackground, "Command2"));
    QVERIFY(clickButton(kBackground, "Command4"));
    findScreen(kGallery)->close();
    QVERIFY(clickButton(kBackground, "Command1"));
    QCOMPARE(pageBody(), kHeadText + kHeading);
}

void TestSelectionFlow::saveQuestionsAndFailures()
{
    QVERIFY(walkToSelection());
    auto &dialogs = m_program->dialogs;
    const auto saveAs = [&](const QString &name) {
        dialogs.saveAnswers = {name};
        return clickButton(kSelection, "Command10");
    };

    dialogs.messages.clear();
    QVERIFY(clickButton(kSelection, "Command10")); // no scripted answer: the user cancels
    dialogs.unexpected.clear();
    QCOMPARE(dialogs.messages.last().text, QStringLiteral("You cancelled."));
    QCOMPARE(dialogs.messages.last().icon, Icon::Information);
    QVERIFY(QDir(m_session.path()).entryList(QDir::Files).isEmpty());

    const QByteArray expected = kPageStart.toLatin1() + "\r\n</BODY>\r\n</HTML>\r\n\r\n";
    QVERIFY(saveAs(sessionFile(QStringLiteral("a.htm"))));
    QCOMPARE(readAll(sessionFile(QStringLiteral("a.htm"))), expected);
    QVERIFY(saveAs(sessionFile(QStringLiteral("b.HTML"))));
    QCOMPARE(readAll(sessionFile(QStringLiteral("b.HTML.html"))), expected);

    // An existing file: No leaves it, Yes replaces it.
    QVERIFY(writeBytes(sessionFile(QStringLiteral("c.html")), "earlier"));
    dialogs.yesNoAnswers = {false};
    QVERIFY(saveAs(sessionFile(QStringLiteral("c.html"))));
    QCOMPARE(dialogs.questions.last(),
             QStringLiteral("This file already exists. Do you want to overwrite it?"));
    QCOMPARE(readAll(sessionFile(QStringLiteral("c.html"))), QByteArray("earlier"));
    dialogs.yesNoAnswers = {true};
    QVERIFY(saveAs(sessionFile(QStringLiteral("c"))));
    QCOMPARE(readAll(sessionFile(QStringLiteral("c.html"))), expected);

    // A failing save says so, and is not a cancel.
    dialogs.messages.clear();
    QVERIFY(saveAs(sessionFile(QStringLiteral("missing/d.html"))));
    QCOMPARE(dialogs.messages.size(), 2);
    QVERIFY(dialogs.messages.last().text.startsWith(QStringLiteral("The page was not saved: ")));
    QVERIFY(dialogs.messages.last().text.size() > 24);
    QCOMPARE(dialogs.messages.last().icon, Icon::Critical);

    // A folder in the way of the file is no overwrite either.
    QVERIFY(QDir(m_session.path()).mkdir(QStringLiteral("e.html")));
    dialogs.yesNoAnswers = {true};
    QVERIFY(saveAs(sessionFile(QStringLiteral("e.html"))));
    QVERIFY(dialogs.messages.last().text.startsWith(QStringLiteral("The page was not saved: ")));
    QVERIFY(QFileInfo(sessionFile(QStringLiteral("e.html"))).isDir());
    QCOMPARE(pageBody(), kPageStart);
}

void TestSelectionFlow::loadKeepsThePageOnFailure()
{
    QVERIFY(walkToSelection());
    auto &dialogs = m_program->dialogs;

    QVERIFY(clickButton(kSelection, "Command17"));
    dialogs.openAnswers = {QString()};
    QVERIFY(clickButton(kLoadAdvice, "Command1"));
    QCOMPARE(dialogs.messages.last().text, QStringLiteral("You cancelled file loading - continue."));
    QCOMPARE(dialogs.messages.last().icon, Icon::Information);
    QVERIFY(!isShown(kLoadAdvice));
    QCOMPARE(pageBody(), kPageStart);
    QCOMPARE(m_program->session.ExistingFileMode(), 1);

    QVERIFY(QDir(m_elsewhere.path()).mkdir(QStringLiteral("folder.html")));
    for (const QString &bad : {m_elsewhere.filePath(QStringLiteral("folder.html")),
                               m_elsewhere.filePath(QStringLiteral("missing.html"))}) {
        QVERIFY(clickButton(kSelection, "Command17"));
        dialogs.openAnswers = {bad};
        QVERIFY(clickButton(kLoadAdvice, "Command1"));
        QVERIFY(dialogs.messages.last().text.startsWith(QStringLiteral("The file could not be read: ")));
        QVERIFY(dialogs.messages.last().text.size() > 28);
        QCOMPARE(dialogs.messages.last().icon, Icon::Critical);
        QVERIFY(!isShown(kLoadAdvice));
        QCOMPARE(pageBody(), kPageStart);
    }
    QDir(m_elsewhere.path()).rmdir(QStringLiteral("folder.html"));
}

void TestSelectionFlow::loadReadsOtherEditorsFiles()
{
    auto &dialogs = m_program->dialogs;
    const auto loadFromStart = [&](const QByteArray &bytes) {
        const QString path = m_elsewhere.filePath(QStringLiteral("other.html"));
        dialogs.openAnswers = {path};
        return writeBytes(path, bytes) && clickButton(kStart, "Command6") &&
               isShown(kLoadAdvice) && clickButton(kLoadAdvice, "Command1");
    };

    // LF line ends, and UTF-8 with non-Latin letters, which is then saved as UTF-8.
    QVERIFY(loadFromStart("<HTML>\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\n</BODY>\n</HTML>\n"));
    QCOMPARE(m_program->session.ExistingFileMode(), 1);
    QCOMPARE(pageBody(), QStringLiteral("<HTML>\r\n<P>\u0436\u0438\u0437\u043D\u044C</P>\r\n"));
    QVERIFY(clickButton(kStart, "Command5"));
    findControl<QWidget>(kPicker, "Dir1")->setProperty("path", m_session.path());
    QVERIFY(typeInto(kPicker, "Text1", QStringLiteral("loaded")));
    QVERIFY(clickButton(kPicker, "CmdUseFile"));
    QVERIFY(clickButton(kPicker, "Command1"));
    QVERIFY(isShown(kSelection));
    QVERIFY(isShown(kStart)); // a made folder leaves the Start screen beneath
    QVERIFY(!shownControl(kSelection, "Command2"));
    const QString made = QDir::toNativeSeparators(sessionFile(QStringLiteral("loaded")));
    QCOMPARE(findControl<QLabel>(kSelection, "Label2")->text(),
             QStringLiteral("Folder for session is  ") + made);
    QCOMPARE(m_program->session.saveFolder(), made);
    dialogs.saveAnswers = {sessionFile(QStringLiteral("again"))};
    QVERIFY(clickButton(kSelection, "Command10"));
    QCOMPARE(readAll(sessionFile(QStringLiteral("again.html"))),
             QByteArray("<HTML>\r\n<P>\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C</P>\r\n\r\n</BODY>"
                        "\r\n</HTML>\r\n\r\n"));

    // Windows-1252 accents, lone CR line ends and an empty file.
    QVERIFY(loadFromStart("<P>caf\xE9 \x80</P>\r<P>x</P>\r"));
    QCOMPARE(pageBody(), QStringLiteral("<P>caf\u00E9 \u20AC</P>\r\n<P>x</P>\r\n"));
    QCOMPARE(m_program->session.pageEncoding(), PageEncoding::Windows1252);
    QVERIFY(loadFromStart(QByteArray()));
    QCOMPARE(pageBody(), QString());

    // A binary file loads as whatever lines it has, NUL bytes and all.
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    QVERIFY(loadFromStart(binary));
    QVERIFY(!pageBody().isEmpty());
    QCOMPARE(pageBody(), readPageBytes(binary).body);

    // A 50 MB page loads whole.
    const QByteArray line = "<P>A long page, line after line, caf\xE9.</P>\r\n";
    const QByteArray big = line.repeated(50 * 1024 * 1024 / line.size());
    QVERIFY(loadFromStart(big + "</BODY>\r\n</HTML>\r\n"));
    QCOMPARE(pageBody().size(), qsizetype(big.size()));
    QVERIFY(pageBody().endsWith(QStringLiteral("caf\u00E9.</P>\r\n")));
}

void TestSelectionFlow::clearBackAndExit()
{
    QVERIFY(walkToSelection());
    QVERIFY(clickButton(kSelection, "Command15"));

    // Exit answered No changes nothing; the close box asks the same.
    m_program->dialogs.yesNoAnswers = {false, false};
    QVERIFY(clickButton(kSelection, "Command1"));
    findScreen(kSelection)->close();
    QCOMPARE(m_program->dialogs.questions, QStringList(2, QStringLiteral("Saved your file?")));
    QVERIFY(isShown(kSelection));
    QCOMPARE(m_program->quitRequests, 0);

    // Back empties the page and shows the Background screen afresh.
    QVERIFY(clickButton(kSelection, "Command2"));
    QVERIFY(pageBody().isEmpty());
    QVERIFY(!isShown(kSelection));
    QVERIFY(isShown(kBackground));
    for (const char *hidden : {"Text1", "Text2", "Text3"})
        QVERIFY2(!shownControl(kBackground, hidden), hidden);
    QVERIFY(clickButton(kBackground, "Command1"));
    QCOMPARE(pageBody(), kPageStart);

    // Clear the page: back to the Start screen with an empty heading.
    m_program->session.setExistingFileMode(1);
    QVERIFY(clickButton(kSelection, "Command16"));
    QVERIFY(pageBody().isEmpty());
    QVERIFY(!isShown(kSelection));
    QVERIFY(isShown(kStart));
    QCOMPARE(m_program->session.ExistingFileMode(), 0);
    QCOMPARE(m_program->session.saveFolder(), QString());
    QCOMPARE(findControl<QPlainTextEdit>(kHead, "Text2")->toPlainText(), QString());
    QCOMPARE(findControl<QLineEdit>(kHead, "Text1")->text(), QStringLiteral("My page"));

    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(walkToSelection());
    QVERIFY(shownControl(kSelection, "Command2"));
    QVERIFY(clickButton(kSelection, "Command1"));
    QCOMPARE(m_program->quitRequests, 1);
}

void TestSelectionFlow::previewWritesTheFile()
{
    QVERIFY(walkToSelection());
    const QString preview = sessionFile(QStringLiteral("viewtmp.html"));
    QVERIFY(clickButton(kSelection, "Command3"));
    QCOMPARE(readAll(preview), kPageStart.toLatin1() + "\r\n");
    QVERIFY(isShown(QStringLiteral("Form27")));

    QVERIFY(clickButton(kSelection, "Command15"));
    QVERIFY(clickButton(kSelection, "Command3"));
    QCOMPARE(readAll(preview), kPageStart.toLatin1() + "\r\n<BR>\r\n");
    QTRY_COMPARE(findScreen(QStringLiteral("Form27"))->windowTitle(), QStringLiteral("My page"));
    int browsers = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        browsers += widget->objectName() == QLatin1String("Form27");
    QCOMPARE(browsers, 1);

    // A session folder deleted under the program: the preview opens all the same.
    m_program->session.setSessionFolder(QDir::toNativeSeparators(sessionFile(QStringLiteral("gone"))));
    QVERIFY(clickButton(kSelection, "Command3"));
    QVERIFY(isShown(QStringLiteral("Form27")));
    QVERIFY(m_program->dialogs.messages.size() == 1);
}

TARNWELL_GUI_TEST_MAIN(TestSelectionFlow)
#include "tst_selection_flow.moc"

#include "screens/add_picture_screen.h"
#include "screens/another_heading_screen.h"
#include "screens/background_screen.h"
#include "screens/button_advice_screen.h"
#include "screens/buttons_screen.h"
#include "screens/head_screen.h"
#include "screens/html_editing_screen.h"
#include "screens/links_advice_screen.h"
#include "screens/links_screen.h"
#include "screens/load_advice_screen.h"
#include "screens/more_advice_screen.h"
#include "screens/mouseover_advice_screen.h"
#include "screens/mouseover_buttons_screen.h"
#include "screens/mouseover_pictures_screen.h"
#include "screens/paragraph_screen.h"
#include "screens/ruler_screen.h"
#include "screens/select_directory_screen.h"
#include "screens/selected_backgrounds_screen.h"
#include "screens/selection_screen.h"
#include "screens/start_advice_screen.h"
#include "screens/start_screen.h"
#include "screens/text_link_screen.h"
#include "screens/text_picture_screen.h"
#include "screens/two_images_screen.h"
#include "support/fixture.h"
#include "support/gui.h"
#include "support/worked_example.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
const QString kStart = QStringLiteral("Form1");
const QString kPicker = QStringLiteral("nonComdlg");
const QString kHead = QStringLiteral("Form2");
const QString kBackground = QStringLiteral("Form3");
const QString kSelection = QStringLiteral("Form4");
const QString kParagraph = QStringLiteral("Form6");

QWidget *focused()
{
    return QApplication::focusWidget();
}

QString focusedName()
{
    QWidget *widget = focused();
    return widget ? widget->objectName() : QString();
}

// A key pressed on whatever has the keyboard, as a user would.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(focused(), key, modifiers);
}

void type(const QString &text)
{
    QTest::keyClicks(focused(), text);
}

// Presses Tab until the named control of the active screen has the keyboard.
// A control that Tab never reaches is not usable without a mouse.
bool tabTo(const QString &form, const char *name)
{
    for (int presses = 0; presses < 60; ++presses) {
        QWidget *widget = focused();
        if (widget && widget->objectName() == QLatin1String(name) &&
            widget->window()->objectName() == form)
            return true;
        if (!widget)
            return false;
        press(Qt::Key_Tab);
    }
    return false;
}

// The controls Tab visits from the one that has the keyboard, once round.
QStringList tabCycle()
{
    QStringList names;
    QWidget *first = focused();
    if (!first)
        return names;
    names << first->objectName();
    for (int presses = 0; presses < 80; ++presses) {
        press(Qt::Key_Tab);
        if (focused() == first)
            return names;
        names << focusedName();
    }
    return names << QStringLiteral("(no way round)");
}

// The controls a keyboard or screen-reader user works with, without the parts
// that Qt builds inside them (a combo box's field, a scroll bar's buttons).
QList<QWidget *> userControls(QWidget *screen)
{
    QList<QWidget *> controls;
    const QList<QWidget *> children = screen->findChildren<QWidget *>();
    for (QWidget *child : children) {
        const bool control = qobject_cast<QAbstractButton *>(child) ||
                             qobject_cast<QLineEdit *>(child) ||
                             qobject_cast<QPlainTextEdit *>(child) ||
                             qobject_cast<QComboBox *>(child) || qobject_cast<QListWidget *>(child);
        if (!control || child->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QWidget *parent = child->parentWidget();
        if (qobject_cast<QComboBox *>(parent) || qobject_cast<QAbstractScrollArea *>(parent) ||
            (parent && qobject_cast<QAbstractScrollArea *>(parent->parentWidget())))
            continue;
        controls << child;
    }
    return controls;
}

// Each shown control without an accessible name, as "screen/control".
QStringList unnamedControls(QWidget *screen)
{
    QStringList unnamed;
    const QList<QWidget *> controls = userControls(screen);
    for (QWidget *control : controls) {
        if (!control->isVisible())
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << screen->objectName() + QLatin1Char('/') + control->objectName();
    }
    return unnamed;
}

template <class Screen>
QStringList unnamedOn(Program &program)
{
    Screen *screen = program.workspace.screen<Screen>();
    bringToFront(screen);
    QStringList unnamed = unnamedControls(screen);
    screen->hide();
    return unnamed;
}
} // namespace

class TestKeyboard final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void workedExampleWithTheKeyboardAlone();
    void tabOrderFollowsReadingOrder();
    void optionGroupsAnswerTheArrowKeys();
    void everyControlHasAnAccessibleName();

private:
    // Start screen to the HEAD screen by keys, the folder list opened on "site".
    bool keysToHead();
    // HEAD and Background screens by keys, to the Selection screen.
    bool keysToSelection();
    bool waitForScreen(const QString &form);

    QTemporaryDir m_home;
    std::unique_ptr<Program> m_program;
};

void TestKeyboard::initTestCase()
{
    QVERIFY(m_home.isValid());
    // The folder list starts at the home folder.
    qputenv("HOME", QFile::encodeName(m_home.path()));
    QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral("site")));
}

void TestKeyboard::init()
{
    QFile::remove(m_home.filePath(QStringLiteral("site/page.html")));
    m_program = std::make_unique<Program>();
    QVERIFY(waitForScreen(kStart));
}

void TestKeyboard::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    m_program.reset();
}

bool TestKeyboard::waitForScreen(const QString &form)
{
    QWidget *screen = findScreen(form);
    if (!screen || !screen->isVisible())
        return false;
    // Activation reaches the offscreen platform through the event queue.
    return QTest::qWaitFor([screen] { return focused() && focused()->window() == screen; });
}

bool TestKeyboard::keysToHead()
{
    if (!tabTo(kStart, "Command1"))
        return false;
    press(Qt::Key_Space);
    if (!waitForScreen(kPicker) || !tabTo(kPicker, "Dir1"))
        return false;
    // The list shows the home folder chosen, its subfolders below it.
    auto *folders = qobject_cast<QListWidget *>(focused());
    press(Qt::Key_Down);
    if (!folders->currentItem() ||
        folders->currentItem()->text().trimmed() != QLatin1String("site"))
        return false;
    press(Qt::Key_Return);
    if (folders->property("path").toString() !=
        QDir::toNativeSeparators(m_home.filePath(QStringLiteral("site"))))
        return false;
    if (!tabTo(kPicker, "CmdUseFile"))
        return false;
    press(Qt::Key_Space);
    return waitForScreen(kHead);
}

bool TestKeyboard::keysToSelection()
{
    if (!tabTo(kHead, "Text1"))
        return false;
    type(QStringLiteral("My page"));
    press(Qt::Key_Tab);
    if (focusedName() != QLatin1String("Text2"))
        return false;
    type(QStringLiteral("Welcome"));
    if (!tabTo(kHead, "Command1"))
        return false;
    press(Qt::Key_Space);
    if (!waitForScreen(kBackground) || !tabTo(kBackground, "Command1"))
        return false;
    press(Qt::Key_Space);
    return waitForScreen(kSelection);
}

void TestKeyboard::workedExampleWithTheKeyboardAlone()
{
    QVERIFY(keysToHead());
    QVERIFY(keysToSelection());

    QVERIFY(tabTo(kSelection, "Command4"));
    press(Qt::Key_Space);
    QVERIFY(waitForScreen(kParagraph));
    QCOMPARE(focusedName(), QStringLiteral("Text1"));
    type(QStringLiteral("Hello"));
    QVERIFY(tabTo(kParagraph, "Command1"));
    m_program->dialogs.yesNoAnswers = {true};
    press(Qt::Key_Space);
    QCOMPARE(m_program->dialogs.questions.size(), 1);
    QVERIFY(waitForScreen(kSelection));

    const QString page = m_home.filePath(QStringLiteral("site/page"));
    QVERIFY(tabTo(kSelection, "Command10"));
    m_program->dialogs.saveAnswers = {page};
    press(Qt::Key_Space);
    QCOMPARE(m_program->dialogs.saveRequests.size(), 1);
    QCOMPARE(readAll(page + QStringLiteral(".html")), kWorkedExampleFile);
}

void TestKeyboard::tabOrderFollowsReadingOrder()
{
    // From the first control of each screen, once round, top to bottom and
    // left to right; an option group is one stop.
    QCOMPARE(focusedName(), QStringLiteral("Command5"));
    QCOMPARE(tabCycle(), QStringList({"Command5", "Command1", "Command6", "Command3", "Command2"}));

    QVERIFY(tabTo(kStart, "Command1"));
    press(Qt::Key_Space);
    QVERIFY(waitForScreen(kPicker));
    QVERIFY(tabTo(kPicker, "Drive1"));
    QCOMPARE(tabCycle(), QStringList({"Drive1", "Dir1", "CmdUseFile", "CmdCancelSetFileToNull"}));

    QVERIFY(tabTo(kPicker, "CmdUseFile"));
    press(Qt::Key_Space);
    QVERIFY(waitForScreen(kHead));
    QVERIFY(tabTo(kHead, "Text1"));
    QCOMPARE(tabCycle(), QStringList({"Text1", "Text2", "Option1", "Option4", "Option6", "Command2",
                                      "Command3", "Command1"}));

    QVERIFY(keysToSelection());
    // The page, the element buttons beside it, then the row below; Tab
    // leaves the page instead of being typed into it.
    QVERIFY(tabTo(kSelection, "Text1"));
    QCOMPARE(tabCycle(), QStringList({"Text1", "Command4", "Command11", "Command9", "Command5",
                                      "Command13", "Command7", "Command6", "Command8", "Command15",
                                      "Command12", "Command3", "Command10", "Command17",
                                      "Command16", "Command2", "Command14", "Command1"}));

    QVERIFY(tabTo(kSelection, "Command4"));
    press(Qt::Key_Space);
    QVERIFY(waitForScreen(kParagraph));
    QCOMPARE(tabCycle(), QStringList({"Text1", "Option1", "Option3", "Option10", "Command2",
                                      "Command3", "Command1"}));
}

void TestKeyboard::optionGroupsAnswerTheArrowKeys()
{
    QVERIFY(keysToHead());
    QVERIFY(tabTo(kHead, "Option1"));
    auto *h1 = findControl<QRadioButton>(kHead, "Option1");
    auto *h2 = findControl<QRadioButton>(kHead, "Option2");
    auto *h3 = findControl<QRadioButton>(kHead, "Option3");
    QVERIFY(h1->isChecked());
    press(Qt::Key_Down);
    QCOMPARE(focused(), h2);
    QVERIFY(h2->isChecked());
    QVERIFY(!h1->isChecked());
    press(Qt::Key_Down);
    QCOMPARE(focused(), h3);
    QVERIFY(h3->isChecked());
    press(Qt::Key_Up);
    QCOMPARE(focused(), h2);
    QVERIFY(h2->isChecked());
    // The arrows stay within the group: the font options keep their choice.
    QVERIFY(findControl<QRadioButton>(kHead, "Option4")->isChecked());
    QVERIFY(!findControl<QRadioButton>(kHead, "Option6")->isChecked());
}

void TestKeyboard::everyControlHasAnAccessibleName()
{
    Program &program = *m_program;
    QStringList unnamed = unnamedControls(findScreen(kStart));
    QVERIFY(keysToHead());
    unnamed += unnamedControls(findScreen(kHead));
    m_program->workspace.freshScreen<SelectDirectoryScreen>()->openToMakeFolder();
    unnamed += unnamedControls(findScreen(kPicker));
    m_program->workspace.freshScreen<SelectDirectoryScreen>()->close();
    unnamed += unnamedOn<BackgroundScreen>(program);
    unnamed += unnamedOn<SelectionScreen>(program);
    unnamed += unnamedOn<LoadAdviceScreen>(program);
    unnamed += unnamedOn<StartAdviceScreen>(program);
    unnamed += unnamedOn<SelectedBackgroundsScreen>(program);
    unnamed += unnamedOn<ParagraphScreen>(program);
    unnamed += unnamedOn<AnotherHeadingScreen>(program);
    unnamed += unnamedOn<RulerScreen>(program);
    unnamed += unnamedOn<AddPictureScreen>(program);
    unnamed += unnamedOn<TwoImagesScreen>(program);
    unnamed += unnamedOn<TextPictureScreen>(program);
    unnamed += unnamedOn<MouseOverPicturesScreen>(program);
    unnamed += unnamedOn<ButtonAdviceScreen>(program);
    unnamed += unnamedOn<LinksAdviceScreen>(program);
    unnamed += unnamedOn<LinksScreen>(program);
    unnamed += unnamedOn<TextLinkScreen>(program);
    unnamed += unnamedOn<ButtonsScreen>(program);
    unnamed += unnamedOn<ButtonTitlesScreen>(program);
    unnamed += unnamedOn<MouseOverButtonsScreen>(program);
    unnamed += unnamedOn<ButtonFilesScreen>(program);
    unnamed += unnamedOn<MouseOverAdviceScreen>(program);
    unnamed += unnamedOn<MoreAdviceScreen>(program);
    unnamed += unnamedOn<HtmlEditingScreen>(program);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1String(", "))));
}

TARNWELL_GUI_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"

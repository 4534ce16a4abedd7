#include "screens/button_advice_screen.h"
#include "screens/html_editing_screen.h"
#include "screens/links_advice_screen.h"
#include "screens/links_screen.h"
#include "screens/more_advice_screen.h"
#include "screens/mouseover_advice_screen.h"
#include "screens/start_advice_screen.h"
#include "support/fixture.h"
#include "support/gui.h"
#include "support/walks.h"
#include "ui/workspace.h"

#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
const QString kStart = QStringLiteral("Form1");
const QString kSelection = QStringLiteral("Form4");
const QString kLinks = QStringLiteral("Form11");
const QString kButtonAdvice = QStringLiteral("Form16");
const QString kStartAdvice = QStringLiteral("Form17");
const QString kHtmlEditing = QStringLiteral("Form22");
const QString kMoreAdvice = QStringLiteral("Form23");
const QString kLinksAdvice = QStringLiteral("Form25");
const QString kMouseOverAdvice = QStringLiteral("Form26");

QString labelText(const QString &form, const char *name)
{
    const auto *label = findControl<QLabel>(form, name);
    return label ? label->text() : QString();
}

// Empty when every label of the screen shows its whole text, wrapped, in a
// proportional font; otherwise what is wrong.
QString textProblems(QWidget *screen)
{
    QCoreApplication::sendPostedEvents();
    screen->layout()->activate();
    QStringList problems;
    if (screen->width() > 1000 || screen->height() > 800)
        problems
            << QStringLiteral("window too large: %1x%2").arg(screen->width()).arg(screen->height());
    const QList<QLabel *> labels = screen->findChildren<QLabel *>();
    int texts = 0;
    for (const QLabel *label : labels) {
        if (!label->objectName().startsWith(QLatin1String("Label")))
            continue;
        ++texts;
        const QString name = label->objectName();
        if (!label->isVisible())
            problems << name + QStringLiteral(" hidden");
        if (!label->wordWrap() || label->textFormat() != Qt::PlainText)
            problems << name + QStringLiteral(" not wrapped plain text");
        if (QFontInfo(label->font()).fixedPitch())
            problems << name + QStringLiteral(" in a fixed-pitch font");
        const int needed = label->heightForWidth(label->width());
        if (label->height() < needed)
            problems << QStringLiteral("%1 is %2 high at width %3 but needs %4")
                            .arg(name)
                            .arg(label->height())
                            .arg(label->width())
                            .arg(needed);
        if (!screen->rect().contains(label->geometry()))
            problems << name + QStringLiteral(" reaches outside the window");
    }
    if (texts == 0)
        problems << QStringLiteral("no texts");
    return problems.join(QLatin1String("; "));
}
} // namespace

class TestAdviceScreens final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startAdvice();
    void startAdviceCloseBox();
    void buttonAdvice();
    void buttonAdviceContinueShowsBothMakeButtons();
    void htmlEditing();
    void moreAdvice();
    void linksAdviceIsFreshEachTime();
    void mouseOverAdvice();

private:
    Workspace &workspace() { return m_program->workspace; }

    QTemporaryDir m_home;
    QTemporaryDir m_session;
    std::unique_ptr<Program> m_program;
};

void TestAdviceScreens::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestAdviceScreens::init()
{
    m_program = std::make_unique<Program>();
}

void TestAdviceScreens::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    // The throw-away screens belong to no one but themselves.
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevels) {
        if (widget->objectName() == kLinksAdvice || widget->objectName() == kMouseOverAdvice)
            delete widget;
    }
    m_program.reset();
    QDir folder(m_session.path());
    folder.removeRecursively();
    folder.mkpath(QStringLiteral("."));
}

void TestAdviceScreens::startAdvice()
{
    QWidget *start = findScreen(kStart);
    QVERIFY(start);
    start->hide();
    auto *advice = workspace().screen<StartAdviceScreen>();
    bringToFront(advice);
    QCOMPARE(advice->objectName(), kStartAdvice);
    QCOMPARE(advice->windowTitle(), QStringLiteral("Advice"));
    QVERIFY(advice->isWindow());
    QVERIFY(labelText(kStartAdvice, "Label1")
                .startsWith(QStringLiteral("Tarnwell writes simple web pages. ")));
    QCOMPARE(labelText(kStartAdvice, "Label2"),
             QStringLiteral("Do not delete ANY files in the Tarnwell folders or the program "
                            "won't run. All backgrounds to be found in Tarnwell are used by the "
                            "program."));
    QVERIFY(labelText(kStartAdvice, "Label3")
                .startsWith(QStringLiteral("You are strongly advised to name files in lower "
                                           "case, no spaces, no punctuation. ")));
    QCOMPARE(textProblems(advice), QString());

    QVERIFY(clickButton(kStartAdvice, "Command1"));
    QVERIFY(!isShown(kStartAdvice));
    QVERIFY(isShown(kStart));
}

void TestAdviceScreens::startAdviceCloseBox()
{
    findScreen(kStart)->hide();
    QPointer<QWidget> advice = workspace().screen<StartAdviceScreen>();
    bringToFront(advice);
    advice->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!advice.isNull());
    QVERIFY(!isShown(kStartAdvice));
    QVERIFY(isShown(kStart));
}

void TestAdviceScreens::buttonAdvice()
{
    QVERIFY(walkToSelection(m_session.path(), QStringLiteral("My page"), QStringLiteral("Hi")));
    findScreen(kSelection)->hide();
    auto *advice = workspace().screen<ButtonAdviceScreen>();
    bringToFront(advice);
    QCOMPARE(advice->objectName(), kButtonAdvice);
    QCOMPARE(advice->windowTitle(), QStringLiteral("Advice"));
    QVERIFY(labelText(kButtonAdvice, "Label1")
                .startsWith(QStringLiteral(
                    "If you want to use buttons as links, the next part of this program "
                    "requires button files already created (or you need to know what their "
                    "filenames will be). ")));
    QCOMPARE(labelText(kButtonAdvice, "Label2"),
             QStringLiteral("page1.gif     page1a.gif    nextpage.jpg    nextpage2.jpg"));
    QCOMPARE(textProblems(advice), QString());

    QVERIFY(clickButton(kButtonAdvice, "Command2"));
    QVERIFY(!isShown(kButtonAdvice));
    QVERIFY(isShown(kSelection));

    bringToFront(advice);
    advice->close();
    QVERIFY(findScreen(kButtonAdvice));
    QVERIFY(!isShown(kButtonAdvice));
    QVERIFY(isShown(kSelection));
}

void TestAdviceScreens::buttonAdviceContinueShowsBothMakeButtons()
{
    workspace().screen<LinksScreen>();
    auto *makeButtons = findControl<QWidget>(kLinks, "Command2");
    auto *makeMouseOver = findControl<QWidget>(kLinks, "Command3");
    QVERIFY(makeButtons && makeMouseOver);
    makeButtons->hide();
    makeMouseOver->hide();
    bringToFront(workspace().screen<ButtonAdviceScreen>());

    QVERIFY(clickButton(kButtonAdvice, "Command1"));
    QVERIFY(!isShown(kButtonAdvice));
    QVERIFY(isShown(kLinks));
    QVERIFY(makeButtons->isVisible());
    QVERIFY(makeMouseOver->isVisible());
}

void TestAdviceScreens::htmlEditing()
{
    QVERIFY(walkToSelection(m_session.path(), QStringLiteral("My page"), QStringLiteral("Hi")));
    findScreen(kSelection)->hide();
    auto *editing = workspace().screen<HtmlEditingScreen>();
    bringToFront(editing);
    QCOMPARE(editing->objectName(), kHtmlEditing);
    QCOMPARE(editing->windowTitle(), QStringLiteral("HTML Editing"));
    QVERIFY(labelText(kHtmlEditing, "Label1")
                .startsWith(QStringLiteral(
                    "The HTML code you see in the white textbox may be edited carefully. ")));
    QVERIFY(labelText(kHtmlEditing, "Label2")
                .startsWith(QStringLiteral(
                    "If you are a beginner, you'll be surprised to discover that in HTML code, "
                    "adding spaces and carriage-returns, or putting in loads of paragraph "
                    "breaks has no effect. ")));
    QVERIFY(labelText(kHtmlEditing, "Label3")
                .startsWith(QStringLiteral("Web pages are effective if they are not too long. ")));
    const auto *picture = findControl<QLabel>(kHtmlEditing, "Image1");
    QVERIFY(picture && picture->isVisible());
    QVERIFY(!picture->pixmap().isNull());
    QVERIFY(
        !picture->geometry().intersects(findControl<QLabel>(kHtmlEditing, "Label1")->geometry()));
    QCOMPARE(textProblems(editing), QString());

    QVERIFY(clickButton(kHtmlEditing, "Command2"));
    QVERIFY(!isShown(kHtmlEditing));
    QVERIFY(isShown(kMoreAdvice));
    QVERIFY(!isShown(kSelection));

    bringToFront(editing);
    QVERIFY(clickButton(kHtmlEditing, "Command1"));
    QVERIFY(!isShown(kHtmlEditing));
    QVERIFY(isShown(kSelection));

    findScreen(kSelection)->hide();
    bringToFront(editing);
    editing->close();
    QVERIFY(findScreen(kHtmlEditing));
    QVERIFY(!isShown(kHtmlEditing));
    QVERIFY(isShown(kSelection));
}

void TestAdviceScreens::moreAdvice()
{
    QVERIFY(walkToSelection(m_session.path(), QStringLiteral("My page"), QStringLiteral("Hi")));
    QVERIFY(isShown(kSelection));
    auto *more = workspace().screen<MoreAdviceScreen>();
    bringToFront(more);
    QCOMPARE(more->objectName(), kMoreAdvice);
    QCOMPARE(more->windowTitle(), QStringLiteral("More Advice"));
    QVERIFY(labelText(kMoreAdvice, "Label1")
                .startsWith(QStringLiteral(
                    "Limit your editing to spelling correction and simple stuff! ")));
    QVERIFY(labelText(kMoreAdvice, "Label2")
                .startsWith(QStringLiteral(
                    "Once you EXIT the program that's it! You cannot reload your file so save "
                    "frequently as you go along. ")));
    QVERIFY(labelText(kMoreAdvice, "Label3")
                .startsWith(QStringLiteral(
                    "Indents? The convention is to use BLOCKQUOTE tags, but there's a slightly "
                    "illegal code which works very well. ")));
    QVERIFY(labelText(kMoreAdvice, "Label4")
                .startsWith(QStringLiteral("FINALLY - web pages do not display exactly the "
                                           "same on every computer. ")));
    QCOMPARE(textProblems(more), QString());

    QVERIFY(clickButton(kMoreAdvice, "Command1"));
    QVERIFY(!isShown(kMoreAdvice));
    QVERIFY(isShown(kSelection));

    findScreen(kSelection)->hide();
    bringToFront(more);
    more->close();
    QVERIFY(findScreen(kMoreAdvice));
    QVERIFY(!isShown(kMoreAdvice));
    QVERIFY(isShown(kSelection));
}

void TestAdviceScreens::linksAdviceIsFreshEachTime()
{
    QPointer<QWidget> first = LinksAdviceScreen::open(workspace());
    QVERIFY(first);
    QVERIFY(isShown(kLinksAdvice));
    QCOMPARE(first->windowTitle(), QStringLiteral("Advice"));
    QVERIFY(labelText(kLinksAdvice, "Label1")
                .startsWith(QStringLiteral(
                    "MouseOver buttons are those where the button image changes as you move "
                    "the cursor over it. ")));
    QVERIFY(labelText(kLinksAdvice, "Label2")
                .startsWith(QStringLiteral(
                    "It is good practice to name every file in lower case, especially links "
                    "such as e.g. page2.html as web servers are case-sensitive. ")));
    QCOMPARE(textProblems(first), QString());

    QVERIFY(clickButton(kLinksAdvice, "Command1"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!findScreen(kLinksAdvice));

    QPointer<QWidget> second = LinksAdviceScreen::open(workspace());
    QVERIFY(second);
    QCOMPARE(findScreen(kLinksAdvice), second.data());
    QVERIFY(isShown(kLinksAdvice));

    // The close box destroys it too.
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(second.isNull());
}

void TestAdviceScreens::mouseOverAdvice()
{
    QPointer<QWidget> first = MouseOverAdviceScreen::open(workspace());
    QVERIFY(first);
    QVERIFY(isShown(kMouseOverAdvice));
    QCOMPARE(first->windowTitle(), QStringLiteral("Advice"));
    QVERIFY(labelText(kMouseOverAdvice, "Label1")
                .startsWith(QStringLiteral("MouseOver pictures are those where the picture "
                                           "changes when the cursor is over it. ")));
    QVERIFY(labelText(kMouseOverAdvice, "Label2")
                .startsWith(QStringLiteral("Prepare your images in advance. ")));
    QCOMPARE(textProblems(first), QString());

    QVERIFY(clickButton(kMouseOverAdvice, "Command1"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());

    QPointer<QWidget> second = MouseOverAdviceScreen::open(workspace());
    QVERIFY(second);
    QCOMPARE(findScreen(kMouseOverAdvice), second.data());
}

QTEST_MAIN(TestAdviceScreens)
#include "tst_advice_screens.moc"

#include "support/fixture.h"
#include "support/gui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
const QString kHead = QStringLiteral("Form2");

bool choose(const char *name)
{
    auto *button = findControl<QRadioButton>(kHead, name);
    if (!button || !button->isVisible())
        return false;
    // On the round indicator, as a user would click.
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect indicator =
        button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, {}, indicator.center());
    return button->isChecked();
}
} // namespace

class TestHeadScreen final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void defaultsGiveTheWorkedExample();
    void choicesShapeTheHeading();
    void colourChoice();
    void textIsKeptAsTyped();
    void backReturnsToStart();

private:
    // From the Start screen through a new session folder to the HEAD screen.
    bool reachHead();

    QTemporaryDir m_place;
    std::unique_ptr<Program> m_program;
};

void TestHeadScreen::init()
{
    m_program = std::make_unique<Program>();
    QVERIFY(reachHead());
}

void TestHeadScreen::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    m_program.reset();
}

bool TestHeadScreen::reachHead()
{
    static int serial = 0;
    const QString nonComdlg = QStringLiteral("nonComdlg");
    if (!clickButton(QStringLiteral("Form1"), "Command5"))
        return false;
    findControl<QWidget>(nonComdlg, "Dir1")->setProperty("path", m_place.path());
    return typeInto(nonComdlg, "Text1", QStringLiteral("site%1").arg(++serial)) &&
           clickButton(nonComdlg, "CmdUseFile") && clickButton(nonComdlg, "Command1") &&
           isShown(kHead);
}

void TestHeadScreen::defaultsGiveTheWorkedExample()
{
    QCOMPARE(findScreen(kHead)->windowTitle(), QStringLiteral("HEAD"));
    for (const char *checked : {"Option1", "Option4", "Option7"})
        QVERIFY2(findControl<QRadioButton>(kHead, checked)->isChecked(), checked);
    QCOMPARE(findControl<QRadioButton>(kHead, "Option3")->text(), QStringLiteral(" H3 size"));

    QVERIFY(typeInto(kHead, "Text1", QStringLiteral("My page")));
    QVERIFY(typeInto(kHead, "Text2", QStringLiteral("Welcome")));
    QVERIFY(clickButton(kHead, "Command1"));

    QCOMPARE(m_program->session.pageTitle(), QStringLiteral("My page"));
    QCOMPARE(
        m_program->session.heading().text(),
        QStringLiteral("<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>"));
    QVERIFY(!isShown(kHead));
    QVERIFY(isShown(QStringLiteral("Form3")));
    QCOMPARE(findScreen(QStringLiteral("Form3"))->windowTitle(), QStringLiteral("Background"));
    QVERIFY(m_program->dialogs.messages.isEmpty());
}

void TestHeadScreen::choicesShapeTheHeading()
{
    QVERIFY(typeInto(kHead, "Text2", QStringLiteral("News")));
    QVERIFY(choose("Option3"));
    QVERIFY(choose("Option5"));
    QVERIFY(choose("Option6"));
    QVERIFY(clickButton(kHead, "Command1"));
    QCOMPARE(m_program->session.heading().text(),
             QStringLiteral("<CENTER><H3><FONT COLOR=\"#0000FF\" FACE=\"Arial, Helvetica\">News"
                            "</FONT></H3></CENTER>"));

    // Back again: the choices are kept, and each Next reflects only the latest.
    QWidget *head = findScreen(kHead);
    head->show();
    QVERIFY(findControl<QRadioButton>(kHead, "Option3")->isChecked());
    QVERIFY(choose("Option2"));
    QVERIFY(choose("Option7"));
    QVERIFY(clickButton(kHead, "Command1"));
    QCOMPARE(
        m_program->session.heading().text(),
        QStringLiteral("<H2><FONT COLOR=\"#0000FF\" FACE=\"Arial, Helvetica\">News</FONT></H2>"));
}

void TestHeadScreen::colourChoice()
{
    auto *heading = findControl<QPlainTextEdit>(kHead, "Text2");
    m_program->dialogs.colourAnswers = {255, std::nullopt};
    QVERIFY(clickButton(kHead, "Command2"));
    QCOMPARE(m_program->dialogs.colourStarts.last(), 0xFF0000); // starts at blue
    QCOMPARE(heading->palette().color(QPalette::Text), QColor(255, 0, 0));

    // Cancelling keeps the colour chosen before.
    QVERIFY(clickButton(kHead, "Command2"));
    QCOMPARE(m_program->dialogs.colourStarts.last(), 255);
    QCOMPARE(heading->palette().color(QPalette::Text), QColor(255, 0, 0));

    QVERIFY(typeInto(kHead, "Text2", QStringLiteral("Hot")));
    QVERIFY(choose("Option2")); // size does not touch the colour
    QVERIFY(clickButton(kHead, "Command1"));
    QCOMPARE(m_program->session.heading().opening,
             QStringLiteral("<H2><FONT COLOR=\"#FF0000\" FACE=\"Times New Roman\">Hot"));
}

void TestHeadScreen::textIsKeptAsTyped()
{
    const QString title = QStringLiteral("Fish & <Chips> \"жизнь\" \U0001F600");
    QVERIFY(typeInto(kHead, "Text1", title));
    QVERIFY(typeInto(kHead, "Text2", QStringLiteral("Line <one> &\nline two")));
    QVERIFY(clickButton(kHead, "Command1"));
    QCOMPARE(m_program->session.pageTitle(), title);
    QCOMPARE(m_program->session.heading().opening,
             QStringLiteral("<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">"
                            "Line <one> &\r\nline two"));

    findScreen(kHead)->show();
    QVERIFY(typeInto(kHead, "Text1", QString()));
    QVERIFY(typeInto(kHead, "Text2", QString()));
    QVERIFY(clickButton(kHead, "Command1"));
    QCOMPARE(m_program->session.pageTitle(), QString());
    QCOMPARE(m_program->session.heading().text(),
             QStringLiteral("<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\"></FONT></H1>"));
}

void TestHeadScreen::backReturnsToStart()
{
    QVERIFY(typeInto(kHead, "Text1", QStringLiteral("Kept")));
    QVERIFY(clickButton(kHead, "Command3"));
    QVERIFY(!isShown(kHead));
    QVERIFY(isShown(QStringLiteral("Form1")));
    QVERIFY(reachHead());
    QCOMPARE(findControl<QLineEdit>(kHead, "Text1")->text(), QStringLiteral("Kept"));

    findScreen(kHead)->close(); // the close box is Back
    QVERIFY(!isShown(kHead));
    QVERIFY(isShown(QStringLiteral("Form1")));
}

QTEST_MAIN(TestHeadScreen)
#include "tst_head_screen.moc"

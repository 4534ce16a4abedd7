#include "support/fixture.h"
#include "support/gui.h"
#include "support/walks.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
const QString kSelection = QStringLiteral("Form4");
const QString kLinks = QStringLiteral("Form11");
const QString kTextLink = QStringLiteral("Form12");
const QString kMouseOverButtons = QStringLiteral("Form14");
const QString kButtonFiles = QStringLiteral("Form15");
const QString kButtonAdvice = QStringLiteral("Form16");
const QString kMouseOverPictures = QStringLiteral("Form18");
const QString kButtons = QStringLiteral("Form19");
const QString kButtonTitles = QStringLiteral("Form20");
const QString kSure = QStringLiteral("Are you absolutely sure that you typed all links correctly");

bool choose(const QString &form, const char *name)
{
    auto *option = findControl<QRadioButton>(form, name);
    if (!option || !option->isVisible())
        return false;
    option->click();
    return option->isChecked();
}

// Shown on its screen, whether or not the screen itself is in view.
bool shown(const QString &form, const char *name)
{
    auto *control = findControl<QWidget>(form, name);
    return control && control->isVisibleTo(control->window());
}

QString text(const QString &form, const char *name)
{
    auto *field = findControl<QLineEdit>(form, name);
    return field ? field->text() : QStringLiteral("<missing>");
}

QString makePicture(const QString &path, Qt::GlobalColor colour)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "PNG") ? QDir::toNativeSeparators(path) : QString();
}
} // namespace

class TestLinkScreens final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void adviceLeadsToLinks();
    void textLinks();
    void mouseOverButtons();
    void mouseOverButtonRows();
    void buttonLinks();
    void mouseOverPictures();
    void cancelsRestoreMakeButtons();

private:
    QString added() const { return m_program->session.page().text().mid(m_before.size()); }
    void mark() { m_before = m_program->session.page().text(); }
    bool openLinks();

    QTemporaryDir m_home;
    QTemporaryDir m_session;
    QTemporaryDir m_pictures;
    std::unique_ptr<Program> m_program;
    QString m_before;
};

void TestLinkScreens::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestLinkScreens::init()
{
    m_program = std::make_unique<Program>();
    QVERIFY(walkToSelection(m_session.path(), QStringLiteral("Links"), QStringLiteral("Links")));
    m_program->dialogs.messages.clear();
    mark();
}

void TestLinkScreens::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    m_program.reset();
    QDir(m_session.path()).removeRecursively();
    QDir().mkpath(m_session.path());
}

bool TestLinkScreens::openLinks()
{
    return clickButton(kSelection, "Command8") && isShown(kButtonAdvice) &&
           clickButton(kButtonAdvice, "Command1") && isShown(kLinks);
}

void TestLinkScreens::adviceLeadsToLinks()
{
    QVERIFY(clickButton(kSelection, "Command8"));
    QVERIFY(!shown(kSelection, "Command2"));
    QVERIFY(isShown(kButtonAdvice));
    QVERIFY(clickButton(kButtonAdvice, "Command2")); // Back
    QVERIFY(!isShown(kButtonAdvice));
    QVERIFY(isShown(kSelection));

    QVERIFY(openLinks());
    QVERIFY(!isShown(kButtonAdvice));
    findControl<QWidget>(kLinks, "Command2")->hide();
    findControl<QWidget>(kLinks, "Command3")->hide();
    QVERIFY(clickButton(kLinks, "Command1")); // Cancel
    QVERIFY(!isShown(kLinks));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kSelection, "Command3"));
    QVERIFY(openLinks());
    QVERIFY(shown(kLinks, "Command2") && shown(kLinks, "Command3"));
}

void TestLinkScreens::textLinks()
{
    QVERIFY(openLinks());
    QVERIFY(clickButton(kLinks, "Command3"));
    QVERIFY(isShown(kTextLink));
    QVERIFY(isShown(kLinks));
    QVERIFY(!shown(kLinks, "Command2"));
    QCOMPARE(text(kTextLink, "Text1"), QStringLiteral(".html"));

    // The address from a page picked on disk: its name only, nothing copied.
    m_program->dialogs.openAnswers = {
        QString(), QDir::toNativeSeparators(m_pictures.filePath(QStringLiteral("Page Two.html")))};
    QVERIFY(clickButton(kTextLink, "Command2"));
    QCOMPARE(text(kTextLink, "Text1"), QStringLiteral(".html"));
    QVERIFY(clickButton(kTextLink, "Command2"));
    QCOMPARE(text(kTextLink, "Text1"), QStringLiteral("Page Two.html"));
    QVERIFY(QDir(m_session.path()).entryList(QDir::Files).isEmpty());

    QVERIFY(typeInto(kTextLink, "Text2", QStringLiteral("To Page 2")));
    QVERIFY(clickButton(kTextLink, "Command1"));
    QCOMPARE(added(),
             QStringLiteral("\r\n<CENTER>\r\n<P></P><A HREF=\"Page Two.html\"><B><FONT "
                            "FACE=\"Times New Roman\" COLOR=\"#0000FF\" SIZE=\"2\">To Page "
                            "2</B></FONT></A></CENTER>"));
    QVERIFY(!isShown(kTextLink));
    QVERIFY(isShown(kLinks));
    QVERIFY(!shown(kLinks, "Command2"));

    // Everything is kept for the next link; this one plain, in red, Arial 4.
    mark();
    QVERIFY(clickButton(kLinks, "Command3"));
    QCOMPARE(text(kTextLink, "Text2"), QStringLiteral("To Page 2"));
    QVERIFY(choose(kTextLink, "Option2") && choose(kTextLink, "Option4"));
    QVERIFY(choose(kTextLink, "Option7") && choose(kTextLink, "Option9"));
    m_program->dialogs.colourAnswers = {255};
    QVERIFY(clickButton(kTextLink, "Command4"));
    QVERIFY(typeInto(kTextLink, "Text2", QString()));
    QVERIFY(clickButton(kTextLink, "Command1"));
    QCOMPARE(added(), QStringLiteral("\r\n<P></P><A HREF=\"Page Two.html\"><FONT FACE=\"Arial, "
                                     "Helvetica\" COLOR=\"#FF0000\" SIZE=\"4\"></FONT></A>"));
    QVERIFY(m_program->dialogs.messages.isEmpty());
}

void TestLinkScreens::mouseOverButtons()
{
    QVERIFY(openLinks());
    QVERIFY(clickButton(kLinks, "Command4"));
    QVERIFY(!isShown(kLinks));
    QVERIFY(isShown(kMouseOverButtons));
    for (const char *option :
         {"Option1", "Option2", "Option3", "Option5", "Option6", "Option7", "Option8"})
        QVERIFY2(!findControl<QRadioButton>(kMouseOverButtons, option)->isChecked(), option);

    // No layout: nothing is written, yet the set counts as made.
    QVERIFY(clickButton(kMouseOverButtons, "Command1"));
    QVERIFY(isShown(kButtonFiles));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kButtonFiles, "Command1"));
    m_program->dialogs.yesNoAnswers = {false, true};
    QVERIFY(clickButton(kButtonFiles, "Command1"));
    QCOMPARE(m_program->dialogs.questions.last(), kSure);
    QVERIFY(isShown(kButtonFiles));
    QCOMPARE(findControl<QPushButton>(kLinks, "Command4")->text(),
             QStringLiteral("Make MouseOver buttons"));
    QVERIFY(clickButton(kButtonFiles, "Command1"));
    QCOMPARE(added(), QString());
    QVERIFY(!isShown(kButtonFiles));
    auto *entry = findControl<QPushButton>(kLinks, "Command4");
    QCOMPARE(entry->text(), QStringLiteral("Installed"));
    QVERIFY(!entry->isEnabled());

    // "Clear the page (new)" does not bring the entry back.
    QVERIFY(clickButton(kSelection, "Command16"));
    QVERIFY(walkToSelection(m_session.path(), QStringLiteral("Links"), QStringLiteral("Links")));
    QVERIFY(openLinks());
    QVERIFY(!findControl<QPushButton>(kLinks, "Command4")->isEnabled());
}

void TestLinkScreens::mouseOverButtonRows()
{
    const QString home = makePicture(m_pictures.filePath(QStringLiteral("home.png")), Qt::blue);
    const QString over = makePicture(m_pictures.filePath(QStringLiteral("home2.png")), Qt::red);
    QVERIFY(openLinks());
    QVERIFY(clickButton(kLinks, "Command4"));
    QVERIFY(choose(kMouseOverButtons, "Option8")); // 5 across
    QVERIFY(clickButton(kMouseOverButtons, "Command1"));
    for (const char *field : {"Text13", "Text14", "Text15", "Command11", "Command12"})
        QVERIFY2(shown(kButtonFiles, field), field);
    QVERIFY(!findControl<QWidget>(kButtonFiles, "Text1")->isEnabled());

    // Back, then "2 across": rows 3 to 5 are hidden completely.
    QVERIFY(clickButton(kButtonFiles, "Command2"));
    QVERIFY(openLinks());
    QVERIFY(clickButton(kLinks, "Command4"));
    QVERIFY(choose(kMouseOverButtons, "Option1"));
    QVERIFY(clickButton(kMouseOverButtons, "Command1"));
    for (int row = 3; row <= 5; ++row) {
        QVERIFY(!findControl<QWidget>(kButtonFiles,
                                      QByteArray("Label" + QByteArray::number(row)).constData())
                     ->isEnabled());
        for (int field = 3 * row - 2; field <= 3 * row; ++field)
            QVERIFY(
                !shown(kButtonFiles, QByteArray("Text" + QByteArray::number(field)).constData()));
        for (int find = 2 * row + 1; find <= 2 * row + 2; ++find)
            QVERIFY(
                !shown(kButtonFiles, QByteArray("Command" + QByteArray::number(find)).constData()));
    }
    QVERIFY(findControl<QWidget>(kButtonFiles, "Label2")->isEnabled());

    // "4 across" writes four buttons, whatever row 5 holds.
    QVERIFY(clickButton(kButtonFiles, "Command2"));
    QVERIFY(openLinks());
    QVERIFY(clickButton(kLinks, "Command4"));
    QVERIFY(choose(kMouseOverButtons, "Option2"));
    QVERIFY(clickButton(kMouseOverButtons, "Command1"));
    QVERIFY(!shown(kButtonFiles, "Text13"));
    findControl<QLineEdit>(kButtonFiles, "Text15")->setText(QStringLiteral("unused.html"));
    m_program->dialogs.openAnswers = {home, over};
    QVERIFY(clickButton(kButtonFiles, "Command3"));
    QVERIFY(clickButton(kButtonFiles, "Command4"));
    QCOMPARE(text(kButtonFiles, "Text1"), QStringLiteral("home.png"));
    QCOMPARE(text(kButtonFiles, "Text2"), QStringLiteral("home2.png"));
    QVERIFY(QFileInfo::exists(m_session.filePath(QStringLiteral("home2.png"))));
    QVERIFY(typeInto(kButtonFiles, "Text3", QStringLiteral("page2.html")));
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kButtonFiles, "Command1"));
    const QString page = added();
    QVERIFY(page.startsWith(QStringLiteral(
        "\r\n<A HREF=\"page2.html\" ONMOUSEOVER=\"button1.src='home2.png'\"\r\n ONMOUSEOUT="
        "\"button1.src='home.png'\">\r\n<IMG SRC=\"home.png\" NAME=\"button1\" BORDER=\"0\"></A>"
        "\r\n<A HREF=\".html\" ONMOUSEOVER=\"button2.src=''\"")));
    QCOMPARE(page.count(QStringLiteral("<A HREF")), 4);
    QVERIFY(page.contains(QStringLiteral("NAME=\"button4\"")));
    QVERIFY(!page.contains(QStringLiteral("unused")));
    QVERIFY(!page.contains(QStringLiteral("<P></P>")));
}

void TestLinkScreens::buttonLinks()
{
    const QString home = makePicture(m_pictures.filePath(QStringLiteral("home.png")), Qt::blue);
    QVERIFY(openLinks());
    QVERIFY(clickButton(kLinks, "Command2"));
    QVERIFY(!isShown(kLinks));
    QVERIFY(isShown(kButtons));
    QVERIFY(findControl<QRadioButton>(kButtons, "Option2")->isChecked()); // 4 across
    QVERIFY(choose(kButtons, "Option1"));                                 // 2 across
    QVERIFY(clickButton(kButtons, "Command1"));
    QVERIFY(isShown(kButtonTitles));
    for (const char *hidden :
         {"Text5", "Text6", "Label6", "Label7", "Command4", "Text9", "Label11", "Command6"})
        QVERIFY2(!shown(kButtonTitles, hidden), hidden);
    QVERIFY(shown(kButtonTitles, "Text3") && shown(kButtonTitles, "Command3"));

    m_program->dialogs.openAnswers = {home};
    QVERIFY(clickButton(kButtonTitles, "Command2"));
    QCOMPARE(text(kButtonTitles, "Text1"), QStringLiteral("home.png"));
    QVERIFY(typeInto(kButtonTitles, "Text2", QStringLiteral("index.html")));
    QVERIFY(typeInto(kButtonTitles, "Text3", QStringLiteral("next.gif")));
    QVERIFY(typeInto(kButtonTitles, "Text4", QStringLiteral("page2.html")));
    QVERIFY(typeInto(kButtonTitles, "Text5", QStringLiteral("hidden.gif")));
    m_program->dialogs.yesNoAnswers = {false, true};
    QVERIFY(clickButton(kButtonTitles, "Command1"));
    QCOMPARE(added(), QString());
    QVERIFY(isShown(kButtonTitles));
    QVERIFY(clickButton(kButtonTitles, "Command1"));
    QCOMPARE(
        added(),
        QStringLiteral(
            "\r\n<A HREF=\"index.html\" TARGET =\"_top\"><IMG SRC=\"home.png\" BORDER=\"0\"></A>"
            "\r\n<A HREF=\"page2.html\" TARGET =\"_top\"><IMG SRC=\"next.gif\" "
            "BORDER=\"0\"></A><P></P>"));
    QVERIFY(!isShown(kButtonTitles));

    // "3 down" afterwards shows the third row again and writes each on its own.
    mark();
    QVERIFY(openLinks());
    QVERIFY(clickButton(kLinks, "Command2"));
    QVERIFY(choose(kButtons, "Option5"));
    QVERIFY(clickButton(kButtons, "Command1"));
    QVERIFY(shown(kButtonTitles, "Text5") && !shown(kButtonTitles, "Text7"));
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kButtonTitles, "Command1"));
    QCOMPARE(added().count(QStringLiteral("</A><P></P>")), 3);
    QVERIFY(added().endsWith(QStringLiteral("\r\n<A HREF=\".html\" TARGET =\"_top\"><IMG "
                                            "SRC=\"hidden.gif\" BORDER=\"0\"></A><P></P>")));
}

void TestLinkScreens::mouseOverPictures()
{
    QVERIFY(clickButton(kSelection, "Command6"));
    QCOMPARE(m_program->dialogs.messages.last().text,
             QStringLiteral("Pictures/photos need to be about the same size OK?"));
    QCOMPARE(m_program->dialogs.messages.last().icon, Interaction::Icon::None);
    QVERIFY(isShown(kMouseOverPictures));
    QVERIFY(isShown(kSelection));
    QVERIFY(!shown(kSelection, "Command2"));
    for (const char *hidden : {"Text3", "Text4", "Text6", "Command3", "Command4"})
        QVERIFY2(!shown(kMouseOverPictures, hidden), hidden);

    QVERIFY(typeInto(kMouseOverPictures, "Text1", QStringLiteral("a.jpg")));
    QVERIFY(typeInto(kMouseOverPictures, "Text2", QStringLiteral("b.jpg")));
    QVERIFY(clickButton(kMouseOverPictures, "Command6"));
    QCOMPARE(m_program->dialogs.messages.last().text,
             QStringLiteral("You have not filled in all the boxes!"));
    QCOMPARE(m_program->dialogs.messages.last().icon, Interaction::Icon::Critical);
    QCOMPARE(added(), QString());

    QVERIFY(typeInto(kMouseOverPictures, "Text5", QStringLiteral("gondola5")));
    QVERIFY(choose(kMouseOverPictures, "Option2"));
    QVERIFY(shown(kMouseOverPictures, "Text6") && shown(kMouseOverPictures, "Command4"));
    QVERIFY(typeInto(kMouseOverPictures, "Text3", QStringLiteral("c.jpg")));
    QVERIFY(typeInto(kMouseOverPictures, "Text4", QStringLiteral("d.jpg")));
    const qsizetype messages = m_program->dialogs.messages.size();
    QVERIFY(clickButton(kMouseOverPictures, "Command6")); // the second name is missing
    QCOMPARE(m_program->dialogs.messages.size(), messages + 1);
    QCOMPARE(added(), QString());
    QVERIFY(typeInto(kMouseOverPictures, "Text6", QStringLiteral("square")));
    QVERIFY(choose(kMouseOverPictures, "Option4"));
    QVERIFY(clickButton(kMouseOverPictures, "Command6"));
    QCOMPARE(
        added(),
        QStringLiteral(
            "\r\n<CENTER>"
            "\r\n<A HREF=\"#\" ONMOUSEOVER=\"gondola5.src='b.jpg'\"\r\n "
            "ONMOUSEOUT=\"gondola5.src='a.jpg'\">"
            "\r\n<IMG SRC=\"a.jpg\" NAME=\"gondola5\" BORDER=\"0\"></A>&nbsp;&nbsp;&nbsp;&nbsp;"
            "\r\n<A HREF=\"#\" ONMOUSEOVER=\"square.src='d.jpg'\"\r\n "
            "ONMOUSEOUT=\"square.src='c.jpg'\">"
            "\r\n<IMG SRC=\"c.jpg\" NAME=\"square\" BORDER=\"0\"></A></CENTER><P></P>"));
    QVERIFY(!isShown(kMouseOverPictures));

    // Opened again: all reset.
    QVERIFY(clickButton(kSelection, "Command6"));
    QCOMPARE(text(kMouseOverPictures, "Text1"), QString());
    QVERIFY(findControl<QRadioButton>(kMouseOverPictures, "Option1")->isChecked());
    QVERIFY(findControl<QRadioButton>(kMouseOverPictures, "Option3")->isChecked());
    QVERIFY(!shown(kMouseOverPictures, "Text3"));
}

void TestLinkScreens::cancelsRestoreMakeButtons()
{
    const auto hideMakeButtons = [] {
        for (const char *name : {"Command2", "Command3", "Command4"})
            findControl<QWidget>(kLinks, name)->hide();
    };
    const auto allShown = [] {
        return shown(kLinks, "Command2") && shown(kLinks, "Command3") && shown(kLinks, "Command4");
    };
    QVERIFY(openLinks());

    QVERIFY(clickButton(kLinks, "Command3"));
    hideMakeButtons();
    QVERIFY(clickButton(kTextLink, "Command3"));
    QVERIFY(allShown());
    QVERIFY(!isShown(kTextLink));

    QVERIFY(clickButton(kLinks, "Command2"));
    hideMakeButtons();
    QVERIFY(clickButton(kButtons, "Command2"));
    QVERIFY(allShown());

    QVERIFY(clickButton(kSelection, "Command6"));
    hideMakeButtons();
    findScreen(kMouseOverPictures)->close(); // the close box cancels too
    QVERIFY(allShown());
    QVERIFY(!isShown(kMouseOverPictures));
    QCOMPARE(added(), QString());
}

QTEST_MAIN(TestLinkScreens)
#include "tst_link_screens.moc"

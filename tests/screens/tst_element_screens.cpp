#include "support/fixture.h"
#include "support/gui.h"
#include "support/walks.h"
#include "support/worked_example.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
const QString kSelection = QStringLiteral("Form4");
const QString kParagraph = QStringLiteral("Form6");
const QString kRuler = QStringLiteral("Form7");
const QString kHeading = QStringLiteral("Form8");
const QString kPicture = QStringLiteral("Form9");
const QString kTextPicture = QStringLiteral("Form10");
const QString kTwoImages = QStringLiteral("Form21");
const QString kCheck = QStringLiteral("Did you check size, colour etc?");

bool choose(const QString &form, const char *name)
{
    auto *option = findControl<QRadioButton>(form, name);
    if (!option || !option->isVisible())
        return false;
    option->setFocus();
    QTest::keyClick(option, Qt::Key_Space);
    return option->isChecked();
}

bool shownControl(const QString &form, const char *name)
{
    auto *control = findControl<QWidget>(form, name);
    return control && control->isVisible();
}

QString makePicture(const QString &path)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image.save(path, "PNG") ? QDir::toNativeSeparators(path) : QString();
}
} // namespace

class TestElementScreens final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void workedExampleToTheSavedFile();
    void paragraphQuestionAndColour();
    void paragraphTextAsTyped();
    void headingColourReturnsToBlack();
    void rules();
    void singlePictureImport();
    void twoImages();
    void textAndPicture();

private:
    QString body() const { return m_program->session.page().text(); }
    // The page as it stands, and what was added since.
    QString added() const { return body().mid(m_before.size()); }
    void mark() { m_before = body(); }

    QTemporaryDir m_home;
    QTemporaryDir m_session;
    QTemporaryDir m_pictures;
    std::unique_ptr<Program> m_program;
    QString m_before;
};

void TestElementScreens::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestElementScreens::init()
{
    m_program = std::make_unique<Program>();
    QVERIFY(
        walkToSelection(m_session.path(), QStringLiteral("My page"), QStringLiteral("Welcome")));
    m_program->dialogs.messages.clear();
    mark();
}

void TestElementScreens::cleanup()
{
    QVERIFY2(m_program->dialogs.unexpected.isEmpty(),
             qPrintable(m_program->dialogs.unexpected.join(QLatin1String("; "))));
    m_program.reset();
    for (QTemporaryDir *dir : {&m_session, &m_pictures}) {
        QDir folder(dir->path());
        folder.removeRecursively();
        folder.mkpath(QStringLiteral("."));
    }
}

void TestElementScreens::workedExampleToTheSavedFile()
{
    QVERIFY(clickButton(kSelection, "Command4"));
    QVERIFY(isShown(kParagraph));
    QVERIFY(!shownControl(kSelection, "Command2"));
    QVERIFY(typeInto(kParagraph, "Text1", QStringLiteral("Hello")));
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kParagraph, "Command1"));
    QCOMPARE(m_program->dialogs.questions.last(), kCheck);
    QVERIFY(!isShown(kParagraph));

    m_program->dialogs.saveAnswers = {m_session.filePath(QStringLiteral("page"))};
    QVERIFY(clickButton(kSelection, "Command10"));
    QCOMPARE(readAll(m_session.filePath(QStringLiteral("page.html"))), kWorkedExampleFile);
}

void TestElementScreens::paragraphQuestionAndColour()
{
    QVERIFY(clickButton(kSelection, "Command4"));
    QVERIFY(typeInto(kParagraph, "Text1", QStringLiteral("Hello")));
    QVERIFY(choose(kParagraph, "Option2"));
    QVERIFY(choose(kParagraph, "Option4"));
    QVERIFY(choose(kParagraph, "Option11"));
    m_program->dialogs.colourAnswers = {255};
    QVERIFY(clickButton(kParagraph, "Command2"));
    QCOMPARE(findControl<QPlainTextEdit>(kParagraph, "Text1")->palette().color(QPalette::Text),
             QColor(Qt::red));

    m_program->dialogs.yesNoAnswers = {false};
    QVERIFY(clickButton(kParagraph, "Command1"));
    QCOMPARE(body(), m_before);
    QVERIFY(isShown(kParagraph));

    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kParagraph, "Command1"));
    QCOMPARE(added(), QStringLiteral("\r\n<FONT FACE=\"Arial, Helvetica\" SIZE=\"2\" "
                                     "COLOR=\"#FF0000\"><B>Hello</B></FONT><P></P>"));

    // The next paragraph starts empty and keeps every choice, the colour too.
    mark();
    QVERIFY(clickButton(kSelection, "Command4"));
    QCOMPARE(findControl<QPlainTextEdit>(kParagraph, "Text1")->toPlainText(), QString());
    QVERIFY(typeInto(kParagraph, "Text1", QStringLiteral("Again")));
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kParagraph, "Command1"));
    QCOMPARE(added(), QStringLiteral("\r\n<FONT FACE=\"Arial, Helvetica\" SIZE=\"2\" "
                                     "COLOR=\"#FF0000\"><B>Again</B></FONT><P></P>"));

    // Cancel adds nothing and goes back to PREVIEW; so does the close box.
    mark();
    QVERIFY(clickButton(kSelection, "Command4"));
    QVERIFY(clickButton(kParagraph, "Command3"));
    QVERIFY(!isShown(kParagraph));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kSelection, "Command3"));
    QVERIFY(clickButton(kSelection, "Command4"));
    findScreen(kParagraph)->close();
    QVERIFY(!isShown(kParagraph));
    QCOMPARE(body(), m_before);
}

void TestElementScreens::paragraphTextAsTyped()
{
    const QString typed = QStringLiteral("Fish & <b>chips</b> \"\u0436\"\nsecond line");
    QVERIFY(clickButton(kSelection, "Command4"));
    QVERIFY(typeInto(kParagraph, "Text1", typed));
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kParagraph, "Command1"));
    QCOMPARE(added(),
             QStringLiteral("\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">"
                            "Fish & <b>chips</b> \"\u0436\"\r\nsecond line</FONT><P></P>"));

    // A very long paragraph goes in whole.
    mark();
    const QString longText(100000, QLatin1Char('w'));
    QVERIFY(clickButton(kSelection, "Command4"));
    findControl<QPlainTextEdit>(kParagraph, "Text1")->setPlainText(longText);
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kParagraph, "Command1"));
    QVERIFY(added().contains(QStringLiteral("COLOR=\"#000000\">") + longText +
                             QStringLiteral("</FONT>")));
}

void TestElementScreens::headingColourReturnsToBlack()
{
    QVERIFY(clickButton(kSelection, "Command11"));
    QVERIFY(isShown(kHeading));
    QVERIFY(!shownControl(kSelection, "Command2"));
    QVERIFY(typeInto(kHeading, "Text1", QStringLiteral("News")));
    m_program->dialogs.colourAnswers = {255};
    QVERIFY(clickButton(kHeading, "Command2"));
    m_program->dialogs.yesNoAnswers = {false, true};
    QVERIFY(clickButton(kHeading, "Command1"));
    QCOMPARE(body(), m_before);
    QVERIFY(isShown(kHeading));
    QVERIFY(clickButton(kHeading, "Command1"));
    QCOMPARE(added(), QStringLiteral("\r\n<FONT COLOR=\"#FF0000\" FACE=\"Times New Roman\"><H1>News"
                                     "</FONT></H1>"));
    QVERIFY(!isShown(kHeading));
    auto *field = findControl<QLineEdit>(kHeading, "Text1");
    QCOMPARE(field->palette().color(QPalette::Text),
             findControl<QLabel>(kHeading, "Label1")->palette().color(QPalette::WindowText));

    mark();
    QVERIFY(clickButton(kSelection, "Command11"));
    QCOMPARE(field->text(), QString());
    QVERIFY(typeInto(kHeading, "Text1", QStringLiteral("More")));
    QVERIFY(choose(kHeading, "Option3"));
    QVERIFY(choose(kHeading, "Option5"));
    QVERIFY(choose(kHeading, "Option6"));
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kHeading, "Command1"));
    QCOMPARE(added(), QStringLiteral("\r\n<CENTER>\r\n<FONT COLOR=\"#000000\" FACE=\"Arial, "
                                     "Helvetica\"><H3>More</FONT></H3></CENTER>"));
}

void TestElementScreens::rules()
{
    for (const char *option : {"Option1", "Option2", "Option3"}) {
        QVERIFY(clickButton(kSelection, "Command9"));
        QVERIFY(choose(kRuler, option));
        QVERIFY(clickButton(kRuler, "Command1"));
        QVERIFY(!isShown(kRuler));
    }
    QCOMPARE(added(),
             QStringLiteral("\r\n<HR WIDTH=\"100%\">\r\n<HR WIDTH=\"75%\">\r\n<HR WIDTH=\"50%\">"));
    QVERIFY(m_program->dialogs.questions.isEmpty());
    QVERIFY(clickButton(kSelection, "Command9"));
    QVERIFY(findControl<QRadioButton>(kRuler, "Option3")->isChecked()); // kept
    QVERIFY(clickButton(kRuler, "Command2"));
    QCOMPARE(added().count(QStringLiteral("<HR")), 3);
}

void TestElementScreens::singlePictureImport()
{
    const QString photo = makePicture(m_pictures.filePath(QStringLiteral("My Photo \u0436.PNG")));
    QVERIFY(!photo.isEmpty());
    const QByteArray photoBytes = readAll(photo);

    QVERIFY(clickButton(kSelection, "Command5"));
    QVERIFY(isShown(kPicture));
    QVERIFY(!shownControl(kSelection, "Command2"));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kPicture, "Command2"));
    m_program->dialogs.openAnswers = {photo};
    QVERIFY(clickButton(kPicture, "Command1"));
    QCOMPARE(m_program->dialogs.openPresets.last(), QStringLiteral("*.*"));
    QCOMPARE(findControl<QLineEdit>(kPicture, "Text1")->text(),
             QStringLiteral("My Photo \u0436.PNG"));
    const QString copy = m_session.filePath(QStringLiteral("My Photo \u0436.PNG"));
    QCOMPARE(readAll(copy), photoBytes);
    QCOMPARE(readAll(photo), photoBytes);

    m_program->dialogs.yesNoAnswers = {false, true};
    QVERIFY(clickButton(kPicture, "Command2"));
    QCOMPARE(m_program->dialogs.questions.last(),
             QStringLiteral("Did you check CENTERED or LEFT?"));
    QCOMPARE(body(), m_before);
    QVERIFY(isShown(kPicture));
    QVERIFY(clickButton(kPicture, "Command2"));
    QCOMPARE(added(), QStringLiteral("\r\n<IMG SRC=\"My Photo \u0436.PNG\"><P></P>"));

    // Picking it again, or picking the copy in the session folder, copies nothing.
    QVERIFY(QFile::remove(photo));
    QVERIFY(makePicture(photo) == photo);
    QImage changed(4, 4, QImage::Format_RGB32);
    changed.fill(Qt::red);
    QVERIFY(changed.save(photo, "PNG"));
    mark();
    m_program->dialogs.openAnswers = {photo, QDir::toNativeSeparators(copy)};
    QVERIFY(clickButton(kSelection, "Command5"));
    QCOMPARE(findControl<QLineEdit>(kPicture, "Text1")->text(), QString());
    QVERIFY(clickButton(kPicture, "Command1"));
    QVERIFY(clickButton(kPicture, "Command1"));
    QCOMPARE(readAll(copy), photoBytes);
    QCOMPARE(QDir(m_session.path()).entryList(QDir::Files).size(), 1);

    // A cancelled dialog empties the name; a typed name is written as typed.
    QVERIFY(choose(kPicture, "Option1"));
    QVERIFY(clickButton(kPicture, "Command1")); // no scripted answer: cancelled
    m_program->dialogs.unexpected.clear();
    QCOMPARE(findControl<QLineEdit>(kPicture, "Text1")->text(), QString());
    QVERIFY(typeInto(kPicture, "Text1", QStringLiteral("typed name.gif")));
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kPicture, "Command2"));
    QCOMPARE(added(), QStringLiteral("\r\n<CENTER><IMG SRC=\"typed name.gif\"></CENTER><P></P>"));
    QCOMPARE(QDir(m_session.path()).entryList(QDir::Files).size(), 1);

    // The session folder gone: the name is still written, without a word.
    const QString deleted = QDir::toNativeSeparators(m_session.filePath(QStringLiteral("gone")));
    m_program->session.setSessionFolder(deleted);
    m_program->dialogs.openAnswers = {photo};
    m_program->dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kSelection, "Command5"));
    QVERIFY(clickButton(kPicture, "Command1"));
    QVERIFY(clickButton(kPicture, "Command2"));
    QVERIFY(added().endsWith(
        QStringLiteral("<CENTER><IMG SRC=\"My Photo \u0436.PNG\"></CENTER><P></P>")));
    QVERIFY(!QFileInfo::exists(deleted));
    QVERIFY(m_program->dialogs.messages.isEmpty());
}

void TestElementScreens::twoImages()
{
    const QString photo = makePicture(m_pictures.filePath(QStringLiteral("a.png")));
    QVERIFY(clickButton(kSelection, "Command13"));
    QVERIFY(isShown(kTwoImages));
    QVERIFY(!isShown(kSelection));
    m_program->dialogs.openAnswers = {photo, photo};
    QVERIFY(clickButton(kTwoImages, "Command1"));
    QVERIFY(clickButton(kTwoImages, "Command2"));
    QCOMPARE(QDir(m_session.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.png")});
    QVERIFY(clickButton(kTwoImages, "Command3"));
    QCOMPARE(added(), QStringLiteral("\r\n<CENTER>\r\n<P></P><IMG SRC=\"a.png\">&nbsp;&nbsp;&nbsp;"
                                     "&nbsp;<IMG SRC=\"a.png\"></CENTER>"));
    QVERIFY(!isShown(kTwoImages));
    QVERIFY(isShown(kSelection));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kSelection, "Command3"));

    mark();
    QVERIFY(clickButton(kSelection, "Command13"));
    QCOMPARE(findControl<QLineEdit>(kTwoImages, "Text1")->text(), QString());
    QVERIFY(choose(kTwoImages, "Option2"));
    QVERIFY(typeInto(kTwoImages, "Text2", QStringLiteral("b.jpg")));
    QVERIFY(clickButton(kTwoImages, "Command3"));
    QCOMPARE(added(),
             QStringLiteral("<P></P><IMG SRC=\"\">&nbsp;&nbsp;&nbsp;&nbsp;<IMG SRC=\"b.jpg\">"));
}

void TestElementScreens::textAndPicture()
{
    QVERIFY(clickButton(kSelection, "Command7"));
    QVERIFY(isShown(kTextPicture));
    QVERIFY(!isShown(kSelection));
    QTRY_COMPARE(QApplication::focusWidget(), findControl<QWidget>(kTextPicture, "Text2"));
    QVERIFY(typeInto(kTextPicture, "Text2", QStringLiteral("Hello")));
    QVERIFY(clickButton(kTextPicture, "Command1"));
    QCOMPARE(m_program->dialogs.messages.last().text,
             QStringLiteral("You did not choose a picture"));
    QCOMPARE(m_program->dialogs.messages.last().icon, Interaction::Icon::Information);
    QCOMPARE(body(), m_before);
    QVERIFY(isShown(kTextPicture));
    QCOMPARE(findControl<QPlainTextEdit>(kTextPicture, "Text2")->toPlainText(),
             QStringLiteral("Hello"));

    const QString photo = makePicture(m_pictures.filePath(QStringLiteral("p.jpg")));
    m_program->dialogs.openAnswers = {photo};
    QVERIFY(clickButton(kTextPicture, "Command2"));
    QVERIFY(QFileInfo::exists(m_session.filePath(QStringLiteral("p.jpg"))));
    QVERIFY(clickButton(kTextPicture, "Command1"));
    QCOMPARE(added(), QStringLiteral("\r\n<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r\n<TR>"
                                     "\r\n<TD><IMG SRC=\"p.jpg\"></TD>"
                                     "\r\n<TD><FONT COLOR=\"#000000\" FACE=\"TimesNew Roman\" "
                                     "SIZE=\"3\">Hello</FONT></TD>\r\n</TR>\r\n</TABLE>"));
    QVERIFY(!isShown(kTextPicture));
    QVERIFY(isShown(kSelection));

    // Picture right, a colour kept for next time, the text over two lines.
    mark();
    QVERIFY(clickButton(kSelection, "Command7"));
    m_program->dialogs.colourAnswers = {255};
    m_program->dialogs.openAnswers = {photo};
    QVERIFY(clickButton(kTextPicture, "Command4"));
    QVERIFY(choose(kTextPicture, "Option2"));
    QVERIFY(choose(kTextPicture, "Option7"));
    QVERIFY(choose(kTextPicture, "Option5"));
    QVERIFY(typeInto(kTextPicture, "Text2", QStringLiteral("one\ntwo")));
    QVERIFY(clickButton(kTextPicture, "Command2"));
    QVERIFY(clickButton(kTextPicture, "Command1"));
    QCOMPARE(added(), QStringLiteral("\r\n<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r\n<TR>"
                                     "\r\n<TD><FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\" "
                                     "SIZE=\"5\">one\r\ntwo</FONT></TD>"
                                     "\r\n<TD><IMG SRC=\"p.jpg\"></TD>\r\n</TR>\r\n</TABLE>"));
    mark();
    m_program->dialogs.openAnswers = {photo};
    QVERIFY(clickButton(kSelection, "Command7"));
    QVERIFY(clickButton(kTextPicture, "Command2"));
    QVERIFY(clickButton(kTextPicture, "Command1"));
    QVERIFY(added().contains(QStringLiteral("<FONT COLOR=\"#FF0000\"")));
}

QTEST_MAIN(TestElementScreens)
#include "tst_element_screens.moc"

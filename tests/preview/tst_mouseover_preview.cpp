#include "support/fixture.h"
#include "support/gui.h"
#include "support/walks.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace tarnwell;
using namespace tarnwell::test;

namespace {
const QString kSelection = QStringLiteral("Form4");
const QString kPictures = QStringLiteral("Form18");
const QString kFiles = QStringLiteral("Form15");

// Runs a script in the page and waits for its answer.
QVariant evaluate(QWebEngineView *view, const QString &script)
{
    QVariant answer;
    bool answered = false;
    view->page()->runJavaScript(script, [&](const QVariant &value) {
        answer = value;
        answered = true;
    });
    if (!QTest::qWaitFor([&] { return answered; }, 30000))
        return {}; // no answer: the caller's comparison fails
    return answer;
}

// The picture's source after the pointer moves onto its link, or off it.
QString sourceAfter(QWebEngineView *view, const QString &name, const QString &event)
{
    const QString script =
        QStringLiteral("(function() { var img = document.getElementsByName('%1')[0];"
                       " img.parentElement.dispatchEvent(new MouseEvent('%2', {bubbles: true}));"
                       " return img.src.split('/').pop(); })()")
            .arg(name, event);
    return evaluate(view, script).toString();
}
} // namespace

class TestMouseOverPreview final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void picturesAndButtonsSwapInTheViewer();

private:
    QString picture(const QString &name, Qt::GlobalColor colour);

    QTemporaryDir m_home;
    QTemporaryDir m_session;
    QTemporaryDir m_pictures;
};

void TestMouseOverPreview::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

QString TestMouseOverPreview::picture(const QString &name, Qt::GlobalColor colour)
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = m_pictures.filePath(name);
    return image.save(path, "PNG") ? QDir::toNativeSeparators(path) : QString();
}

void TestMouseOverPreview::picturesAndButtonsSwapInTheViewer()
{
    Program program;
    QVERIFY(walkToSelection(m_session.path(), QStringLiteral("Swaps"), QStringLiteral("Swaps")));

    // Two MouseOver pictures side by side.
    program.dialogs.openAnswers = {
        picture(QStringLiteral("a.png"), Qt::blue), picture(QStringLiteral("b.png"), Qt::red),
        picture(QStringLiteral("c.png"), Qt::green), picture(QStringLiteral("d.png"), Qt::yellow)};
    QVERIFY(clickButton(kSelection, "Command6"));
    findControl<QRadioButton>(kPictures, "Option2")->click();
    for (const char *find : {"Command1", "Command2", "Command3", "Command4"})
        QVERIFY(clickButton(kPictures, find));
    QVERIFY(typeInto(kPictures, "Text5", QStringLiteral("gondola5")));
    QVERIFY(typeInto(kPictures, "Text6", QStringLiteral("square")));
    QVERIFY(clickButton(kPictures, "Command6"));

    // Three MouseOver buttons across.
    QVERIFY(clickButton(kSelection, "Command8"));
    QVERIFY(clickButton(QStringLiteral("Form16"), "Command1"));
    QVERIFY(clickButton(QStringLiteral("Form11"), "Command4"));
    findControl<QRadioButton>(QStringLiteral("Form14"), "Option3")->click();
    QVERIFY(clickButton(QStringLiteral("Form14"), "Command1"));
    program.dialogs.openAnswers = {picture(QStringLiteral("one.png"), Qt::cyan),
                                   picture(QStringLiteral("one2.png"), Qt::magenta),
                                   picture(QStringLiteral("two.png"), Qt::gray),
                                   picture(QStringLiteral("two2.png"), Qt::darkRed),
                                   picture(QStringLiteral("three.png"), Qt::darkBlue),
                                   picture(QStringLiteral("three2.png"), Qt::darkGreen)};
    for (const char *find :
         {"Command3", "Command4", "Command5", "Command6", "Command7", "Command8"})
        QVERIFY(clickButton(kFiles, find));
    program.dialogs.yesNoAnswers = {true};
    QVERIFY(clickButton(kFiles, "Command1"));

    program.dialogs.saveAnswers = {m_session.filePath(QStringLiteral("swaps"))};
    QVERIFY(clickButton(kSelection, "Command10"));
    QVERIFY(QFileInfo::exists(m_session.filePath(QStringLiteral("swaps.html"))));
    QVERIFY(program.dialogs.unexpected.isEmpty());

    // The saved page, opened in the Browser screen through its address box.
    QVERIFY(clickButton(kSelection, "Command3"));
    QWidget *browser = findScreen(QStringLiteral("Form27"));
    QVERIFY(browser);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Swaps"), 30000);
    auto *address = browser->findChild<QComboBox *>(QStringLiteral("cboAddress"));
    auto *view = browser->findChild<QWebEngineView *>(QStringLiteral("brwWebBrowser"));
    QVERIFY(address && view);
    address->setEditText(
        QUrl::fromLocalFile(m_session.filePath(QStringLiteral("swaps.html"))).toString());
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(view->url().fileName() == QLatin1String("swaps.html"), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Swaps"), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(view, QStringLiteral("document.readyState")).toString(),
                              QStringLiteral("complete"), 30000);

    QCOMPARE(sourceAfter(view, QStringLiteral("gondola5"), QStringLiteral("mouseover")),
             QStringLiteral("b.png"));
    QCOMPARE(sourceAfter(view, QStringLiteral("gondola5"), QStringLiteral("mouseout")),
             QStringLiteral("a.png"));
    QCOMPARE(sourceAfter(view, QStringLiteral("square"), QStringLiteral("mouseover")),
             QStringLiteral("d.png"));
    QCOMPARE(sourceAfter(view, QStringLiteral("button1"), QStringLiteral("mouseover")),
             QStringLiteral("one2.png"));
    QCOMPARE(sourceAfter(view, QStringLiteral("button3"), QStringLiteral("mouseover")),
             QStringLiteral("three2.png"));
    QCOMPARE(sourceAfter(view, QStringLiteral("button3"), QStringLiteral("mouseout")),
             QStringLiteral("three.png"));
}

TARNWELL_GUI_TEST_MAIN(TestMouseOverPreview)
#include "tst_mouseover_preview.moc"

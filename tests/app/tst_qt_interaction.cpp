#include "ui/qt_interaction.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>

using namespace tarnwell;

class TestQtInteraction final : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxes();
    void colourDialog();
    void fileDialogs();
};

void TestQtInteraction::messageBoxes()
{
    auto info = QtInteraction::makeMessageBox(nullptr, QStringLiteral("You cancelled."),
                                              Interaction::Icon::Information, false);
    QCOMPARE(info->windowTitle(), QStringLiteral("Tarnwell"));
    QCOMPARE(info->text(), QStringLiteral("You cancelled."));
    QCOMPARE(info->icon(), QMessageBox::Information);
    QCOMPARE(info->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));

    auto stop = QtInteraction::makeMessageBox(nullptr, QStringLiteral("<b>x</b>"),
                                              Interaction::Icon::Critical, false);
    QCOMPARE(stop->icon(), QMessageBox::Critical);
    QCOMPARE(stop->textFormat(), Qt::PlainText); // typed text never turns into markup

    auto lines = QtInteraction::makeMessageBox(nullptr, QStringLiteral("one\rtwo\r\nthree"),
                                               Interaction::Icon::Information, false);
    QCOMPARE(lines->text(), QStringLiteral("one\ntwo\nthree"));

    auto question = QtInteraction::makeMessageBox(nullptr, QStringLiteral("Saved your file?"),
                                                  Interaction::Icon::None, true);
    QCOMPARE(question->windowTitle(), QStringLiteral("Tarnwell"));
    QCOMPARE(question->icon(), QMessageBox::NoIcon);
    QCOMPARE(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
}

void TestQtInteraction::colourDialog()
{
    auto dialog = QtInteraction::makeColourDialog(nullptr, 255);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Select a Colour"));
    QCOMPARE(dialog->currentColor(), QColor(255, 0, 0));
    QCOMPARE(numberFromColour(QColor(0x12, 0x34, 0x56)), 0x563412);
    QCOMPARE(colourFromNumber(0x563412), QColor(0x12, 0x34, 0x56));
}

void TestQtInteraction::fileDialogs()
{
    auto save = QtInteraction::makeSaveDialog(nullptr, QStringLiteral("Save File"),
                                              QDir::tempPath(), QStringLiteral("*.html"));
    QCOMPARE(save->windowTitle(), QStringLiteral("Save File"));
    QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(save->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(save->nameFilters(), QStringList{QStringLiteral("*.html")});
    QCOMPARE(QDir(save->directory()).canonicalPath(), QDir(QDir::tempPath()).canonicalPath());

    auto open = QtInteraction::makeOpenDialog(nullptr, QStringLiteral("*.*"));
    QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
}

QTEST_MAIN(TestQtInteraction)
#include "tst_qt_interaction.moc"

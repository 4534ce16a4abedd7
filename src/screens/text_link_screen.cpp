#include "text_link_screen.h"

#include "document/files.h"
#include "html/links.h"
#include "html/modern.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

TextLinkScreen::TextLinkScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form12", QStringLiteral("Text Link"), parent)
{
    auto *prompt = wrappedLabel(this, "Label2", QStringLiteral("Type Link address below: e.g."));
    auto *examples = wrappedLabel(this, "Label1",
                                  QStringLiteral("page3.html\nhttp://www.example.com/page2.html"));
    m_address = named(new QLineEdit(QStringLiteral(".html"), this), "Text1");
    prompt->setBuddy(m_address);
    QPushButton *find = makeButton(this, "Command2", QStringLiteral("Find a page I already have"));
    auto *textPrompt =
        wrappedLabel(this, "Label3", QStringLiteral("Type your link text below: e.g. To Page 2"));
    m_text = named(new QLineEdit(this), "Text2");
    textPrompt->setBuddy(m_text);
    setTextColour(m_text, m_colour.number());

    QRadioButton *times = makeOption(this, "Option1", QStringLiteral("Times"));
    m_arial = makeOption(this, "Option2", QStringLiteral("Arial"));
    QRadioButton *bold = makeOption(this, "Option3", QStringLiteral("Bold"));
    m_normal = makeOption(this, "Option4", QStringLiteral("Normal"));
    QRadioButton *size2 = makeOption(this, "Option5", QStringLiteral("2"));
    m_size3 = makeOption(this, "Option6", QStringLiteral("3"));
    m_size4 = makeOption(this, "Option7", QStringLiteral("4"));
    QRadioButton *centred = makeOption(this, "Option8", QStringLiteral("Centred"));
    m_notCentred = makeOption(this, "Option9", QStringLiteral("Not centred"));
    auto *options = new QHBoxLayout;
    options->addWidget(
        named(optionGroup(this, QStringLiteral("Font"), {times, m_arial}), "Frame1"));
    options->addWidget(
        named(optionGroup(this, QStringLiteral("Bold or Normal"), {bold, m_normal}), "Frame2"));
    options->addWidget(named(
        optionGroup(this, QStringLiteral("Size of text"), {size2, m_size3, m_size4}), "Frame3"));
    options->addWidget(named(
        optionGroup(this, QStringLiteral("Centred or not"), {centred, m_notCentred}), "Frame4"));
    for (QRadioButton *initial : {times, bold, size2, centred})
        initial->setChecked(true);

    QPushButton *colour = makeButton(this, "Command4", QStringLiteral("Text Colour"));
    QPushButton *finishedButton = makeButton(this, "Command1", QStringLiteral("Finished"));
    QPushButton *cancelButton = makeButton(this, "Command3", QStringLiteral("Cancel"));
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(m_address, 1);
    addressRow->addWidget(find);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(colour);
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(finishedButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(examples);
    layout->addLayout(addressRow);
    layout->addWidget(textPrompt);
    layout->addWidget(m_text);
    layout->addLayout(options);
    layout->addLayout(buttons);

    restoreLinksOnCancel();
    connect(find, &QPushButton::clicked, this, &TextLinkScreen::findPage);
    connect(colour, &QPushButton::clicked, this, &TextLinkScreen::chooseColour);
    connect(finishedButton, &QPushButton::clicked, this, &TextLinkScreen::finished);
    connect(cancelButton, &QPushButton::clicked, this, &TextLinkScreen::cancel);
}

void TextLinkScreen::open()
{
    bringToFront(this);
    m_address->show();
    m_text->show();
}

void TextLinkScreen::findPage()
{
    // The link is relative: only the page's name goes in, nothing is copied.
    const QString path = m_workspace.interaction().chooseFileToOpen(this, QStringLiteral("*.*"));
    if (path.size() < 5)
        return;
    m_address->setText(bareFileName(path));
}

void TextLinkScreen::chooseColour()
{
    m_colour.choose(m_workspace.interaction(), this, m_text);
}

void TextLinkScreen::finished()
{
    const QString size = m_size4->isChecked()   ? QStringLiteral("4")
                         : m_size3->isChecked() ? QStringLiteral("3")
                                                : QStringLiteral("2");
    const QString address = m_address->text();
    const LinkFont font = m_arial->isChecked() ? LinkFont::Arial : LinkFont::Times;
    const bool bold = !m_normal->isChecked();
    const bool centred = !m_notCentred->isChecked();
    const QStringList pieces =
        modern()
            ? QStringList{modernTextLink(address, m_text->text(), font, bold, size,
                                         m_colour.digits(), centred)}
            : BuildTextLink(address, m_text->text(), font, bold, size, m_colour.digits(), centred);
    hide();
    for (const QString &piece : pieces)
        append(piece);
    finish();
}

} // namespace tarnwell

#include "another_heading_screen.h"

#include "html/elements.h"
#include "html/modern.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

AnotherHeadingScreen::AnotherHeadingScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form8", QStringLiteral("Heading"), parent)
{
    m_text = named(new QLineEdit(this), "Text1");
    m_text->setFont(QFont(QStringLiteral("Times New Roman"), m_text->font().pointSize() + 4));
    m_hint =
        wrappedLabel(this, "Label1", QStringLiteral("Anything less than size H3 is not very big"));
    m_hint->setBuddy(m_text);

    QRadioButton *h1 = makeOption(this, "Option1", QStringLiteral("H1 size"));
    m_h2 = makeOption(this, "Option2", QStringLiteral("H2 size"));
    m_h3 = makeOption(this, "Option3", QStringLiteral(" H3 size"));
    QRadioButton *times = makeOption(this, "Option4", QStringLiteral("Times Roman"));
    m_arial = makeOption(this, "Option5", QStringLiteral("Arial"));
    m_centred = makeOption(this, "Option6", QStringLiteral("Centred"));
    QRadioButton *notCentred = makeOption(this, "Option7", QStringLiteral("Not centred"));
    auto *options = new QHBoxLayout;
    options->addWidget(optionGroup(this, QStringLiteral("Size of Heading Font"), {h1, m_h2, m_h3}));
    options->addWidget(optionGroup(this, QStringLiteral("Font"), {times, m_arial}));
    options->addWidget(optionGroup(this, QStringLiteral("Centred"), {m_centred, notCentred}));
    h1->setChecked(true);
    times->setChecked(true);
    notCentred->setChecked(true);

    QPushButton *add = makeButton(this, "Command1", QStringLiteral("Add the heading"));
    QPushButton *colour = makeButton(this, "Command2", QStringLiteral("Text Colour"));
    QPushButton *cancel = makeButton(this, "Command3", QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(colour);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(add);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_hint);
    layout->addWidget(m_text);
    layout->addLayout(options);
    layout->addLayout(buttons);

    connect(colour, &QPushButton::clicked, this, &AnotherHeadingScreen::chooseColour);
    connect(add, &QPushButton::clicked, this, &AnotherHeadingScreen::addHeading);
    connect(cancel, &QPushButton::clicked, this, &AnotherHeadingScreen::cancel);
}

void AnotherHeadingScreen::open()
{
    m_text->clear();
    bringToFront(this);
    m_text->setFocus();
}

void AnotherHeadingScreen::chooseColour()
{
    m_colour.choose(m_workspace.interaction(), this, m_text);
}

void AnotherHeadingScreen::addHeading()
{
    if (!confirm(QStringLiteral("Did you check size, colour etc?")))
        return;
    const int size = m_h2->isChecked() ? 2 : m_h3->isChecked() ? 3 : 1;
    const HeadingFont font =
        m_arial->isChecked() ? HeadingFont::ArialHelvetica : HeadingFont::TimesRoman;
    const auto heading = modern() ? modernHeadingElement : buildHeadingElement;
    append(heading(m_text->text(), size, font, m_colour.html(), m_centred->isChecked()));
    // Each heading starts black again.
    m_colour.set(0);
    QPalette neutral = m_text->palette();
    neutral.setColor(QPalette::Text, m_hint->palette().color(QPalette::WindowText));
    m_text->setPalette(neutral);
    finish();
}

} // namespace tarnwell

#include "paragraph_screen.h"

#include "html/elements.h"
#include "html/modern.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

ParagraphScreen::ParagraphScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form6", QStringLiteral("Paragraph"), parent)
{
    auto *label = wrappedLabel(this, "Label1", QStringLiteral("Type your paragraph"));
    m_text = named(new QPlainTextEdit(this), "Text1");
    m_text->setFont(QFont(QStringLiteral("Times New Roman"), m_text->font().pointSize() + 2));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setTabChangesFocus(true);
    label->setBuddy(m_text);

    QRadioButton *times = makeOption(this, "Option1", QStringLiteral("Times"));
    m_arial = makeOption(this, "Option2", QStringLiteral("Arial"));
    for (int k = 1; k <= 7; ++k) {
        const QByteArray name = "Option" + QByteArray::number(k + 2);
        m_sizes << makeOption(this, name.constData(), QString::number(k));
    }
    QRadioButton *normal = makeOption(this, "Option10", QStringLiteral("Normal"));
    m_bold = makeOption(this, "Option11", QStringLiteral("Bold"));
    m_italic = makeOption(this, "Option12", QStringLiteral("Italic"));

    auto *sizes = new QGroupBox(QStringLiteral("Font Size"), this);
    auto *sizeRow = new QHBoxLayout(sizes);
    for (QRadioButton *size : std::as_const(m_sizes)) {
        size->setParent(sizes);
        sizeRow->addWidget(size);
    }
    auto *options = new QHBoxLayout;
    options->addWidget(optionGroup(this, QStringLiteral("Font"), {times, m_arial}));
    options->addWidget(sizes);
    options->addWidget(optionGroup(this, QStringLiteral("Emphasis"), {normal, m_bold, m_italic}));
    times->setChecked(true);
    m_sizes.at(3)->setChecked(true);
    normal->setChecked(true);

    QPushButton *add = makeButton(this, "Command1", QStringLiteral("Add to page"));
    QPushButton *colour = makeButton(this, "Command2", QStringLiteral("Text Colour"));
    QPushButton *cancel = makeButton(this, "Command3", QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(colour);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(add);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_text, 1);
    layout->addLayout(options);
    layout->addLayout(buttons);

    connect(colour, &QPushButton::clicked, this, &ParagraphScreen::chooseColour);
    connect(add, &QPushButton::clicked, this, &ParagraphScreen::addToPage);
    connect(cancel, &QPushButton::clicked, this, &ParagraphScreen::cancel);
    resize(640, 420);
}

void ParagraphScreen::open()
{
    m_text->clear();
    bringToFront(this);
    m_text->setFocus();
}

void ParagraphScreen::chooseColour()
{
    m_colour.choose(m_workspace.interaction(), this, m_text);
}

void ParagraphScreen::addToPage()
{
    if (!confirm(QStringLiteral("Did you check size, colour etc?")))
        return;
    int size = 4;
    for (int k = 0; k < m_sizes.size(); ++k) {
        if (m_sizes.at(k)->isChecked())
            size = k + 1;
    }
    const Emphasis emphasis = m_bold->isChecked()     ? Emphasis::Bold
                              : m_italic->isChecked() ? Emphasis::Italic
                                                      : Emphasis::Normal;
    const TextFont font = m_arial->isChecked() ? TextFont::Arial : TextFont::Times;
    const auto paragraph = modern() ? modernParagraph : buildParagraph;
    append(paragraph(typedText(m_text), font, size, emphasis, m_colour.html()));
    finish();
}

} // namespace tarnwell

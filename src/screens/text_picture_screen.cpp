#include "text_picture_screen.h"

#include "html/pictures.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

TextPictureScreen::TextPictureScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form10", QStringLiteral("Text & Picture"), parent),
      m_import(workspace)
{
    QRadioButton *pictureLeft = makeOption(this, "Option1", QStringLiteral("Like this"));
    m_pictureRight = makeOption(this, "Option2", QStringLiteral("Like this"));
    pictureLeft->setAccessibleName(QStringLiteral("Picture left, text right"));
    m_pictureRight->setAccessibleName(QStringLiteral("Text left, picture right"));

    // The two layouts, each shown as a picture beside its sample text.
    auto *samples = new QGridLayout;
    samples->addWidget(pictureLeft, 0, 0, 1, 2);
    samples->addWidget(samplePicture(this, "Picture1", QStringLiteral("Picture"), 90, 70), 1, 0);
    samples->addWidget(
        wrappedLabel(this, "Label1",
                     QStringLiteral("This is my text typed next to the picture you see on the "
                                    "left. Some experiment might be needed")),
        1, 1);
    samples->addWidget(m_pictureRight, 2, 0, 1, 2);
    samples->addWidget(
        wrappedLabel(this, "Label2",
                     QStringLiteral("This is my text with the picture to the right of it. Type "
                                    "enough to make it worthwhile.")),
        3, 0);
    samples->addWidget(samplePicture(this, "Picture2", QStringLiteral("Picture"), 90, 70), 3, 1);
    auto *layoutFrame = named(new QGroupBox(QStringLiteral("Layout"), this), "Frame1");
    layoutFrame->setLayout(samples);
    pictureLeft->setParent(layoutFrame);
    m_pictureRight->setParent(layoutFrame);
    pictureLeft->setChecked(true);

    auto *typeHere = wrappedLabel(this, "Label4", QStringLiteral("Type text here"));
    m_text = named(new QPlainTextEdit(this), "Text2");
    m_text->setTabChangesFocus(true);
    typeHere->setBuddy(m_text);

    QRadioButton *times = makeOption(this, "Option6", QStringLiteral("Times"));
    m_arial = makeOption(this, "Option7", QStringLiteral("Arial"));
    QRadioButton *size3 = makeOption(this, "Option3", QStringLiteral("3"));
    m_size4 = makeOption(this, "Option4", QStringLiteral("4"));
    m_size5 = makeOption(this, "Option5", QStringLiteral("5"));
    auto *options = new QHBoxLayout;
    options->addWidget(
        named(optionGroup(this, QStringLiteral("Font"), {times, m_arial}), "Frame3"));
    options->addWidget(
        named(optionGroup(this, QStringLiteral("Text size"), {size3, m_size4, m_size5}), "Frame2"));
    times->setChecked(true);
    size3->setChecked(true);

    QPushButton *colour = makeButton(this, "Command4", QStringLiteral("Text Color"));
    QPushButton *find = makeButton(this, "Command2", QStringLiteral("Find picture"));
    m_add = makeButton(this, "Command1", QStringLiteral("Add to page"));
    QPushButton *cancel = makeButton(this, "Command3", QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(colour);
    buttons->addWidget(find);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(m_add);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(named(new QLabel(QStringLiteral("Choose your layout"), this), "Label3"));
    layout->addWidget(layoutFrame);
    layout->addWidget(typeHere);
    layout->addWidget(m_text, 1);
    layout->addLayout(options);
    layout->addLayout(m_description.layout());
    layout->addLayout(buttons);

    connect(colour, &QPushButton::clicked, this, &TextPictureScreen::chooseColour);
    connect(find, &QPushButton::clicked, this, &TextPictureScreen::findPicture);
    connect(m_add, &QPushButton::clicked, this, &TextPictureScreen::addToPage);
    connect(cancel, &QPushButton::clicked, this, &TextPictureScreen::cancel);
    showState();
    resize(560, 620);
}

void TextPictureScreen::showState()
{
    m_description.show(modern(), 1);
}

void TextPictureScreen::open()
{
    m_pictureName.clear();
    m_text->clear();
    m_description.clear();
    showState();
    bringToFront(this);
    m_text->setFocus();
}

void TextPictureScreen::chooseColour()
{
    m_colour.choose(m_workspace.interaction(), this, m_text);
    m_text->setFocus();
}

void TextPictureScreen::findPicture()
{
    m_pictureName = m_import.find(this, m_add);
}

void TextPictureScreen::addToPage()
{
    if (m_pictureName.isEmpty()) {
        m_workspace.interaction().showMessage(this, QStringLiteral("You did not choose a picture"),
                                              Interaction::Icon::Information);
        return;
    }
    if (!described(m_description))
        return;
    const QString size = m_size5->isChecked()   ? QStringLiteral("5")
                         : m_size4->isChecked() ? QStringLiteral("4")
                                                : QStringLiteral("3");
    const TextPictureFont font =
        m_arial->isChecked() ? TextPictureFont::Arial : TextPictureFont::Times;
    const bool pictureLeft = !m_pictureRight->isChecked();
    append(modern()
               ? modernTextAndPicture(pagePicture(m_pictureName, m_description.alt(0)),
                                      typedText(m_text), m_colour.html(), font, size, pictureLeft)
               : buildTextAndPicture(m_pictureName, typedText(m_text), m_colour.html(), font, size,
                                     pictureLeft));
    finish();
}

} // namespace tarnwell

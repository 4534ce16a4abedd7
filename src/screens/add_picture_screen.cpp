#include "add_picture_screen.h"

#include "html/pictures.h"
#include "ui/controls.h"
#include "ui/workspace.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

AddPictureScreen::AddPictureScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form9", QStringLiteral("Add a picture"), parent),
      m_import(workspace)
{
    auto *label = wrappedLabel(
        this, "Label1",
        QStringLiteral("Either search for the picture or type the filename e.g. photo1.jpg"));
    m_name = named(new QLineEdit(this), "Text1");
    label->setBuddy(m_name);
    QPushButton *find = makeButton(this, "Command1", QStringLiteral("Find my Picture"));
    QRadioButton *left = makeOption(this, "Option2", QStringLiteral("LEFT aligned"));
    m_centred = makeOption(this, "Option1", QStringLiteral("Centered"));
    auto *position =
        named(optionGroup(this, QStringLiteral("Position"), {left, m_centred}), "Frame1");
    left->setChecked(true);
    m_finished = makeButton(this, "Command2", QStringLiteral("Finished"));
    QPushButton *cancel = makeButton(this, "Command3", QStringLiteral("Cancel"));

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(find);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(m_finished);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(nameRow);
    layout->addWidget(position);
    layout->addLayout(m_description.layout());
    layout->addLayout(buttons);

    connect(find, &QPushButton::clicked, this, &AddPictureScreen::findPicture);
    connect(m_finished, &QPushButton::clicked, this, &AddPictureScreen::finished);
    connect(cancel, &QPushButton::clicked, this, &AddPictureScreen::cancel);
    showState();
    resize(460, 220);
}

void AddPictureScreen::showState()
{
    m_description.show(modern(), 1);
}

void AddPictureScreen::open()
{
    bringToFront(this);
    m_name->clear();
    m_description.clear();
    showState();
    m_finished->setFocus();
}

void AddPictureScreen::findPicture()
{
    m_name->setEnabled(true);
    m_name->setText(m_import.find(this, m_finished));
    showState();
}

void AddPictureScreen::finished()
{
    if (!described(m_description) || !confirm(QStringLiteral("Did you check CENTERED or LEFT?")))
        return;
    hide();
    const bool centred = m_centred->isChecked();
    append(modern()
               ? modernSinglePicture(pagePicture(m_name->text(), m_description.alt(0)), centred)
               : buildSinglePicture(m_name->text(), centred));
    finish();
}

} // namespace tarnwell

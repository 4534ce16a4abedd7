#include "two_images_screen.h"

#include "html/pictures.h"
#include "ui/controls.h"
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

TwoImagesScreen::TwoImagesScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form21", QStringLiteral("Two images"), parent), m_import(workspace)
{
    QPushButton *findFirst = makeButton(this, "Command1", QStringLiteral("Find first picture"));
    QPushButton *findSecond = makeButton(this, "Command2", QStringLiteral("Find second picture"));
    m_first = named(new QLineEdit(this), "Text1");
    m_second = named(new QLineEdit(this), "Text2");
    m_first->setAccessibleName(QStringLiteral("First picture filename"));
    m_second->setAccessibleName(QStringLiteral("Second picture filename"));
    m_centred = makeOption(this, "Option1", QStringLiteral("Centred"));
    QRadioButton *notCentred = makeOption(this, "Option2", QStringLiteral("Not centred"));
    auto *layoutFrame =
        named(optionGroup(this, QStringLiteral("Layout"), {m_centred, notCentred}), "Frame1");
    m_centred->setChecked(true);
    m_add = makeButton(this, "Command3", QStringLiteral("Add to page"));
    QPushButton *cancel = makeButton(this, "Command4", QStringLiteral("Cancel"));

    auto *grid = new QGridLayout;
    grid->addWidget(samplePicture(this, "Picture1", QStringLiteral("First picture"), 150, 110), 0,
                    0);
    grid->addWidget(samplePicture(this, "Picture2", QStringLiteral("Second picture"), 150, 110), 0,
                    1);
    grid->addWidget(findFirst, 1, 0);
    grid->addWidget(findSecond, 1, 1);
    grid->addWidget(m_first, 2, 0);
    grid->addWidget(m_second, 2, 1);
    grid->addWidget(wrappedLabel(this, "Label1", QStringLiteral("(or type the filename)")), 3, 0);
    grid->addWidget(wrappedLabel(this, "Label2", QStringLiteral("(or type the filename)")), 3, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(m_add);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(layoutFrame);
    layout->addLayout(m_description.layout());
    layout->addLayout(buttons);

    connect(findFirst, &QPushButton::clicked, this, [this] {
        m_first->setEnabled(true);
        m_first->setText(m_import.find(this, m_add));
    });
    connect(findSecond, &QPushButton::clicked, this, [this] {
        m_second->setEnabled(true);
        m_second->setText(m_import.find(this, m_add));
    });
    connect(m_add, &QPushButton::clicked, this, &TwoImagesScreen::addToPage);
    connect(cancel, &QPushButton::clicked, this, &TwoImagesScreen::cancel);
    showState();
}

void TwoImagesScreen::showState()
{
    m_description.show(modern(), 2);
}

void TwoImagesScreen::open()
{
    m_first->clear();
    m_second->clear();
    m_description.clear();
    showState();
    bringToFront(this);
}

void TwoImagesScreen::addToPage()
{
    if (!described(m_description, 2))
        return;
    const bool centred = m_centred->isChecked();
    append(modern()
               ? modernTwoPictures(pagePicture(m_first->text(), m_description.alt(0)),
                                   pagePicture(m_second->text(), m_description.alt(1)), centred)
               : buildTwoPictures(m_first->text(), m_second->text(), centred));
    cancel(); // back to the Selection screen's PREVIEW, as after Cancel
}

} // namespace tarnwell

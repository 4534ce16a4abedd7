#include "buttons_screen.h"

#include "document/gallery.h"
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

ButtonsScreen::ButtonsScreen(Workspace &workspace, QWidget *parent)
    : LayoutChoiceScreen(workspace, "Form19", QStringLiteral("Buttons"),
                         {ButtonLayout::FiveAcross, ButtonLayout::FourAcross,
                          ButtonLayout::ThreeAcross, ButtonLayout::TwoAcross,
                          ButtonLayout::OneButton, ButtonLayout::TwoDown, ButtonLayout::ThreeDown},
                         QStringLiteral("Buttons DOWN do not allow text next to them. If you want "
                                        "that, it is much more complex than Tarnwell can do."),
                         parent)
{
    m_layouts.option(ButtonLayout::FourAcross)->setChecked(true);
}

void ButtonsScreen::next()
{
    hide();
    m_workspace.screen<ButtonTitlesScreen>()->open(buttonCount(layout()));
}

ButtonLayout ButtonsScreen::layout() const
{
    return m_layouts.chosen().value_or(ButtonLayout::FourAcross);
}

ButtonTitlesScreen::ButtonTitlesScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form20", QStringLiteral("Button titles"), parent),
      m_import(workspace)
{
    restoreLinksOnCancel();
    m_import.setFirstFolder(programFolder()); // where the example buttons lie
    m_add = makeButton(this, "Command1", QStringLiteral("Add to page"));
    QPushButton *cancelButton = makeButton(this, "Command7", QStringLiteral("Cancel"));

    static const char *const fileLabels[5] = {"Label2", "Label3", "Label6", "Label8", "Label10"};
    static const char *const linkLabels[5] = {"Label4", "Label5", "Label7", "Label9", "Label11"};
    static const char *const ordinals[5] = {"first", "second", "third", "fourth", "fifth"};
    auto *grid = new QGridLayout;
    for (int r = 0; r < 5; ++r) {
        Row &row = m_rows[r];
        row.file = named(new QLineEdit(this), ("Text" + QByteArray::number(2 * r + 1)).constData());
        row.link = named(new QLineEdit(QStringLiteral(".html"), this),
                         ("Text" + QByteArray::number(2 * r + 2)).constData());
        row.fileLabel = named(new QLabel(QStringLiteral("FileName"), this), fileLabels[r]);
        row.linkLabel = named(new QLabel(QStringLiteral("Link to"), this), linkLabels[r]);
        row.fileLabel->setBuddy(row.file);
        row.linkLabel->setBuddy(row.link);
        row.find = makeButton(this, ("Command" + QByteArray::number(r + 2)).constData(),
                              QStringLiteral("Find %1 button").arg(QLatin1String(ordinals[r])));
        grid->addWidget(row.fileLabel, r, 0);
        grid->addWidget(row.file, r, 1);
        grid->addWidget(row.find, r, 2);
        grid->addWidget(row.linkLabel, r, 3);
        grid->addWidget(row.link, r, 4);
        QLineEdit *box = row.file;
        connect(row.find, &QPushButton::clicked, this, [this, box] {
            box->setEnabled(true);
            box->setText(m_import.find(this, m_add));
        });
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(m_add);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(named(new QLabel(QStringLiteral("Declare your buttons"), this), "Label1"));
    layout->addLayout(grid);
    layout->addLayout(m_description.layout());
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &ButtonTitlesScreen::addToPage);
    connect(cancelButton, &QPushButton::clicked, this, &ButtonTitlesScreen::cancel);
}

void ButtonTitlesScreen::open(int count)
{
    bringToFront(this);
    m_add->setFocus();
    m_count = count;
    m_description.clear();
    showState();
}

void ButtonTitlesScreen::showState()
{
    for (int r = 1; r < 5; ++r) {
        for (QWidget *control : QWidgetList{m_rows[r].file, m_rows[r].link, m_rows[r].fileLabel,
                                            m_rows[r].linkLabel, m_rows[r].find})
            control->setVisible(r < m_count);
    }
    m_description.show(modern(), m_count);
}

void ButtonTitlesScreen::addToPage()
{
    if (!described(m_description, m_count) ||
        !confirm(QStringLiteral("Are you absolutely sure that you typed all links correctly")))
        return;
    const ButtonLayout layout = m_workspace.screen<ButtonsScreen>()->layout();
    if (modern()) {
        QList<PictureButton> buttons;
        for (int r = 0; r < 5; ++r)
            buttons.append({m_rows[r].link->text(),
                            pagePicture(m_rows[r].file->text(), m_description.alt(r))});
        append(modernButtonLinks(layout, buttons));
        finish();
        return;
    }
    QList<ButtonLink> buttons;
    for (const Row &row : m_rows)
        buttons.append({row.link->text(), row.file->text()});
    append(buildButtonLinks(layout, buttons));
    finish();
}

} // namespace tarnwell

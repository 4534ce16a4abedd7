#include "mouseover_buttons_screen.h"

#include "document/gallery.h"
#include "links_screen.h"
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

namespace {
QByteArray controlName(const char *kind, int number)
{
    return kind + QByteArray::number(number);
}
} // namespace

MouseOverButtonsScreen::MouseOverButtonsScreen(Workspace &workspace, QWidget *parent)
    : LayoutChoiceScreen(workspace, "Form14", QStringLiteral("MouseOver Buttons"),
                         {ButtonLayout::OneButton, ButtonLayout::TwoAcross, ButtonLayout::TwoDown,
                          ButtonLayout::ThreeAcross, ButtonLayout::ThreeDown,
                          ButtonLayout::FourAcross, ButtonLayout::FiveAcross},
                         QStringLiteral("Buttons DOWN do not allow text next to them. If you want "
                                        "that, it is much more complex than the program can do."),
                         parent)
{}

void MouseOverButtonsScreen::next()
{
    hide();
    m_workspace.screen<ButtonFilesScreen>()->open(layout());
}

ButtonFilesScreen::ButtonFilesScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form15", QStringLiteral("Button files"), parent),
      m_import(workspace)
{
    restoreLinksOnCancel();
    m_import.setFirstFolder(programFolder()); // where the example buttons lie
    m_finished = makeButton(this, "Command1", QStringLiteral("Finished"));
    QPushButton *cancelButton = makeButton(this, "Command2", QStringLiteral("Cancel"));

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("First image"), this), 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Second image"), this), 0, 3, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Link to"), this), 0, 5);
    for (int r = 0; r < 5; ++r) {
        Row &row = m_rows[r];
        const int n = r + 1;
        row.label = named(new QLabel(QStringLiteral("Button%1").arg(n), this),
                          controlName("Label", n).constData());
        row.first = named(new QLineEdit(this), controlName("Text", 3 * r + 1).constData());
        row.second = named(new QLineEdit(this), controlName("Text", 3 * r + 2).constData());
        row.link = named(new QLineEdit(QStringLiteral(".html"), this),
                         controlName("Text", 3 * r + 3).constData());
        row.label->setBuddy(row.link);
        // The column captions sit above the first row only.
        row.first->setAccessibleName(QStringLiteral("Button%1 first image").arg(n));
        row.second->setAccessibleName(QStringLiteral("Button%1 second image").arg(n));
        row.link->setAccessibleName(QStringLiteral("Button%1 link to").arg(n));
        const bool last = n == 5;
        row.findFirst =
            makeButton(this, controlName("Command", 2 * r + 3).constData(),
                       last ? QStringLiteral("First Image") : QStringLiteral("Find First image"));
        row.findSecond =
            makeButton(this, controlName("Command", 2 * r + 4).constData(),
                       last ? QStringLiteral("Second Image") : QStringLiteral("Find Second"));
        grid->addWidget(row.label, n, 0);
        grid->addWidget(row.first, n, 1);
        grid->addWidget(row.findFirst, n, 2);
        grid->addWidget(row.second, n, 3);
        grid->addWidget(row.findSecond, n, 4);
        grid->addWidget(row.link, n, 5);
        for (QLineEdit *box : {row.first, row.second}) {
            QPushButton *find = box == row.first ? row.findFirst : row.findSecond;
            connect(find, &QPushButton::clicked, this, [this, box] {
                box->setEnabled(true);
                box->setText(m_import.find(this, m_finished));
            });
        }
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(m_finished);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(m_description.layout());
    layout->addLayout(buttons);

    connect(m_finished, &QPushButton::clicked, this, &ButtonFilesScreen::finished);
    connect(cancelButton, &QPushButton::clicked, this, &ButtonFilesScreen::cancel);
}

void ButtonFilesScreen::showState()
{
    for (int r = 0; r < 5; ++r) {
        Row &row = m_rows[r];
        const bool shown = r == 0 || r < m_count; // the first row always shows
        row.label->setEnabled(shown);
        for (QWidget *control :
             QWidgetList{row.first, row.second, row.link, row.findFirst, row.findSecond})
            control->setVisible(shown);
    }
    m_description.show(modern(), m_count);
}

void ButtonFilesScreen::open(std::optional<ButtonLayout> layout)
{
    bringToFront(this);
    // The pictures are chosen afresh each time; the links are kept.
    for (Row &row : m_rows) {
        row.first->clear();
        row.second->clear();
    }
    // Pictures come only from the find buttons.
    for (Row &row : m_rows) {
        row.first->setEnabled(false);
        row.second->setEnabled(false);
    }
    m_count = layout ? buttonCount(*layout) : 5;
    m_description.clear();
    showState();
    m_finished->setFocus();
}

void ButtonFilesScreen::finished()
{
    if (!described(m_description, m_count) ||
        !confirm(QStringLiteral("Are you absolutely sure that you typed all links correctly")))
        return;
    m_workspace.screen<LinksScreen>()->markMouseOverInstalled();
    if (const std::optional<ButtonLayout> layout =
            m_workspace.screen<MouseOverButtonsScreen>()->layout()) {
        for (int r = 0; r < buttonCount(*layout); ++r) {
            const Row &row = m_rows[r];
            if (modern())
                append(modernMouseOverButton(
                    row.link->text(),
                    {pagePicture(row.first->text(), m_description.alt(r)), row.second->text()},
                    buttonsDown(*layout)));
            else
                append(BuildMouseOverButton(r + 1, row.link->text(), row.first->text(),
                                            row.second->text(), buttonsDown(*layout)));
        }
    }
    finish();
}

} // namespace tarnwell

#include "ruler_screen.h"

#include "html/elements.h"
#include "html/modern.h"
#include "ui/controls.h"
#include "ui/workspace.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

RulerScreen::RulerScreen(Workspace &workspace, QWidget *parent)
    : ElementScreen(workspace, "Form7", QStringLiteral("Ruler"), parent)
{
    QRadioButton *whole = makeOption(this, "Option1", QStringLiteral("100% across the screen"));
    m_threeQuarters = makeOption(this, "Option2", QStringLiteral("75% across the screen"));
    m_half = makeOption(this, "Option3", QStringLiteral("50% across the screen"));
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QPushButton *add = makeButton(this, "Command1", QStringLiteral("Add it!"));
    QPushButton *cancel = makeButton(this, "Command2", QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(add);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        optionGroup(this, QStringLiteral("Size in %"), {whole, m_threeQuarters, m_half}));
    whole->setChecked(true);
    layout->addWidget(line);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &RulerScreen::addRule);
    connect(cancel, &QPushButton::clicked, this, &RulerScreen::cancel);
}

void RulerScreen::open()
{
    bringToFront(this);
}

void RulerScreen::addRule()
{
    const QString width = m_half->isChecked()            ? QStringLiteral("50%")
                          : m_threeQuarters->isChecked() ? QStringLiteral("75%")
                                                         : QStringLiteral("100%");
    append(modern() ? modernRule(width) : buildRule(width));
    finish();
}

} // namespace tarnwell

#include "button_advice_screen.h"

#include "links_screen.h"
#include "selection_screen.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QPushButton>

namespace tarnwell {

ButtonAdviceScreen::ButtonAdviceScreen(Workspace &workspace, QWidget *parent)
    : AdviceScreen(workspace, "Form16", QStringLiteral("Advice"), parent)
{
    addText("Label1",
            QStringLiteral(
                "If you want to use buttons as links, the next part of this program requires "
                "button files already created (or you need to know what their filenames will "
                "be). Give your buttons short file names in lower case, with no spaces. If a "
                "button file has a long name, or capitals or spaces in its name, rename it "
                "first to something like these examples:"));
    // The gaps keep the example names apart; the label keeps every space.
    addText("Label2", QStringLiteral("page1.gif     page1a.gif    nextpage.jpg    nextpage2.jpg"));
    QPushButton *proceed = addButton("Command1", QStringLiteral("Continue"));
    QPushButton *back = addButton("Command2", QStringLiteral("Back"));
    proceed->setDefault(true);
    connect(proceed, &QPushButton::clicked, this, &ButtonAdviceScreen::proceed);
    connect(back, &QPushButton::clicked, this, &ButtonAdviceScreen::back);
    fitToText(480);
}

void ButtonAdviceScreen::closeEvent(QCloseEvent *event)
{
    event->ignore();
    back();
}

void ButtonAdviceScreen::proceed()
{
    hide();
    m_workspace.screen<LinksScreen>()->openFromAdvice();
}

void ButtonAdviceScreen::back()
{
    hide();
    bringToFront(m_workspace.screen<SelectionScreen>());
}

} // namespace tarnwell

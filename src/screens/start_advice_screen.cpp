#include "start_advice_screen.h"

#include "start_screen.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QPushButton>

namespace tarnwell {

StartAdviceScreen::StartAdviceScreen(Workspace &workspace, QWidget *parent)
    : AdviceScreen(workspace, "Form17", QStringLiteral("Advice"), parent)
{
    addText("Label1",
            QStringLiteral(
                "Tarnwell writes simple web pages. When your page is finished, you can load it "
                "into a full web editor if you want to do more sophisticated editing. With "
                "Tarnwell you can make text in different sizes, backgrounds, MouseOver buttons, "
                "pictures and links to your other pages. It does not make framesets or "
                "scripts."));
    addText("Label2", QStringLiteral("Do not delete ANY files in the Tarnwell folders or the "
                                     "program won't run. All backgrounds to be found in "
                                     "Tarnwell are used by the program."));
    addText("Label3",
            QStringLiteral(
                "You are strongly advised to name files in lower case, no spaces, no "
                "punctuation. Every web page file must be saved with the ending .html or .htm, "
                "for example page1.html. Your pictures and buttons must be .jpg or .gif files."));
    QPushButton *back = addButton("Command1", QStringLiteral("Back"));
    back->setDefault(true);
    connect(back, &QPushButton::clicked, this, &StartAdviceScreen::back);
    fitToText(480);
}

void StartAdviceScreen::closeEvent(QCloseEvent *event)
{
    event->ignore();
    back();
}

void StartAdviceScreen::back()
{
    hide();
    bringToFront(m_workspace.screen<StartScreen>());
}

} // namespace tarnwell

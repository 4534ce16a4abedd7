#include "more_advice_screen.h"

#include "selection_screen.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QPushButton>

namespace tarnwell {

MoreAdviceScreen::MoreAdviceScreen(Workspace &workspace, QWidget *parent)
    : AdviceScreen(workspace, "Form23", QStringLiteral("More Advice"), parent)
{
    addText("Label1", QStringLiteral("Limit your editing to spelling correction and simple "
                                     "stuff! For anything more complex you need a full HTML "
                                     "editor."));
    addText(
        "Label2",
        QStringLiteral("Once you EXIT the program that's it! You cannot reload your file so save "
                       "frequently as you go along. Whatever you have not saved is lost when the "
                       "program ends. You can change the background by editing the name of the "
                       "background file in the BODY line near the top of the text."));
    addText("Label3",
            QStringLiteral(
                "Indents? The convention is to use BLOCKQUOTE tags, but there's a slightly "
                "illegal code which works very well. Type <UL><UL><UL> just before a paragraph "
                "and the same number of </UL> tags, </UL></UL></UL>, just after it. The more of "
                "them you use, the further the paragraph is indented. An HTML editor will call "
                "this an error, but it works."));
    addText("Label4",
            QStringLiteral(
                "FINALLY - web pages do not display exactly the same on every computer. A low "
                "screen resolution, and the columns some browsers show down the side, squash "
                "your page into less space. To be safe, keep the total width of the images "
                "across your page to 700 pixels at most."));
    QPushButton *back = addButton("Command1", QStringLiteral("Back"));
    back->setDefault(true);
    connect(back, &QPushButton::clicked, this, &MoreAdviceScreen::back);
    fitToText(500);
}

void MoreAdviceScreen::closeEvent(QCloseEvent *event)
{
    event->ignore();
    back();
}

void MoreAdviceScreen::back()
{
    hide();
    bringToFront(m_workspace.screen<SelectionScreen>());
}

} // namespace tarnwell

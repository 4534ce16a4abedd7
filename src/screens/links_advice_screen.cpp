#include "links_advice_screen.h"

#include "ui/workspace.h"

#include <QPushButton>

namespace tarnwell {

LinksAdviceScreen::LinksAdviceScreen(Workspace &workspace, QWidget *parent)
    : AdviceScreen(workspace, "Form25", QStringLiteral("Advice"), parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    addText(
        "Label1",
        QStringLiteral("MouseOver buttons are those where the button image changes as you move the "
                       "cursor over it. Each button needs two images, usually one lighter and one "
                       "darker, or the same button in different colours. Buttons are .gif or .jpg "
                       "images. Some example buttons are stored in the Tarnwell folder for you to "
                       "try."));
    addText("Label2",
            QStringLiteral(
                "It is good practice to name every file in lower case, especially links such "
                "as e.g. page2.html as web servers are case-sensitive. Links usually go at the "
                "end or at the very top of a page. This version does not make a column of "
                "buttons down the left of the page with text beside them."));
    QPushButton *back = addButton("Command1", QStringLiteral("Back"));
    back->setDefault(true);
    connect(back, &QPushButton::clicked, this, &QWidget::close);
    fitToText(480);
}

LinksAdviceScreen *LinksAdviceScreen::open(Workspace &workspace)
{
    // Pressed again while open, it comes to the front rather than twice.
    auto *screen = workspace.freshScreen<LinksAdviceScreen>();
    bringToFront(screen);
    return screen;
}

} // namespace tarnwell

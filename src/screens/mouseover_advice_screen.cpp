#include "mouseover_advice_screen.h"

#include "ui/workspace.h"

#include <QPushButton>

namespace tarnwell {

MouseOverAdviceScreen::MouseOverAdviceScreen(Workspace &workspace, QWidget *parent)
    : AdviceScreen(workspace, "Form26", QStringLiteral("Advice"), parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    addText("Label1",
            QStringLiteral(
                "MouseOver pictures are those where the picture changes when the cursor is over "
                "it. Each MouseOver needs two images. If you put images side by side, make each "
                "one no wider than 300 pixels, so that people with low-resolution screens can "
                "still see them. The MouseOver code is not written as a script, so the images "
                "load slightly more slowly."));
    addText("Label2", QStringLiteral("Prepare your images in advance. Give them short file names "
                                     "in lower case with no spaces, such as photo1.jpg and "
                                     "photo2.jpg."));
    QPushButton *back = addButton("Command1", QStringLiteral("Back"));
    back->setDefault(true);
    connect(back, &QPushButton::clicked, this, &QWidget::close);
    fitToText(480);
}

MouseOverAdviceScreen *MouseOverAdviceScreen::open(Workspace &workspace)
{
    // Pressed again while open, it comes to the front rather than twice.
    auto *screen = workspace.freshScreen<MouseOverAdviceScreen>();
    bringToFront(screen);
    return screen;
}

} // namespace tarnwell

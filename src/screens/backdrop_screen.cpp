#include "backdrop_screen.h"

#include <QCloseEvent>

namespace tarnwell {

BackdropScreen::BackdropScreen(Workspace &, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint)
{
    setObjectName(QStringLiteral("Form13"));
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    setPalette(grey);
    resize(698, 523); // 10470 by 7845 twips at 96 dots per inch
}

void BackdropScreen::closeEvent(QCloseEvent *event)
{
    // It stays until the program ends.
    event->ignore();
}

} // namespace tarnwell

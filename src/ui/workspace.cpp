#include "workspace.h"

#include "controls.h"
#include "document/recovery.h"
#include "document/session.h"

#include <QCoreApplication>

namespace tarnwell {

Workspace::Workspace(Session &session, Interaction &interaction, QuitHandler quit)
    : m_session(session), m_interaction(interaction), m_quit(std::move(quit))
{}

Workspace::~Workspace()
{
    for (auto &[type, screen] : m_freshScreens)
        delete screen.data();
}

void Workspace::quit()
{
    // Ending by choice: the page needs no keeping any more.
    if (PageKeeper *keeper = m_session.pageKeeper())
        keeper->forget();
    if (m_quit) {
        m_quit();
        return;
    }
    // Not QCoreApplication::quit(): that first asks every window to close,
    // and the screens that stand for QUIT and Exit Program refuse.
    QCoreApplication::exit(0);
}

void bringToFront(QWidget *screen)
{
    tabInLayoutOrder(screen);
    screen->show();
    screen->raise();
    screen->activateWindow();
}

} // namespace tarnwell

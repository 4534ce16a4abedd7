#include "workspace.h"

#include "backdrop_screen.h"
#include "controls.h"
#include "document/session.h"
#include "select_directory_screen.h"
#include "start_screen.h"

namespace tarnwell {

Workspace::Workspace(Session &session, Interaction &interaction, QuitHandler quit)
    : m_session(session), m_interaction(interaction), m_quit(std::move(quit))
{}

Workspace::~Workspace()
{
    delete m_selectDirectory.data();
}

void Workspace::startUp()
{
    backdrop()->show();
    auto *startScreen = screen<StartScreen>();
    bringToFront(startScreen);
    startScreen->focusMakeFolder();
    m_session.setExistingFileMode(0);
}

BackdropScreen *Workspace::backdrop()
{
    if (!m_backdrop)
        m_backdrop = std::make_unique<BackdropScreen>();
    return m_backdrop.get();
}

SelectDirectoryScreen *Workspace::selectDirectory()
{
    if (!m_selectDirectory)
        m_selectDirectory = new SelectDirectoryScreen(*this);
    return m_selectDirectory.data();
}

void Workspace::quit()
{
    if (m_quit)
        m_quit();
}

void bringToFront(QWidget *screen)
{
    tabInLayoutOrder(screen);
    screen->show();
    screen->raise();
    screen->activateWindow();
}

} // namespace tarnwell

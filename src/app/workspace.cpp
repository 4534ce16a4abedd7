#include "workspace.h"

#include "backdrop_screen.h"
#include "document/session.h"
#include "screens/head_screen.h"
#include "select_directory_screen.h"
#include "start_screen.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tarnwell {

namespace {
// Stands in for a screen that a later version brings.
std::unique_ptr<QWidget> makeComingScreen(const QString &formName, const QString &caption)
{
    auto screen = std::make_unique<QWidget>();
    screen->setObjectName(formName);
    screen->setWindowTitle(caption);
    auto *layout = new QVBoxLayout(screen.get());
    layout->addWidget(new QLabel(QStringLiteral("This step is not ready yet."), screen.get()));
    screen->resize(360, 120);
    return screen;
}
} // namespace

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
    StartScreen *startScreen = start();
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

StartScreen *Workspace::start()
{
    if (!m_start)
        m_start = std::make_unique<StartScreen>(*this);
    return m_start.get();
}

HeadScreen *Workspace::head()
{
    if (!m_head)
        m_head = std::make_unique<HeadScreen>(*this);
    return m_head.get();
}

QWidget *Workspace::background()
{
    if (!m_background)
        m_background = makeComingScreen(QStringLiteral("Form3"), QStringLiteral("Background"));
    return m_background.get();
}

QWidget *Workspace::selection()
{
    if (!m_selection)
        m_selection = makeComingScreen(QStringLiteral("Form4"), QStringLiteral("Selection"));
    return m_selection.get();
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
    screen->show();
    screen->raise();
    screen->activateWindow();
}

} // namespace tarnwell

#include "workspace.h"

#include "controls.h"
#include "document/recovery.h"
#include "document/session.h"
#include "interaction.h"
#include "keyring.h"
#include "main_window.h"

#include <QApplication>
#include <QTimer>

namespace tarnwell {

namespace {
// How long a message waits for another dialog to close.
constexpr int kDialogWaitMs = 300;
// How long the end of the program waits for the keyring.
constexpr int kKeyringWaitMs = 5000;
} // namespace

Workspace::Workspace(Session &session, Interaction &interaction, QuitHandler quit)
    : m_session(session), m_interaction(interaction), m_quit(std::move(quit)),
      m_window(std::make_unique<MainWindow>()), m_keyring(std::make_unique<Keyring>())
{
    if (PageKeeper *keeper = m_session.pageKeeper()) {
        QObject::connect(keeper, &PageKeeper::cannotKeep, &m_context,
                         [this](const QString &reason) {
                             m_keepingTrouble = reason;
                             tellKeepingTrouble();
                         });
    }
}

Workspace::~Workspace()
{
    // Nothing comes into view while the screens go.
    m_window->releaseScreens();
    for (auto &[type, screen] : m_freshScreens)
        delete screen.data();
}

void Workspace::adopt(QWidget *screen)
{
    m_window->adopt(screen);
}

void Workspace::quit()
{
    m_window->keepGeometry();
    // Ending by choice: the page needs no keeping any more.
    if (PageKeeper *keeper = m_session.pageKeeper())
        keeper->forget();
    // A password just remembered is in the keyring before the program ends.
    m_keyring->settle(kKeyringWaitMs);
    if (m_quit) {
        m_quit();
        return;
    }
    // Not QCoreApplication::quit(): that first asks every window to close,
    // and the screens that stand for QUIT and Exit Program refuse.
    QCoreApplication::exit(0);
}

void Workspace::whenNoDialog(std::function<void()> then)
{
    // Not over a question the user is answering, nor inside it.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kDialogWaitMs, &m_context,
                           [this, then = std::move(then)]() mutable { whenNoDialog(std::move(then)); });
        return;
    }
    then();
}

void Workspace::tellKeepingTrouble()
{
    whenNoDialog([this] {
        if (m_keepingTrouble.isEmpty())
            return;
        const QString text = QStringLiteral("Tarnwell cannot keep a safety copy of your page: %1. "
                                            "Save your page often.")
                                 .arg(m_keepingTrouble);
        m_keepingTrouble.clear();
        m_interaction.showMessage(QApplication::activeWindow(), text, Interaction::Icon::Warning);
    });
}

void bringToFront(QWidget *screen)
{
    tabInLayoutOrder(screen);
    screen->show();
    if (MainWindow *window = MainWindow::of(screen)) {
        window->bringForward(screen);
        return;
    }
    screen->raise();
    screen->activateWindow();
}

} // namespace tarnwell

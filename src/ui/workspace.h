#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <typeindex>

namespace tarnwell {

class Interaction;
class Keyring;
class MainWindow;
class Session;

// Owns the main window and the screens in it, and hands them to one another.
// Most screens are made on first use and then only hidden and shown, so they
// keep what the user chose; a few are made afresh each time they are opened.
class Workspace final
{
public:
    using QuitHandler = std::function<void()>;

    // Without a quit handler, quitting ends the event loop with status 0.
    Workspace(Session &session, Interaction &interaction, QuitHandler quit = {});
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    Session &session() const { return m_session; }
    Interaction &interaction() const { return m_interaction; }
    Keyring &keyring() const { return *m_keyring; }

    // The one screen of its kind, made on first use.
    template <class Screen>
    Screen *screen()
    {
        std::unique_ptr<QWidget> &slot = m_screens[std::type_index(typeid(Screen))];
        if (!slot) {
            slot = std::make_unique<Screen>(*this);
            adopt(slot.get());
        }
        return static_cast<Screen *>(slot.get());
    }

    // The open screen of its kind, or a new one; such screens delete
    // themselves on closing.
    template <class Screen>
    Screen *freshScreen()
    {
        QPointer<QWidget> &slot = m_freshScreens[std::type_index(typeid(Screen))];
        if (!slot) {
            slot = new Screen(*this);
            adopt(slot.data());
        }
        return static_cast<Screen *>(slot.data());
    }

    // The one window that every screen shows in.
    MainWindow &window() const { return *m_window; }

    void quit();

    // Runs then once no dialog is open, so that a message that comes on its
    // own never lands over a question the user is answering.
    void whenNoDialog(std::function<void()> then);

private:
    void adopt(QWidget *screen);
    // Says that the page cannot be kept, once no other dialog is open.
    void tellKeepingTrouble();

    Session &m_session;
    Interaction &m_interaction;
    QuitHandler m_quit;
    // Outlives the screens, which are its children's children.
    std::unique_ptr<MainWindow> m_window;
    std::map<std::type_index, std::unique_ptr<QWidget>> m_screens;
    std::map<std::type_index, QPointer<QWidget>> m_freshScreens;
    QString m_keepingTrouble; // not yet told
    std::unique_ptr<Keyring> m_keyring;
    QObject m_context;        // ends the connections and timers with this
};

// Shows a screen in front of the others and gives it the keyboard: in view in
// the main window, and the main window in front.
void bringToFront(QWidget *screen);

} // namespace tarnwell

#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <typeindex>

namespace tarnwell {

class BackdropScreen;
class Interaction;
class SelectDirectoryScreen;
class Session;
class StartScreen;

// Owns the screens and hands them to one another. Most screens are made on
// first use and then only hidden and shown, so they keep what the user chose;
// the Select Directory screen is made afresh each time it is opened.
class Workspace final
{
public:
    using QuitHandler = std::function<void()>;

    Workspace(Session &session, Interaction &interaction, QuitHandler quit);
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    Session &session() const { return m_session; }
    Interaction &interaction() const { return m_interaction; }

    // Backdrop, then the Start screen with the focus on making a folder.
    void startUp();

    BackdropScreen *backdrop();

    // The one screen of its kind, made on first use.
    template <class Screen>
    Screen *screen()
    {
        std::unique_ptr<QWidget> &slot = m_screens[std::type_index(typeid(Screen))];
        if (!slot)
            slot = std::make_unique<Screen>(*this);
        return static_cast<Screen *>(slot.get());
    }

    // The open Select Directory screen, or a new one.
    SelectDirectoryScreen *selectDirectory();

    void quit();

private:
    Session &m_session;
    Interaction &m_interaction;
    QuitHandler m_quit;
    std::unique_ptr<BackdropScreen> m_backdrop;
    std::map<std::type_index, std::unique_ptr<QWidget>> m_screens;
    QPointer<SelectDirectoryScreen> m_selectDirectory;
};

// Shows a screen in front of the others and gives it the keyboard.
void bringToFront(QWidget *screen);

} // namespace tarnwell

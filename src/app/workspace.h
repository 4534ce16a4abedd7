#pragma once

#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

namespace tarnwell {

class BackdropScreen;
class HeadScreen;
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
    StartScreen *start();
    HeadScreen *head();
    QWidget *background();
    QWidget *selection();

    // The open Select Directory screen, or a new one.
    SelectDirectoryScreen *selectDirectory();
    bool isSelectDirectoryOpen() const { return !m_selectDirectory.isNull(); }

    void quit();

private:
    Session &m_session;
    Interaction &m_interaction;
    QuitHandler m_quit;
    std::unique_ptr<BackdropScreen> m_backdrop;
    std::unique_ptr<StartScreen> m_start;
    std::unique_ptr<HeadScreen> m_head;
    std::unique_ptr<QWidget> m_background;
    std::unique_ptr<QWidget> m_selection;
    QPointer<SelectDirectoryScreen> m_selectDirectory;
};

// Shows a screen in front of the others and gives it the keyboard.
void bringToFront(QWidget *screen);

} // namespace tarnwell

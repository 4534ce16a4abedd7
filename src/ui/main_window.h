#pragma once

#include <QWidget>
#include <vector>

class QStackedLayout;

namespace tarnwell {

// Tarnwell's one window. Every screen lives in it, each in a slot of its own,
// and shows one at a time: a screen's own show() and hide() say whether it is
// open, and the open screen shown last is the one in view, so that closing a
// screen shows again the one it was opened over. The close box is the close
// box of the screen in view; the window itself never closes.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    MainWindow();
    ~MainWindow() override;

    // Takes a screen that was just made, closed, into a slot of its own.
    void adopt(QWidget *screen);
    // Puts an open screen in view, over the others, in the window in front.
    void bringForward(QWidget *screen);
    // Lets go of every screen, which the window then no longer follows.
    void releaseScreens();

    QWidget *currentScreen() const;
    // The window a screen lives in, or null for a window of its own.
    static MainWindow *of(const QWidget *screen);

    // Keeps the size, the place and whether it is maximised for the next run.
    void keepGeometry() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void opened(QWidget *screen);
    void closed(QWidget *screen);
    void gone(QWidget *screen);
    void showCurrent();
    void fitIntoSlot(QWidget *screen);
    void showTitle();
    void placeFirstTime();

    QStackedLayout *m_slots = nullptr;
    QWidget *m_empty = nullptr;    // in view while no screen is open
    std::vector<QWidget *> m_open; // the open screens, the one in view last
};

// Makes a screen that is shown over another and closed by the user (advice,
// the folder list, Check page...) a dialog of the main window rather than a
// screen in it, so that the screen it helps with stays in view beside it.
// Called in the screen's constructor.
void showBesideTheScreens(QWidget *screen);

} // namespace tarnwell

#pragma once

#include <QWidget>

class QPushButton;

namespace tarnwell {

class Workspace;

// The menu of link kinds: picture buttons, MouseOver buttons, a text link.
class LinksScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit LinksScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Shown by the Button advice screen's Continue, with both link-making
    // buttons in view.
    void openFromAdvice();

    // Every Cancel on the way to a link puts all three Make buttons back.
    void restoreMakeButtons();

    // After a set of MouseOver buttons: one set per run.
    void markMouseOverInstalled();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void cancel();
    // A classic page takes one set of MouseOver buttons, named button1 on;
    // a modern page's buttons need no names, so it takes any number.
    void showState();

    Workspace &m_workspace;
    QPushButton *m_makeButtons = nullptr;
    QPushButton *m_makeMouseOver = nullptr;
    QPushButton *m_makeTextLink = nullptr;
    bool m_buttonsShown = true;
    bool m_mouseOverInstalled = false;
};

} // namespace tarnwell

#pragma once

#include <QWidget>

class QPushButton;

namespace tarnwell {

class Workspace;

// Where every session begins: make or choose the session folder.
class StartScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit StartScreen(Workspace &workspace, QWidget *parent = nullptr);

    void focusMakeFolder();
    void focusUseExistingFolder();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void quitProgram();

private:
    void makeFolder();
    void useExistingFolder();

    Workspace &m_workspace;
    QPushButton *m_makeFolder = nullptr;
    QPushButton *m_useExisting = nullptr;
};

// Program start: the main window with the Start screen, the focus on making a
// folder.
void showStartScreens(Workspace &workspace);

} // namespace tarnwell

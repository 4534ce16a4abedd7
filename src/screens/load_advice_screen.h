#pragma once

#include <QWidget>

namespace tarnwell {

class Workspace;

// Explains what loading a page file does, then reads one into the page body.
class LoadAdviceScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit LoadAdviceScreen(Workspace &workspace, QWidget *parent = nullptr);

private:
    void load();

    Workspace &m_workspace;
};

// Once a page is in the page body: off to the Start screen to choose the
// session folder, which then leads straight to the Selection screen.
void askForSessionFolder(Workspace &workspace, QWidget *parent);

} // namespace tarnwell

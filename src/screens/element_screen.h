#pragma once

#include <QWidget>

namespace tarnwell {

class Workspace;

// A screen opened from the Selection screen to add one element to the page.
class ElementScreen : public QWidget
{
    Q_OBJECT

public:
    explicit ElementScreen(Workspace &workspace, const char *formName, const QString &caption,
                           QWidget *parent = nullptr);

protected:
    // Adds a fragment at the end of the page.
    void append(const QString &fragment);

    // Hides this screen and brings the Selection screen to the front.
    void finish();

    // Leaves without adding anything: back to the Selection screen's PREVIEW.
    void cancel();

    // Screens on the way to a link put the Links screen's Make buttons back
    // when they are cancelled.
    void restoreLinksOnCancel() { m_restoresLinks = true; }

    // A Yes/No question; true for Yes.
    bool confirm(const QString &question);

    // The close box is "Cancel".
    void closeEvent(QCloseEvent *event) override;

    Workspace &m_workspace;

private:
    bool m_restoresLinks = false;
};

} // namespace tarnwell

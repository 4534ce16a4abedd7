#pragma once

#include "html/modern.h"

#include <QWidget>

namespace tarnwell {

class PictureDescription;
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

    // Whether the page is one for phones and today's browsers.
    bool modern() const;

    // True unless a modern page would get a picture nobody describes; then
    // the user is told and nothing is to be added.
    bool described(const PictureDescription &description, int count = 1);

    // A picture as a modern page names it, its size read from the file of
    // that name in the session folder.
    PagePicture pagePicture(const QString &file, const QString &alt) const;

    // A Yes/No question; true for Yes.
    bool confirm(const QString &question);

    // The close box is "Cancel".
    void closeEvent(QCloseEvent *event) override;

    Workspace &m_workspace;

private:
    bool m_restoresLinks = false;
};

} // namespace tarnwell

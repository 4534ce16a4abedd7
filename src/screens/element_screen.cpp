#include "element_screen.h"

#include "links_screen.h"
#include "selection_screen.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QCloseEvent>

namespace tarnwell {

ElementScreen::ElementScreen(Workspace &workspace, const char *formName, const QString &caption,
                             QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QLatin1String(formName));
    setWindowTitle(caption);
}

void ElementScreen::append(const QString &fragment)
{
    m_workspace.screen<SelectionScreen>()->appendToPage(fragment);
}

void ElementScreen::finish()
{
    hide();
    bringToFront(m_workspace.screen<SelectionScreen>());
}

void ElementScreen::cancel()
{
    finish();
    m_workspace.screen<SelectionScreen>()->focusPreview();
    if (m_restoresLinks)
        m_workspace.screen<LinksScreen>()->restoreMakeButtons();
}

bool ElementScreen::confirm(const QString &question)
{
    return m_workspace.interaction().askYesNo(this, question);
}

void ElementScreen::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}

} // namespace tarnwell

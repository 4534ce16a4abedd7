#include "element_screen.h"

#include "document/paths.h"
#include "document/picture_header.h"
#include "document/session.h"
#include "links_screen.h"
#include "picture_description.h"
#include "selection_screen.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QFileInfo>

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

bool ElementScreen::modern() const
{
    return m_workspace.session().isModern();
}

bool ElementScreen::described(const PictureDescription &description, int count)
{
    if (!modern() || description.complete(count))
        return true;
    m_workspace.interaction().showMessage(
        this,
        description.forLinks()
            ? QStringLiteral("Please type the words of each link: someone who cannot see its "
                             "picture hears them instead.")
            : QStringLiteral("Please describe the picture for someone who cannot see it, or tick "
                             "\"Only decoration: nothing to describe\" if it shows nothing that "
                             "matters."),
        Interaction::Icon::Warning);
    return false;
}

PagePicture ElementScreen::pagePicture(const QString &file, const QString &alt) const
{
    PagePicture picture{file, alt, {}};
    // A typed name may be a path or nothing at all: only a bare name lies in
    // the session folder.
    if (!file.isEmpty() && !file.contains(QLatin1Char('/')) && !file.contains(QLatin1Char('\\'))) {
        const QString path = derivedPath(m_workspace.session().sessionFolder(), file);
        const PictureInfo info = QFileInfo(path).isSymLink() ? PictureInfo() : readPicture(path);
        if (info.readable)
            picture.size = info.size;
    }
    return picture;
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

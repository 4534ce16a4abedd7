#include "picture_import.h"

#include "document/files.h"
#include "document/paths.h"
#include "document/session.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QWidget>
#include <utility>

namespace tarnwell {

void PictureImport::Reduce(QWidget *parent)
{
    ChosenPath.clear();
    PathTail.clear();
    ChosenPath = m_workspace.interaction().chooseFileToOpen(parent, QStringLiteral("*.*"),
                                                            std::exchange(m_firstFolder, {}));
    SourcePath = ChosenPath;
    PathTail.clear();
    if (ChosenPath.size() < 5) {
        PictureName.clear(); // cancelled
        return;
    }
    PictureName = PathTail = bareFileName(ChosenPath);
}

void PictureImport::FileSave(QWidget *finishButton)
{
    SourcePath = ChosenPath;
    TargetPath = derivedPath(m_workspace.session().sessionFolder(), PictureName);
    if (finishButton)
        finishButton->setFocus();
    if (PictureName.isEmpty())
        return;
    copyIntoFolder(SourcePath, TargetPath);
}

QString PictureImport::find(QWidget *parent, QWidget *finishButton)
{
    Reduce(parent);
    FileSave(finishButton);
    return PictureName;
}

} // namespace tarnwell

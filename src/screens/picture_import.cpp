#include "picture_import.h"

#include "document/files.h"
#include "document/page_file.h"
#include "document/paths.h"
#include "document/session.h"
#include "document/web_pictures.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <utility>

namespace tarnwell {

namespace {

// Both ordinary files with the very same bytes.
bool sameBytes(const QString &one, const QString &other)
{
    QFile a(one), b(other);
    if (!openRegularFile(a) || !openRegularFile(b) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        const QByteArray part = a.read(1 << 16);
        if (part.isEmpty() || b.read(part.size()) != part)
            return false;
    }
    return true;
}

} // namespace

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
    const QString folder = m_workspace.session().sessionFolder();
    if (finishButton)
        finishButton->setFocus();
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const bool inFolder =
        !canonicalFolder.isEmpty() &&
        QFileInfo(QFileInfo(ChosenPath).absolutePath()).canonicalFilePath() == canonicalFolder;
    if (!PictureName.isEmpty() && !inFolder) {
        PictureName = webSafeName(PictureName);
        const QString taken = derivedPath(folder, PictureName);
        const QFileInfo there(taken);
        if ((there.exists() || there.isSymLink()) && !sameBytes(SourcePath, taken)) {
            const qsizetype dot = PictureName.lastIndexOf(u'.');
            const QString free =
                freeName(folder, dot > 0 ? PictureName.left(dot) : PictureName, QStringLiteral("-"),
                         dot > 0 ? PictureName.sliced(dot) : QString());
            if (!free.isEmpty())
                PictureName = free;
        }
    }
    TargetPath = derivedPath(folder, PictureName);
    if (PictureName.isEmpty() || inFolder)
        return;
    copyIntoFolder(SourcePath, TargetPath);
}

bool PictureImport::offerWebCopy(QWidget *parent)
{
    const Session &session = m_workspace.session();
    const PictureFacts facts = pictureFacts(ChosenPath);
    const int widest = widestPicture(isModernPage(session.page().text()));
    // A moving picture would stand still in the copy: it goes in as it is.
    if (facts.animated || !isTooBigForWeb(facts, widest))
        return false;
    Interaction &ui = m_workspace.interaction();
    if (!ui.askYesNo(parent, webCopyQuestion(facts)))
        return false;
    QString copyName;
    QString error;
    if (!writeWebCopy(ChosenPath, PictureName, session.sessionFolder(), widest, &copyName,
                      &error)) {
        ui.showMessage(parent,
                       QStringLiteral("Tarnwell could not make a copy for the web: %1 The photo "
                                      "goes in as it is.")
                           .arg(error),
                       Interaction::Icon::Critical);
        return false;
    }
    SourcePath = ChosenPath;
    PictureName = copyName;
    TargetPath = derivedPath(session.sessionFolder(), copyName);
    return true;
}

QString PictureImport::find(QWidget *parent, QWidget *finishButton)
{
    Reduce(parent);
    if (!PictureName.isEmpty() && offerWebCopy(parent)) {
        if (finishButton)
            finishButton->setFocus();
        return PictureName;
    }
    FileSave(finishButton);
    return PictureName;
}

} // namespace tarnwell

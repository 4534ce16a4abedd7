#pragma once

#include <QString>

class QWidget;

namespace tarnwell {

class Workspace;

// Picks a picture anywhere on disk and copies it into the session folder
// under its bare name. Each picture screen owns one, so each remembers its
// own last choice.
class PictureImport final
{
public:
    explicit PictureImport(Workspace &workspace) : m_workspace(workspace) {}

    // Asks for a file and makes PictureName its bare name (empty on cancel).
    void Reduce(QWidget *parent);

    // The folder the first dialog opens in; later ones open where the user
    // last was.
    void setFirstFolder(const QString &folder) { m_firstFolder = folder; }

    // Copies the chosen file into the session folder unless a file of that
    // name is there already; any failure is passed over.
    void FileSave(QWidget *finishButton);

    // What a picture-finding button does: ask, copy, and hand back the bare
    // name for the screen's picture-name box; the focus ends on finishButton.
    QString find(QWidget *parent, QWidget *finishButton);

    QString PictureName;
    QString ChosenPath;
    QString SourcePath;
    QString PathTail;
    QString TargetPath;

private:
    Workspace &m_workspace;
    QString m_firstFolder;
};

} // namespace tarnwell

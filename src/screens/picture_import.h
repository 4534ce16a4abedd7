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

    // Copies the chosen file into the session folder under a name that every
    // web server serves (PictureName becomes it). A file of that name with the
    // same bytes is used as it is; another one is never overwritten, the copy
    // takes the next free name. A picture chosen in the session folder itself
    // keeps its name. Any failure is passed over.
    void FileSave(QWidget *finishButton);

    // What a picture-finding button does: ask, offer a copy made for the web
    // when the picture is too big for a page, copy, and hand back the bare
    // name for the screen's picture-name box; the focus ends on finishButton.
    QString find(QWidget *parent, QWidget *finishButton);

    QString PictureName;
    QString ChosenPath;
    QString SourcePath;
    QString PathTail;
    QString TargetPath;

private:
    // True when the user took a web copy of the chosen picture, which is then
    // PictureName in the session folder.
    bool offerWebCopy(QWidget *parent);

    Workspace &m_workspace;
    QString m_firstFolder;
};

} // namespace tarnwell

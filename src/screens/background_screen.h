#pragma once

#include "html/background.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwell {

class Workspace;

// The page background: a plain colour, a texture file of the user's own, or
// one of the gallery textures. Its Next writes the start of the page.
class BackgroundScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit BackgroundScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Shown from the HEAD screen: samples and previews in view, fields hidden.
    void showFromHead();

    // Shown again after the Selection screen's Back emptied the page.
    void showAfterPageCleared();

    // The Selected Backgrounds screen hands over the texture taken there.
    void takeGalleryTexture(const QString &name);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void choosePlainColour();
    void chooseTextureFile();
    void seeGallery();
    void back();
    void next();
    void copyTexture();
    // Which samples, previews and names show follows from the view and the choice alone.
    void showState();

    Workspace &m_workspace;
    QLabel *m_caption = nullptr;      // "Background"
    QLabel *m_colourSample = nullptr; // shows the plain colour
    QLineEdit *m_colourWords = nullptr;
    QLineEdit *m_ownFileName = nullptr;
    QLineEdit *m_galleryName = nullptr;
    QLabel *m_ownPreview = nullptr;
    QLabel *m_galleryPreview = nullptr;
    QPushButton *m_next = nullptr;

    // The three samples side by side, or the one that was chosen.
    enum class View { Samples, Colour, OwnFile, Gallery };
    View m_view = View::Samples;
    bool m_captionShown = true;
    BackgroundChoice m_choice = BackgroundChoice::PlainColour;
    QString m_bodyAttributes = defaultBodyAttributes();
    QString m_ownFilePath;
    qint32 m_colourNumber = 0xFFFFFF;
};

} // namespace tarnwell

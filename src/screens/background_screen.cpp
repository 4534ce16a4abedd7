#include "background_screen.h"

#include "document/files.h"
#include "document/gallery.h"
#include "document/paths.h"
#include "document/session.h"
#include "document/web_pictures.h"
#include "head_screen.h"
#include "html/colour.h"
#include "html/modern.h"
#include "selected_backgrounds_screen.h"
#include "selection_screen.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwell {

namespace {
QLineEdit *readOnlyField(QWidget *parent, const char *name)
{
    auto *field = named(new QLineEdit(parent), name);
    field->setReadOnly(true);
    return field;
}

QLabel *previewBox(QWidget *parent, const char *name, QSize size, const QString &placeholder)
{
    auto *box = named(new QLabel(placeholder, parent), name);
    box->setFixedSize(size);
    box->setFrameShape(QFrame::Box);
    box->setAlignment(Qt::AlignCenter);
    box->setWordWrap(true);
    return box;
}

void setSampleColour(QLabel *sample, qint32 colourNumber)
{
    sample->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray;")
                              .arg(colourFromNumber(colourNumber).name()));
}
} // namespace

BackgroundScreen::BackgroundScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Background"));

    m_caption = named(new QLabel(QStringLiteral("Background"), this), "Label2");
    QFont big = m_caption->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_caption->setFont(big);

    m_colourSample = named(new QLabel(this), "Label1");
    m_colourSample->setFixedSize(161, 60);
    setSampleColour(m_colourSample, m_colourNumber);
    m_colourWords = readOnlyField(this, "Text2");
    m_ownFileName = readOnlyField(this, "Text1");
    m_galleryName = readOnlyField(this, "Text3");
    m_ownPreview =
        previewBox(this, "Picture1", QSize(161, 161), QStringLiteral("Your own texture picture"));
    m_galleryPreview =
        previewBox(this, "Picture2", QSize(200, 150), QStringLiteral("A texture from the gallery"));

    QPushButton *plain = makeButton(this, "Command2", QStringLiteral("Choose a plain Background"));
    QPushButton *ownFile =
        makeButton(this, "Command3", QStringLiteral("Choose a textured Background file"));
    QPushButton *gallery =
        makeButton(this, "Command4", QStringLiteral("See a selection  of displayed textures"));
    QPushButton *back = makeButton(this, "Command5", QStringLiteral("Back"));
    m_next = makeButton(this, "Command1", QStringLiteral("Next"));

    auto *grid = new QGridLayout;
    grid->addWidget(plain, 0, 0);
    grid->addWidget(m_colourSample, 1, 0);
    grid->addWidget(m_colourWords, 2, 0);
    grid->addWidget(ownFile, 0, 1);
    grid->addWidget(m_ownPreview, 1, 1);
    grid->addWidget(m_ownFileName, 2, 1);
    grid->addWidget(gallery, 0, 2);
    grid->addWidget(m_galleryPreview, 1, 2);
    grid->addWidget(m_galleryName, 2, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(m_next);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    showState();

    connect(plain, &QPushButton::clicked, this, &BackgroundScreen::choosePlainColour);
    connect(ownFile, &QPushButton::clicked, this, &BackgroundScreen::chooseTextureFile);
    connect(gallery, &QPushButton::clicked, this, &BackgroundScreen::seeGallery);
    connect(back, &QPushButton::clicked, this, &BackgroundScreen::back);
    connect(m_next, &QPushButton::clicked, this, &BackgroundScreen::next);
}

void BackgroundScreen::showState()
{
    m_caption->setVisible(m_captionShown);
    m_colourSample->setVisible(m_view == View::Samples || m_view == View::Colour);
    // A texture file being chosen takes the colour's words away at once.
    m_colourWords->setVisible(m_view == View::Colour && m_choice != BackgroundChoice::OwnFile);
    m_ownPreview->setVisible(m_view == View::Samples || m_view == View::OwnFile);
    m_ownFileName->setVisible(m_view == View::OwnFile);
    m_galleryPreview->setVisible(m_view == View::Samples || m_view == View::Gallery);
    m_galleryName->setVisible(m_view == View::Gallery);
}

void BackgroundScreen::showFromHead()
{
    m_view = View::Samples;
    m_captionShown = true;
    showState();
    bringToFront(this);
    m_next->setFocus();
}

void BackgroundScreen::showAfterPageCleared()
{
    bringToFront(this);
    m_ownFileName->clear();
    m_colourWords->clear();
    m_view = View::Samples;
    showState();
}

void BackgroundScreen::choosePlainColour()
{
    const std::optional<qint32> chosen =
        m_workspace.interaction().chooseColour(this, m_colourNumber);
    if (!chosen)
        return; // cancelled: the background stays as it was
    m_ownFileName->clear();
    m_galleryName->clear();
    m_colourSample->clear();
    m_colourNumber = *chosen;
    setSampleColour(m_colourSample, m_colourNumber);
    m_bodyAttributes = plainColourAttributes(ConvertColor(QString::number(m_colourNumber)));
    m_choice = BackgroundChoice::PlainColour;
    m_colourWords->setText(QStringLiteral("Background colour"));
    m_view = View::Colour;
    m_captionShown = false;
    showState();
}

void BackgroundScreen::chooseTextureFile()
{
    m_galleryName->clear();
    setSampleColour(m_colourSample, 0xFFFFFF);
    m_choice = BackgroundChoice::OwnFile;
    m_captionShown = false;
    showState();

    const QString path = m_workspace.interaction().chooseFileToOpen(this, QStringLiteral("*.*"));
    if (path.size() < 5)
        return; // cancelled: the earlier file and BODY attributes stay
    m_ownFilePath = path;
    // Copied in under a name that every web server serves; a picture of the
    // session folder itself keeps its own.
    const QString folder = QFileInfo(m_workspace.session().sessionFolder()).canonicalFilePath();
    const bool inFolder = !folder.isEmpty() &&
                          QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath() == folder;
    const QString name = inFolder ? bareFileName(path) : webSafeName(bareFileName(path));
    m_ownFileName->setText(name);
    m_bodyAttributes = textureFileAttributes(name);
    showPicture(m_ownPreview, path);
    m_view = View::OwnFile;
    showState();
}

void BackgroundScreen::seeGallery()
{
    if (m_choice == BackgroundChoice::PlainColour)
        m_choice = BackgroundChoice::None;
    m_captionShown = false;
    showState();
    hide();
    SelectedBackgroundsScreen *gallery = m_workspace.screen<SelectedBackgroundsScreen>();
    bringToFront(gallery);
    gallery->focusChange();
}

void BackgroundScreen::takeGalleryTexture(const QString &name)
{
    bringToFront(this);
    m_galleryName->setText(name);
    showPicture(m_galleryPreview, derivedPath(programFolder(), name));
    m_choice = BackgroundChoice::Gallery;
    m_view = View::Gallery;
    showState();
    m_next->setFocus();
}

void BackgroundScreen::back()
{
    hide();
    bringToFront(m_workspace.screen<HeadScreen>());
}

void BackgroundScreen::copyTexture()
{
    // Only a texture needs its picture beside the page.
    QString source;
    QString name;
    if (m_choice == BackgroundChoice::Gallery && !m_galleryName->text().isEmpty()) {
        name = m_galleryName->text();
        source = derivedPath(programFolder(), name);
    } else if (m_choice == BackgroundChoice::OwnFile && !m_ownFileName->text().isEmpty()) {
        name = m_ownFileName->text();
        source = m_ownFilePath;
    } else {
        return;
    }
    const QString target = derivedPath(m_workspace.session().sessionFolder(), name);
    if (copyIntoFolder(source, target) == CopyResult::Failed) {
        m_workspace.interaction().showMessage(
            this, QStringLiteral("You may be trying to copy a file to itself. Ignore"),
            Interaction::Icon::Information);
    }
}

void BackgroundScreen::next()
{
    Session &session = m_workspace.session();
    copyTexture();

    hide();
    SelectionScreen *selection = m_workspace.screen<SelectionScreen>();
    session.setSelectionFolder(session.headFolder(), session.headFolder());
    if (session.isModern()) {
        const QString texture =
            m_choice == BackgroundChoice::Gallery ? m_galleryName->text() : m_ownFileName->text();
        // A texture never chosen leaves the colour, as in the classic page.
        const bool textured =
            m_choice == BackgroundChoice::Gallery || m_choice == BackgroundChoice::OwnFile;
        const BackgroundChoice choice =
            textured && texture.isEmpty() ? BackgroundChoice::PlainColour : m_choice;
        session.beginPage(
            modernHeadText(session.pageTitle(), session.pageLanguage(), session.pageDescription()) +
            modernBodyLine(choice, ConvertColor(m_colourNumber), texture) +
            session.heading().text());
    } else {
        const QString bodyLine = buildBodyLine(m_choice, m_bodyAttributes, m_galleryName->text());
        session.beginPage(buildPageStart(session.pageTitle(), bodyLine, session.heading(),
                                         session.pageDescription()));
    }
    bringToFront(selection);
    selection->focusPreview();
    m_workspace.interaction().showMessage(
        selection,
        QStringLiteral("This is your chance to PREVIEW your page so far. The BACK button may\r"
                       "only be used for choices you just made and is not available when\r"
                       "you have begun adding things from this page."),
        Interaction::Icon::Information);
}

void BackgroundScreen::closeEvent(QCloseEvent *event)
{
    // The close box is "Back".
    event->ignore();
    back();
}

} // namespace tarnwell

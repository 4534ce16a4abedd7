#include "selected_backgrounds_screen.h"

#include "background_screen.h"
#include "document/files.h"
#include "document/gallery.h"
#include "document/paths.h"
#include "ui/controls.h"
#include "ui/main_window.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwell {

void showPicture(QLabel *label, const QString &path)
{
    // Only a regular file: a named pipe picked in the dialog would never answer.
    QFile file(path);
    QImage image;
    if (openRegularFile(file))
        image = QImageReader(&file).read();
    if (image.isNull()) {
        label->clear();
        return;
    }
    label->setPixmap(QPixmap::fromImage(
        image.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

SelectedBackgroundsScreen::SelectedBackgroundsScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Form5"));
    showBesideTheScreens(this);
    setWindowTitle(QStringLiteral("Selected Backgrounds"));

    auto *caption =
        named(new QLabel(QStringLiteral("Selection of 20 backgrounds"), this), "Label1");
    m_picture = named(new QLabel(this), "Picture1");
    m_picture->setFixedSize(200, 150);
    m_picture->setFrameShape(QFrame::Box);
    m_picture->setAlignment(Qt::AlignCenter);
    m_name = named(new QLineEdit(QStringLiteral("bckgrnd20.jpg"), this), "Text1");
    m_name->setReadOnly(true);
    m_name->setAccessibleName(QStringLiteral("Background shown"));
    m_change = makeButton(this, "Command1", QStringLiteral("Click to change"));
    QPushButton *take = makeButton(this, "Command2", QStringLiteral("This one!"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_picture, 0, Qt::AlignHCenter);
    layout->addWidget(m_name);
    layout->addWidget(m_change);
    layout->addWidget(take);

    connect(m_change, &QPushButton::clicked, this, &SelectedBackgroundsScreen::showNextTexture);
    connect(take, &QPushButton::clicked, this, &SelectedBackgroundsScreen::takeThisOne);
    showPicture(m_picture, derivedPath(programFolder(), m_name->text()));
}

void SelectedBackgroundsScreen::focusChange()
{
    m_change->setFocus();
}

void SelectedBackgroundsScreen::showNextTexture()
{
    if (m_counter < 1 || m_counter > 20)
        m_counter = 1;
    const QString name = galleryTextureName(m_counter);
    showPicture(m_picture, derivedPath(programFolder(), name));
    m_name->setText(name);
    ++m_counter;
}

void SelectedBackgroundsScreen::takeThisOne()
{
    hide();
    m_workspace.screen<BackgroundScreen>()->takeGalleryTexture(m_name->text());
}

void SelectedBackgroundsScreen::closeEvent(QCloseEvent *event)
{
    // The close box goes back without taking a texture.
    event->ignore();
    hide();
    bringToFront(m_workspace.screen<BackgroundScreen>());
}

} // namespace tarnwell

#include "select_directory_screen.h"

#include "document/paths.h"
#include "document/session.h"
#include "head_screen.h"
#include "selection_screen.h"
#include "start_screen.h"
#include "ui/controls.h"
#include "ui/main_window.h"
#include "ui/drive_list.h"
#include "ui/folder_list.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QWindow>

namespace tarnwell {

namespace {
QLabel *iconLabel(QWidget *parent, const char *name, QStyle::StandardPixmap icon)
{
    auto *label = named(new QLabel(parent), name);
    label->setPixmap(parent->style()->standardIcon(icon).pixmap(32, 32));
    return label;
}
} // namespace

SelectDirectoryScreen::SelectDirectoryScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("nonComdlg"));
    showBesideTheScreens(this);
    setWindowTitle(QStringLiteral("Select Directory"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *frame = named(new QGroupBox(QStringLiteral("Select Directory"), this), "Frame1");
    auto *grid = new QGridLayout(frame);

    auto *driveLabel = named(new QLabel(QStringLiteral("Drive"), frame), "Label5");
    m_drives = named(new DriveList(frame), "Drive1");
    driveLabel->setBuddy(m_drives);
    grid->addWidget(driveLabel, 0, 0);
    grid->addWidget(m_drives, 0, 1);

    m_folders = named(new FolderList(frame), "Dir1");
    m_folders->setMinimumSize(260, 220);
    m_folders->setAccessibleName(QStringLiteral("Folders"));
    grid->addWidget(m_folders, 1, 0, 1, 2);
    m_arrow = named(new QLabel(QStringLiteral("<-"), frame), "Label6");
    m_arrow->setTextFormat(Qt::PlainText);
    grid->addWidget(m_arrow, 1, 2, Qt::AlignTop);
    // Which folder Use takes, in words, whichever way it was chosen.
    m_goesInto = named(new QLabel(frame), "PagesGoInto");
    m_goesInto->setTextFormat(Qt::PlainText);
    m_goesInto->setWordWrap(true);
    m_goesInto->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_goesInto, 2, 0, 1, 4);

    m_instruction = named(new QLabel(frame), "Label1");
    m_instruction->setWordWrap(true);
    m_instruction->setTextFormat(Qt::PlainText);
    m_instruction->setMinimumWidth(200);
    m_openIcon = iconLabel(frame, "Image2", QStyle::SP_DirOpenIcon);
    auto *side = new QVBoxLayout;
    side->addWidget(m_instruction);
    side->addWidget(m_openIcon);
    side->addStretch();
    grid->addLayout(side, 1, 3);

    m_typeName = named(new QLabel(QStringLiteral("Type a short folder name"), frame), "Label2");
    m_name = named(new QLineEdit(frame), "Text1");
    m_typeName->setBuddy(m_name);
    grid->addWidget(m_typeName, 3, 0, 1, 2);
    grid->addWidget(m_name, 4, 0, 1, 2);

    m_madeIcon = iconLabel(frame, "Image1", QStyle::SP_DirIcon);
    m_madeName = named(new QLabel(frame), "Label3");
    m_madeName->setTextFormat(Qt::PlainText);
    m_created = named(new QLabel(QStringLiteral("Created!"), frame), "Label4");
    auto *made = new QHBoxLayout;
    made->addWidget(m_madeIcon);
    made->addWidget(m_madeName);
    made->addWidget(m_created);
    made->addStretch();
    grid->addLayout(made, 5, 0, 1, 4);

    m_use = makeButton(this, "CmdUseFile", QStringLiteral("Use"));
    m_cancel = makeButton(this, "CmdCancelSetFileToNull", QStringLiteral("Cancel"));
    m_continue = makeButton(this, "Command1", QStringLiteral("Continue"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_use);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_continue);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    m_continue->hide();
    m_madeIcon->hide();
    m_madeName->hide();
    m_created->hide();
    m_openIcon->hide();

    connect(m_use, &QPushButton::clicked, this, &SelectDirectoryScreen::use);
    connect(m_cancel, &QPushButton::clicked, this, &SelectDirectoryScreen::cancel);
    connect(m_continue, &QPushButton::clicked, this,
            &SelectDirectoryScreen::continueWithMadeFolder);
    connect(m_drives, &DriveList::driveChosen, this, &SelectDirectoryScreen::chooseDrive);
    connect(m_folders, &FolderList::pathChanged, m_drives, &DriveList::showDriveOf);
    connect(m_folders, &FolderList::chosenPathChanged, this, &SelectDirectoryScreen::showChoice);
    connect(m_name, &QLineEdit::textChanged, this, &SelectDirectoryScreen::showChoice);
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            &SelectDirectoryScreen::focusWindowChanged);
    m_lastFocusWindow = QGuiApplication::focusWindow();

    resetFolderList();
}

void SelectDirectoryScreen::restoreStartingLook()
{
    // The Start screen stays usable beneath, so a folder made but not yet
    // continued with may be left for a new choice.
    m_madePath.clear();
    m_use->show();
    m_cancel->show();
    m_arrow->show();
    m_folders->setEnabled(true);
    m_drives->setEnabled(true);
    bringToFront(this);
    resetFolderList();
}

void SelectDirectoryScreen::openToMakeFolder()
{
    restoreStartingLook();
    m_name->clear();
    m_instruction->show();
    m_typeName->show();
    m_name->show();
    m_madeIcon->hide();
    m_madeName->hide();
    m_created->hide();
    m_openIcon->hide();
    m_continue->hide();
    m_instruction->setText(
        QStringLiteral("Click on the folder you want this to be a subdirectory of e.g. C:\\"));    showChoice();
}

void SelectDirectoryScreen::openToChooseFolder()
{
    restoreStartingLook();
    // A name typed for a folder that was never made is not part of this choice.
    m_name->clear();
    m_madeIcon->hide();
    m_continue->hide();
    m_typeName->hide();
    m_madeName->hide();
    m_created->hide();
    m_name->hide();
    m_openIcon->show();
    m_instruction->show();
    m_instruction->setText(QStringLiteral("DoubleClick until the folder icon is open, like this."));    showChoice();
}

void SelectDirectoryScreen::use()
{
    if (m_workspace.session().folderMode() == FolderMode::MakeNew)
        makeFolder();
    else
        takeExistingFolder();
}

void SelectDirectoryScreen::makeFolder()
{
    Interaction &ui = m_workspace.interaction();
    const QString name = m_name->text();
    if (name.isEmpty()) {
        ui.showMessage(this, QStringLiteral("You did not type the directory name!"),
                       Interaction::Icon::Critical);
        return;
    }
    const QString path = subfolderPath(m_folders->chosenPath(), name);
    // A name with a separator, "." or ".." would make or name a folder elsewhere.
    if (!isPlainFolderName(name) || !QDir().mkdir(QDir::fromNativeSeparators(path))) {
        ui.showMessage(
            this, QStringLiteral("Directory already exists! Type another name or click Cancel"),
            Interaction::Icon::Information);
        return;
    }
    m_madePath = path;
    m_workspace.session().setSessionFolder(path);

    m_continue->show();
    m_use->hide();
    m_cancel->hide();
    m_typeName->hide();
    m_name->hide();
    m_instruction->hide();
    m_arrow->hide();
    m_madeIcon->show();
    m_madeName->show();
    m_created->show();
    m_madeName->setText(name);
    showChoice();
    m_folders->setEnabled(false);
    m_drives->setEnabled(false);
    m_continue->setFocus();
}

void SelectDirectoryScreen::continueWithMadeFolder()
{
    Session &session = m_workspace.session();
    if (session.ExistingFileMode() == 1) {
        session.setSelectionFolder(QStringLiteral("Folder for session is  ") + m_madePath,
                                   m_madePath);
        SelectionScreen *selection = m_workspace.screen<SelectionScreen>();
        bringToFront(selection);
        selection->hideBack();
    } else {
        m_workspace.screen<StartScreen>()->hide();
        session.setHeadFolder(m_madePath);
        bringToFront(m_workspace.screen<HeadScreen>());
    }
    m_finished = true;
    close();
}

void SelectDirectoryScreen::takeExistingFolder()
{
    Session &session = m_workspace.session();
    const QString folder = m_folders->chosenPath();
    const QString shown = folder + m_name->text();
    session.setSessionFolder(folder);
    session.setHeadFolder(shown);
    if (session.ExistingFileMode() == 1) {
        m_workspace.screen<StartScreen>()->hide();
        session.setSelectionFolder(shown, shown);
        SelectionScreen *selection = m_workspace.screen<SelectionScreen>();
        bringToFront(selection);
        selection->hideBack();
    } else {
        bringToFront(m_workspace.screen<HeadScreen>());
    }
    m_finished = true;
    close();
}

void SelectDirectoryScreen::cancel()
{
    close();
}

void SelectDirectoryScreen::closeEvent(QCloseEvent *event)
{
    // Cancel, or the close box: back to the Start screen as it was.
    if (!m_finished) {
        StartScreen *start = m_workspace.screen<StartScreen>();
        start->activateWindow();
        start->focusUseExistingFolder();
    }
    event->accept();
}

void SelectDirectoryScreen::chooseDrive(const QString &root)
{
    if (!m_folders->setPath(root)) {
        m_workspace.interaction().showMessage(
            this,
            QStringLiteral("The drive ") + root +
                QStringLiteral(" cannot be read. Choose another drive."),
            Interaction::Icon::Critical);
        m_drives->showDriveOf(m_folders->path());
    }
}

void SelectDirectoryScreen::resetFolderList()
{
    // A page just loaded most often lives in its session folder: the list
    // opens there, with that folder chosen.
    const Session &session = m_workspace.session();
    const QString loaded = session.ExistingFileMode() == 1 ? session.loadedPageFolder() : QString();
    if (loaded.isEmpty() || !m_folders->setPath(loaded))
        m_folders->setPath(startFolder());
    m_drives->showDriveOf(m_folders->path());
}

void SelectDirectoryScreen::showChoice()
{
    const QString prefix = QStringLiteral("Your pages go into: ");
    const QString chosen = m_folders->chosenPath();
    if (!m_madePath.isEmpty())
        m_goesInto->setText(prefix + m_madePath);
    else if (m_workspace.session().folderMode() == FolderMode::UseExisting)
        m_goesInto->setText(prefix + chosen);
    else if (m_name->text().isEmpty())
        m_goesInto->setText(prefix + QStringLiteral("a new folder in ") + chosen +
                            QStringLiteral(", named below"));
    else
        m_goesInto->setText(prefix + subfolderPath(chosen, m_name->text()));
}

void SelectDirectoryScreen::showEvent(QShowEvent *event)
{
    // In view again after another screen of the main window: the lists start
    // afresh. One of our own message boxes leaves the screen in view, and a
    // window shown again by the window manager is not another screen. Once a
    // folder is made the lists are locked to it.
    if (!event->spontaneous() && m_folders->isEnabled())
        resetFolderList();
    QWidget::showEvent(event);
}

void SelectDirectoryScreen::focusWindowChanged(QWindow *now)
{
    QWindow *before = m_lastFocusWindow;
    m_lastFocusWindow = now;
    // Coming back from a screen with a window of its own (the Browser) starts
    // the lists afresh too.
    if (now && now == window()->windowHandle() && isVisible() && isOtherScreen(before) &&
        m_folders->isEnabled())
        resetFolderList();
}

bool SelectDirectoryScreen::isOtherScreen(QWindow *window) const
{
    if (!window || window == this->window()->windowHandle())
        return false;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (const QWidget *widget : topLevels) {
        if (widget->windowHandle() == window)
            return widget->windowType() == Qt::Window;
    }
    return false;
}

} // namespace tarnwell

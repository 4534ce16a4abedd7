#include "start_screen.h"

#include "document/recovery.h"
#include "document/session.h"
#include "load_advice_screen.h"
#include "select_directory_screen.h"
#include "selection_screen.h"
#include "start_advice_screen.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwell {

namespace {
// Pages that copies of the program left unsaved, one question each, until
// one is taken back: there is one page per copy, and the others wait for the
// next start.
void offerLeftPages(Workspace &workspace, StartScreen *startScreen)
{
    Session &session = workspace.session();
    PageKeeper *keeper = session.pageKeeper();
    if (!keeper)
        return;
    Interaction &ui = workspace.interaction();
    LeftPages left = keeper->leftPages();
    for (const QString &path : std::as_const(left.unreadable))
        ui.showMessage(startScreen,
                       QStringLiteral("A page that Tarnwell kept could not be read. Its file is "
                                      "now %1")
                           .arg(QDir::toNativeSeparators(path)),
                       Interaction::Icon::Critical);
    for (LeftPage &page : left.pages) {
        const QString when = QLocale().toString(page.page.keptAt.toLocalTime(),
                                                QStringLiteral("d MMMM yyyy, HH:mm"));
        if (!ui.askYesNo(startScreen,
                         QStringLiteral("Tarnwell was closed before your page was saved. Recover "
                                        "the page you were making? (last kept %1)")
                             .arg(when))) {
            keeper->discard(page);
            continue;
        }
        session.takeLoadedPage({page.page.body, page.page.encoding});
        session.setLoadedPageFolder({});
        keeper->adopt(std::move(page));
        session.setExistingFileMode(1);
        askForSessionFolder(workspace, startScreen);
        return;
    }
}

// A page taken back after a crash, not saved yet, may be under this screen:
// only then is the Selection screen, and with it the viewer, made to ask.
bool mayLeavePage(Workspace &workspace, QWidget *asker, SelectionScreen::Leaving leaving)
{
    return !workspace.session().hasUnsavedChanges() ||
           workspace.screen<SelectionScreen>()->mayLeaveChanges(asker, leaving);
}

} // namespace

StartScreen::StartScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tarnwell"));

    auto *layout = new QVBoxLayout(this);

    auto *banner = named(new QLabel(QStringLiteral("Tarnwell - HTML writer"), this), "Label1");
    QFont bannerFont = banner->font();
    bannerFont.setPointSizeF(bannerFont.pointSizeF() * 1.8);
    bannerFont.setBold(true);
    banner->setFont(bannerFont);
    layout->addWidget(banner);

    auto *instructions = named(
        new QLabel(QStringLiteral(
                       "Make a folder for this session or open an existing folder. This folder "
                       "will be used to copy files and for the PREVIEW of your page. Photos need "
                       "to be no wider than 500 pixels to fit the page (300 if two side by side). "
                       "Before you start, be sure to have pre-sized photos and buttons ready to "
                       "load into the page."),
                   this),
        "Label2");
    instructions->setWordWrap(true);
    layout->addWidget(instructions);

    m_makeFolder = makeButton(this, "Command5", QStringLiteral("Make a session folder"));
    m_useExisting = makeButton(this, "Command1", QStringLiteral("Use an existing folder"));
    QPushButton *load =
        makeButton(this, "Command6", QStringLiteral("     Load      existing file"));
    QPushButton *advice = makeButton(this, "Command3", QStringLiteral("Advice "));
    QPushButton *quit = makeButton(this, "Command2", QStringLiteral("QUIT"));
    for (QPushButton *button : {m_makeFolder, m_useExisting, load, advice, quit})
        layout->addWidget(button);

    auto *version = named(new QLabel(QStringLiteral("Version 2b"), this), "Label5");
    layout->addWidget(version);

    connect(m_makeFolder, &QPushButton::clicked, this, &StartScreen::makeFolder);
    connect(m_useExisting, &QPushButton::clicked, this, &StartScreen::useExistingFolder);
    connect(load, &QPushButton::clicked, this, [this] {
        if (!mayLeavePage(m_workspace, this, SelectionScreen::Leaving::Load))
            return;
        m_workspace.session().setExistingFileMode(1);
        bringToFront(m_workspace.screen<LoadAdviceScreen>());
    });
    connect(advice, &QPushButton::clicked, this,
            [this] { bringToFront(m_workspace.screen<StartAdviceScreen>()); });
    connect(quit, &QPushButton::clicked, this, &StartScreen::quitProgram);

    resize(460, 420);
}

void StartScreen::focusMakeFolder()
{
    m_makeFolder->setFocus();
}

void StartScreen::focusUseExistingFolder()
{
    m_useExisting->setFocus();
}

void StartScreen::makeFolder()
{
    m_workspace.session().setFolderMode(FolderMode::MakeNew);
    m_workspace.freshScreen<SelectDirectoryScreen>()->openToMakeFolder();
}

void StartScreen::useExistingFolder()
{
    m_workspace.session().setFolderMode(FolderMode::UseExisting);
    m_workspace.freshScreen<SelectDirectoryScreen>()->openToChooseFolder();
}

void StartScreen::closeEvent(QCloseEvent *event)
{
    // The close box is QUIT.
    event->ignore();
    quitProgram();
}

void StartScreen::quitProgram()
{
    if (mayLeavePage(m_workspace, this, SelectionScreen::Leaving::End))
        m_workspace.quit();
}

void showStartScreens(Workspace &workspace)
{
    auto *startScreen = workspace.screen<StartScreen>();
    bringToFront(startScreen);
    startScreen->focusMakeFolder();
    workspace.session().setExistingFileMode(0);
    offerLeftPages(workspace, startScreen);
}

} // namespace tarnwell

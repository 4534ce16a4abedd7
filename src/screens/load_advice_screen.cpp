#include "load_advice_screen.h"

#include "document/page_file.h"
#include "document/paths.h"
#include "document/session.h"
#include "start_screen.h"
#include "ui/controls.h"
#include "ui/interaction.h"
#include "ui/main_window.h"
#include "ui/workspace.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwell {

namespace {
// Shows the busy pointer while a file is read.
class BusyPointer final
{
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};
} // namespace

LoadAdviceScreen::LoadAdviceScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Form24"));
    showBesideTheScreens(this);
    setWindowTitle(QStringLiteral("Advice"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel(
        this, "Label1",
        QStringLiteral(
            "You are about to load a previously created file. If you made the file in another "
            "editor, make sure that it ends with the two separate lines </BODY> and </HTML>, "
            "each on a line of its own. Tarnwell removes these two lines when it loads your "
            "file, so that you can go on adding things to the page, and writes them again at "
            "the end when you save it. You can check the end of your file by opening it in a "
            "plain text editor such as Notepad or gedit.")));
    layout->addWidget(wrappedLabel(this, "Label2",
                                   QStringLiteral("If your existing file uses photos, images and "
                                                  "buttons these will only show in PREVIEW if "
                                                  "everything is in the same folder")));
    QPushButton *go = makeButton(this, "Command1", QStringLiteral("Continue"));
    layout->addWidget(go, 0, Qt::AlignRight);
    connect(go, &QPushButton::clicked, this, &LoadAdviceScreen::load);
    resize(480, 260);
}

void LoadAdviceScreen::load()
{
    Interaction &ui = m_workspace.interaction();
    m_workspace.session().setLoadedPageFolder({});
    const QString path = ui.chooseFileToOpen(this, QStringLiteral("*.*"));
    if (path.isEmpty()) {
        ui.showMessage(this, QStringLiteral("You cancelled file loading - continue."),
                       Interaction::Icon::Information);
        hide();
        return;
    }

    // The page body changes only once the whole file has been read.
    LoadedPage loaded;
    QString error;
    bool read = false;
    {
        const BusyPointer busy;
        read = loadPageFile(path, &loaded, &error);
        if (read) {
            m_workspace.session().takeLoadedPage(loaded);
            m_workspace.session().markUnchanged();
            // Most often the page's own folder is its session folder.
            m_workspace.session().setLoadedPageFolder(
                nativeFolderPath(QFileInfo(path).absolutePath()));
        }
    }
    hide();
    if (!read) {
        ui.showMessage(this, QStringLiteral("The file could not be read: ") + error,
                       Interaction::Icon::Critical);
        return;
    }
    askForSessionFolder(m_workspace, this);
}

void askForSessionFolder(Workspace &workspace, QWidget *parent)
{
    workspace.interaction().showMessage(
        parent,
        QStringLiteral(
            "You will need to choose the session folder you are using for updating this file."),
        Interaction::Icon::Information);
    bringToFront(workspace.screen<StartScreen>());
}

} // namespace tarnwell

#include "document/session.h"
#include "screens/start_screen.h"
#include "ui/qt_interaction.h"
#include "ui/workspace.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    // The preview loads Qt WebEngine later, from a module; it needs this first.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwell"));
    // The main window never closes; the program ends by QUIT or Exit Program.
    QApplication::setQuitOnLastWindowClosed(false);

    tarnwell::Session session;
    const QString keptPages =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!keptPages.isEmpty())
        session.keepPageIn(keptPages);
    tarnwell::QtInteraction interaction;
    tarnwell::Workspace workspace(session, interaction);
    tarnwell::showStartScreens(workspace);
    return app.exec();
}

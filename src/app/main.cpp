#include "document/session.h"
#include "preview/browser_loader.h"
#include "screens/start_screen.h"
#include "ui/qt_interaction.h"
#include "ui/workspace.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

namespace {
// Qt WebEngine is loaded once the first screen is drawn, so that the program
// starts without waiting for it, and is ready when the page is first shown.
class AfterFirstPaint final : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, this, [] { tarnwell::loadPreviewModule(); });
        }
        return false;
    }
};
} // namespace

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
    AfterFirstPaint afterFirstPaint;
    app.installEventFilter(&afterFirstPaint);
    tarnwell::showStartScreens(workspace);
    return app.exec();
}

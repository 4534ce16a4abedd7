#include "browser_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tarnwell {

namespace {

using Factory = QWidget *(*)(const QUrl &);

// Beside the program in the build tree; in the library folder once installed.
QStringList moduleCandidates()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral(TARNWELL_PREVIEW_MODULE);
    return {programDir.filePath(name),
            programDir.filePath(QStringLiteral(TARNWELL_PREVIEW_INSTALL_DIR "/") + name)};
}

void prepareEnvironment()
{
#ifdef Q_OS_UNIX
    // Chromium will not start its sandbox for root and aborts instead.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

// The module's factory, or null with the reason it could not be had.
Factory loadFactory(QString *whyNot)
{
    prepareEnvironment();
    for (const QString &path : moduleCandidates()) {
        if (!QFile::exists(path))
            continue;
        // The library stays loaded when this goes: Chromium cannot be shut
        // down and started again within one process.
        QLibrary library(path);
        if (auto factory =
                reinterpret_cast<Factory>(library.resolve("tarnwell_create_browser_screen")))
            return factory;
        *whyNot = library.errorString();
        return nullptr;
    }
    *whyNot = QStringLiteral("the preview module %1 is missing").arg(moduleCandidates().constLast());
    return nullptr;
}

} // namespace

QWidget *createBrowserScreen(const QUrl &startingAddress, QString *whyNot)
{
    static QString reason;
    static const Factory factory = loadFactory(&reason);
    if (!factory && whyNot)
        *whyNot = reason;
    return factory ? factory(startingAddress) : nullptr;
}

} // namespace tarnwell

#include "browser_loader.h"

#include "live_view.h"

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

using BrowserFactory = QWidget *(*)(const QUrl &);
using LiveViewFactory = LiveView *(*)();

struct Module
{
    BrowserFactory browser = nullptr;
    LiveViewFactory liveView = nullptr;
    QString whyNot;
};

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

// The module's factories, or the reason they could not be had.
Module loadModule()
{
    prepareEnvironment();
    Module module;
    for (const QString &path : moduleCandidates()) {
        if (!QFile::exists(path))
            continue;
        // The library stays loaded when this goes: Chromium cannot be shut
        // down and started again within one process.
        QLibrary library(path);
        module.browser =
            reinterpret_cast<BrowserFactory>(library.resolve("tarnwell_create_browser_screen"));
        module.liveView =
            reinterpret_cast<LiveViewFactory>(library.resolve("tarnwell_create_live_view"));
        if (!module.browser || !module.liveView) {
            module = Module();
            module.whyNot = library.errorString();
        }
        return module;
    }
    module.whyNot =
        QStringLiteral("the preview module %1 is missing").arg(moduleCandidates().constLast());
    return module;
}

const Module &module()
{
    static const Module loaded = loadModule();
    return loaded;
}

bool usable(QString *whyNot)
{
    if (module().browser)
        return true;
    if (whyNot)
        *whyNot = module().whyNot;
    return false;
}

} // namespace

bool loadPreviewModule(QString *whyNot)
{
    return usable(whyNot);
}

QWidget *createBrowserScreen(const QUrl &startingAddress, QString *whyNot)
{
    return usable(whyNot) ? module().browser(startingAddress) : nullptr;
}

LiveView *createLiveView(QString *whyNot)
{
    return usable(whyNot) ? module().liveView() : nullptr;
}

} // namespace tarnwell

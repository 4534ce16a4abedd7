// The reference for PREVIEW: a bare QWebEngineView, linked in, showing the
// same file twice, each time in a new view as the program makes a new screen.

#include "bench_util.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>
#include <cstdlib>
#include <unistd.h>

using namespace tarnwell::bench;

namespace {

double loadOnce(const QUrl &url, QWebEngineView **view)
{
    const double start = nowMs();
    delete *view;
    *view = new QWebEngineView;
    double finishedAt = -1;
    QEventLoop loop;
    QObject::connect(*view, &QWebEngineView::loadFinished, &loop, [&] {
        finishedAt = nowMs();
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    (*view)->setUrl(url);
    (*view)->showMaximized();
    loop.exec();
    return finishedAt < 0 ? -1 : finishedAt - start;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QUrl url =
        QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
    QWebEngineView *view = nullptr;
    const double first = loadOnce(url, &view);
    const double second = loadOnce(url, &view);
    long count = 0, hwm = 0, rss = 0;
    childMemoryKb(&count, &hwm, &rss);
    std::printf("PREVIEW first=%.1f second=%.1f hwm=%ld children=%ld childhwm=%ld childrss=%ld\n",
                first, second, statusKb(QStringLiteral("self"), "VmHWM"), count, hwm, rss);
    std::fflush(stdout);
    std::quick_exit(0);
}

// Preloaded into a program under measurement (LD_PRELOAD). When the window
// named by TARNWELL_PROBE_WIDGET gets its first paint event, prints one line
// with the monotonic time, whether Qt WebEngine is mapped and the peak
// resident memory, then ends the process at once.

#include "bench_util.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <cstdio>
#include <unistd.h>

using tarnwell::bench::nowMs;
using tarnwell::bench::statusKb;

namespace {

bool webEngineMapped()
{
    QFile file(QStringLiteral("/proc/self/maps"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray maps = file.readAll();
    return maps.contains("WebEngine") || maps.contains("tarnwell_preview");
}

class PaintProbe final : public QObject
{
public:
    explicit PaintProbe(QByteArray widgetName) : m_widgetName(std::move(widgetName)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType() ||
            watched->objectName().toUtf8() != m_widgetName)
            return false;
        const double ms = nowMs(); // the harness's clock
        std::printf("TARNWELL_MARK %.3f webengine=%d vmhwm=%ld vmrss=%ld\n", ms,
                    webEngineMapped() ? 1 : 0, statusKb(QStringLiteral("self"), "VmHWM"),
                    statusKb(QStringLiteral("self"), "VmRSS"));
        std::fflush(stdout);
        _exit(0);
    }

private:
    QByteArray m_widgetName;
};

void installProbe()
{
    const QByteArray name = qgetenv("TARNWELL_PROBE_WIDGET");
    if (!name.isEmpty())
        QCoreApplication::instance()->installEventFilter(new PaintProbe(name));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)

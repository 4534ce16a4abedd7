// Start-up: from fork/exec to the first paint of the Start screen, against a
// bare Qt Widgets program's one window, measured the same way, runs
// interleaved. The paint probe is preloaded into both and reports the time,
// whether Qt WebEngine is mapped and the peak resident memory.

#include "bench_util.h"

#include <QByteArrayList>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using namespace tarnwell::bench;

namespace {

struct Mark
{
    double ms = -1;
    bool webEngine = false;
    long vmHwmKb = -1;
};

// The platform plugin both programs run on: offscreen unless asked otherwise.
QByteArray platform()
{
    const QByteArray chosen = qgetenv("TARNWELL_BENCH_PLATFORM");
    return chosen.isEmpty() ? QByteArrayLiteral("offscreen") : chosen;
}

// Runs the program with the probe watching the named window; the time from
// just before fork to the probe's mark.
Mark runOnce(const QByteArray &program, const QByteArray &probe, const QByteArray &widget,
             QByteArray argument = QByteArray())
{
    QByteArrayList env;
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!entry.startsWith("LD_PRELOAD=") && !entry.startsWith("TARNWELL_PROBE_WIDGET=") &&
            !entry.startsWith("QT_QPA_PLATFORM="))
            env.append(entry);
    }
    env.append("LD_PRELOAD=" + probe);
    env.append("TARNWELL_PROBE_WIDGET=" + widget);
    env.append("QT_QPA_PLATFORM=" + platform());
    QList<char *> envp;
    for (QByteArray &entry : env)
        envp.append(entry.data());
    envp.append(nullptr);
    QByteArray programCopy = program;
    char *argv[] = {programCopy.data(), argument.isEmpty() ? nullptr : argument.data(), nullptr};

    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const double start = nowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        execve(argv[0], argv, envp.data());
        _exit(127);
    }
    close(fds[1]);
    QByteArray output;
    Mark mark;
    const double deadline = start + 30000;
    while (nowMs() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        output.append(buffer, n);
        const qsizetype at = output.indexOf("TARNWELL_MARK ");
        if (at >= 0 && output.indexOf('\n', at) > at) {
            const QByteArrayList fields = output.mid(at, output.indexOf('\n', at) - at).split(' ');
            mark.ms = fields.value(1).toDouble() - start;
            mark.webEngine = fields.value(2) == "webengine=1";
            mark.vmHwmKb = fields.value(3).mid(6).toLong();
            break;
        }
    }
    close(fds[0]);
    if (mark.ms < 0)
        kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return mark;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s PROGRAM BARE_PROGRAM PROBE_LIBRARY [RUNS]\n", argv[0]);
        return 2;
    }
    const QByteArray program = argv[1];
    const QByteArray bare = argv[2];
    const QByteArray probe = argv[3];
    const int runs = argc > 4 ? std::atoi(argv[4]) : 15;

    // One run of each first, not counted: it brings the files into the cache.
    runOnce(program, probe, "Form1");
    runOnce(bare, probe, "BareWindow");

    // Tarnwell's window at its first run is this size; filling a bigger
    // window takes longer whatever is in it, so the target compares like
    // with like. The smaller window and the one with a label are shown too.
    const QByteArray sameSize = QByteArrayLiteral("--size=1040x720");
    QList<double> programMs, bareMs, sameSizeMs, labelMs, programHwm, bareHwm;
    int webEngineRuns = 0, failed = 0;
    for (int i = 0; i < runs; ++i) {
        const Mark a = runOnce(program, probe, "Form1");
        const Mark b = runOnce(bare, probe, "BareWindow");
        const Mark c = runOnce(bare, probe, "BareWindow", "--label");
        const Mark d = runOnce(bare, probe, "BareWindow", sameSize);
        if (a.ms < 0 || b.ms < 0 || c.ms < 0 || d.ms < 0) {
            ++failed;
            continue;
        }
        programMs.append(a.ms);
        bareMs.append(b.ms);
        labelMs.append(c.ms);
        sameSizeMs.append(d.ms);
        programHwm.append(toMb(a.vmHwmKb));
        bareHwm.append(toMb(b.vmHwmKb));
        webEngineRuns += a.webEngine ? 1 : 0;
    }
    if (programMs.isEmpty()) {
        std::fprintf(stderr, "no run reached the first paint\n");
        return 1;
    }
    printRow("Start: exec to Start screen painted", median(programMs), "ms",
             "bare Qt window of the same size (1040 x 720) painted", median(sameSizeMs), 1.5);
    printRow("Start (for comparison)", median(programMs), "ms", "bare Qt window of 640 x 480 painted",
             median(bareMs), 0);
    printRow("Start (for comparison)", median(programMs), "ms",
             "bare Qt window of 640 x 480 with one label painted", median(labelMs), 0);
    printRow("Memory: VmHWM at Start screen", median(programHwm), "MB", "bare Qt window",
             median(bareHwm), 0);
    std::printf("Note: start runs: %lld pairs, %d failed; platform %s. Qt WebEngine mapped at the "
                "Start screen in %d of %lld runs.\n",
                static_cast<long long>(programMs.size()), failed, platform().constData(),
                webEngineRuns, static_cast<long long>(programMs.size()));
    return webEngineRuns == 0 ? 0 : 1;
}

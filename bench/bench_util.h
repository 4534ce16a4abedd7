#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace tarnwell::bench {

// Monotonic clock in milliseconds; the same clock in every process, so a time
// taken in one process can be compared with a time taken in another.
inline double nowMs()
{
    // steady_clock is CLOCK_MONOTONIC on Linux.
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A field of /proc/<pid>/status in kB ("VmHWM", "VmRSS"), or -1.
inline long statusKb(const QString &pid, const char *field)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The processes started by this one, at any depth (the viewer's helpers):
// how many, and the sum of their VmHWM and VmRSS in kB.
inline void childMemoryKb(long *count, long *hwmKb, long *rssKb)
{
    QMap<long, long> parentOf;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const long pid = entry.toLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        parentOf.insert(pid, line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toLong());
    }
    const long self = long(QCoreApplication::applicationPid());
    *count = *hwmKb = *rssKb = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        long up = it.value();
        while (up > 1 && up != self)
            up = parentOf.value(up, 0);
        if (up != self)
            continue;
        ++*count;
        *hwmKb += qMax(0L, statusKb(QString::number(it.key()), "VmHWM"));
        *rssKb += qMax(0L, statusKb(QString::number(it.key()), "VmRSS"));
    }
}

inline double toMb(long kb)
{
    return double(kb) / 1024.0;
}

// One table row: figure, its median, the reference and its median, the
// ratio and the target. A target of 0 means there is none to meet.
inline void printRow(const char *figure, double value, const char *unit, const char *reference,
                     double referenceValue, double target)
{
    const double ratio = referenceValue > 0 ? value / referenceValue : 0;
    char targetText[32] = "-";
    const char *met = "-";
    if (target > 0) {
        std::snprintf(targetText, sizeof targetText, "<= %.1fx", target);
        met = ratio <= target ? "yes" : "NO";
    }
    std::printf("| %s | %.1f %s | %s | %.1f %s | %.2fx | %s | %s |\n", figure, value, unit,
                reference, referenceValue, unit, ratio, targetText, met);
    std::fflush(stdout);
}

} // namespace tarnwell::bench

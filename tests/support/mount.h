#pragma once

#include "required.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace tarnwell::test {

// A small file system of its own on a folder, so that a full disk or a
// read-only folder is real even for root. Unmounted when it goes.
class Mount final
{
public:
    explicit Mount(const QString &folder) : m_folder(folder) {}
    ~Mount() { unmount(); }
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;

    bool mount(const QString &options)
    {
        m_mounted =
            QDir().mkpath(m_folder) &&
            QProcess::execute("mount", {"-t", "tmpfs", "-o", options, "tmpfs", m_folder}) == 0;
        return m_mounted;
    }
    bool remount(const QString &options)
    {
        return QProcess::execute("mount", {"-o", "remount," + options, m_folder}) == 0;
    }
    bool unmount()
    {
        if (m_mounted)
            m_mounted = QProcess::execute("umount", {m_folder}) != 0;
        return !m_mounted;
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace tarnwell::test

// Root may mount, so there (as in CI) a failed mount is a fault, not a reason
// to skip.
#define REQUIRE_MOUNT(done) REQUIRE_HERE(done, QStringLiteral("cannot mount a file system here"))

#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <sys/stat.h>

namespace tarnwell::test {

// A whole file, or nothing when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline bool makePipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A file's permission bits for owner, group and others; the "user" bits say
// what the running user may do, which for root is everything.
inline QFileDevice::Permissions ownPermissions(const QString &path)
{
    return QFile::permissions(path) &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

// Every entry under a folder but leaveOut and what it holds, sorted; folders
// end in "/". In detail, a link gives its target and an ordinary file its
// size, time of change and a digest of its bytes, so that a test can tell
// that nothing there changed. Links are not followed and pipes never opened.
inline QStringList listing(const QString &folder, bool detail = false, const QString &leaveOut = {})
{
    QStringList out;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QFileInfo info(entries.next());
        QString line = QDir(folder).relativeFilePath(info.filePath());
        if (!leaveOut.isEmpty() && (line == leaveOut || line.startsWith(leaveOut + u'/')))
            continue;
        if (info.isDir() && !info.isSymLink())
            line += u'/';
        if (detail && info.isSymLink())
            line += QStringLiteral(" -> ") + info.symLinkTarget();
        else if (detail && info.isFile())
            line += QStringLiteral(" %1 %2 ")
                        .arg(info.size())
                        .arg(info.lastModified().toMSecsSinceEpoch()) +
                    QCryptographicHash::hash(readAll(info.filePath()), QCryptographicHash::Sha1)
                        .toHex();
        out << line;
    }
    out.sort();
    return out;
}

} // namespace tarnwell::test

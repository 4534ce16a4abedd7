#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

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

// A file's permission bits for owner, group and others; the "user" bits say
// what the running user may do, which for root is everything.
inline QFileDevice::Permissions ownPermissions(const QString &path)
{
    return QFile::permissions(path) &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

} // namespace tarnwell::test

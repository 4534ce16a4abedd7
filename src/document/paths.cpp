#include "paths.h"

#include <QDir>

namespace tarnwell {

QString derivedPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

QString subfolderPath(const QString &parent, const QString &name)
{
    if (parent.endsWith(QDir::separator()))
        return parent + name;
    return parent + QDir::separator() + name;
}

bool isPlainFolderName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString startFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    return nativeFolderPath(QDir::homePath());
#endif
}

QString nativeFolderPath(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

} // namespace tarnwell

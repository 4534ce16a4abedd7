#include "files.h"

#include <QFile>
#include <QFileInfo>

namespace tarnwell {

QString bareFileName(const QString &path)
{
    qsizetype last = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    last = qMax(last, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(last + 1);
}

QString withPageExtension(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".htm")) || fileName.endsWith(QLatin1String(".html")))
        return fileName;
    return fileName + QStringLiteral(".html");
}

CopyResult copyIntoFolder(const QString &source, const QString &target)
{
    const QFileInfo to(target);
    const QFileInfo from(source);
    // exists() sees hidden files too; a dangling link counts as taken as well.
    if (to.exists() || to.isSymLink()) {
        if (from.exists() && from.canonicalFilePath() == to.canonicalFilePath())
            return CopyResult::SameFile;
        return CopyResult::AlreadyThere;
    }
    if (!from.isFile() || !QFile::copy(source, target))
        return CopyResult::Failed;
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ReadOwner |
                                      QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                      QFileDevice::WriteUser);
    return CopyResult::Copied;
}

} // namespace tarnwell

#include "gallery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarnwell {

QString galleryTextureName(int number)
{
    return QStringLiteral("bckgrnd") + QString::number(number) + QStringLiteral(".jpg");
}

QString programFolder()
{
    const QDir here(QCoreApplication::applicationDirPath());
    if (!QFileInfo::exists(here.filePath(galleryTextureName(1)))) {
        const QString installed = here.filePath(QStringLiteral("../share/tarnwell"));
        if (QFileInfo::exists(QDir(installed).filePath(galleryTextureName(1))))
            return QDir::toNativeSeparators(QDir::cleanPath(installed));
    }
    return QDir::toNativeSeparators(here.path());
}

} // namespace tarnwell

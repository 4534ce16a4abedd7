#include "drive_list.h"

#include "document/paths.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace tarnwell {

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    setDrives(machineDrives());
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit driveChosen(itemText(index)); });
}

QStringList DriveList::machineDrives()
{
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives())
        roots << nativeFolderPath(drive.absoluteFilePath());
#else
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            roots << nativeFolderPath(volume.rootPath());
    }
#endif
    roots.removeDuplicates();
    roots.sort(Qt::CaseInsensitive);
    return roots;
}

void DriveList::setDrives(const QStringList &roots)
{
    const QSignalBlocker blocker(this);
    clear();
    addItems(roots);
}

void DriveList::showDriveOf(const QString &folder)
{
    const QString root = nativeFolderPath(QStorageInfo(folder).rootPath());
    const int index = findText(root);
    if (index >= 0) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
    }
}

} // namespace tarnwell

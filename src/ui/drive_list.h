#pragma once

#include <QComboBox>

namespace tarnwell {

// The roots of the mounted volumes (the drives, on Windows).
class DriveList final : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveList(QWidget *parent = nullptr);

    // Replaces the roots on offer (the machine's own are listed at first).
    void setDrives(const QStringList &roots);

    // Shows, without announcing it, the drive that holds a folder.
    void showDriveOf(const QString &folder);

    static QStringList machineDrives();

signals:
    // The user picked a drive; carries its root.
    void driveChosen(const QString &root);
};

} // namespace tarnwell

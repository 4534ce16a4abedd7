#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QWindow;

namespace tarnwell {

class DriveList;
class FolderList;
class Workspace;

// The program's own folder picker: makes a new session folder in the chosen
// place, or takes the chosen folder as it is. Closing it destroys it.
class SelectDirectoryScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit SelectDirectoryScreen(Workspace &workspace, QWidget *parent = nullptr);

    void openToMakeFolder();
    void openToChooseFolder();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void restoreStartingLook();
    void use();
    void makeFolder();
    void takeExistingFolder();
    void continueWithMadeFolder();
    void cancel();
    void chooseDrive(const QString &root);
    void resetFolderList();
    void showChoice();
    void focusWindowChanged(QWindow *now);
    bool isOtherScreen(QWindow *window) const;

    Workspace &m_workspace;
    DriveList *m_drives = nullptr;
    FolderList *m_folders = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_instruction = nullptr;
    QLabel *m_typeName = nullptr;
    QLabel *m_arrow = nullptr;
    QLabel *m_goesInto = nullptr;
    QLabel *m_madeName = nullptr;
    QLabel *m_created = nullptr;
    QLabel *m_madeIcon = nullptr;
    QLabel *m_openIcon = nullptr;
    QPushButton *m_use = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_continue = nullptr;
    QString m_madePath;
    bool m_finished = false;
    QPointer<QWindow> m_lastFocusWindow;
};

} // namespace tarnwell

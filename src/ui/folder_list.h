#pragma once

#include <QListWidget>

namespace tarnwell {

// A folder picker in one list: the current folder's ancestors, open, from the
// root down, then its subfolders. Double-click (or Enter) opens a folder; a
// single click (or the arrow keys) only highlights it, and the folder
// highlighted is the one chosen.
class FolderList final : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged USER true)

public:
    explicit FolderList(QWidget *parent = nullptr);
    // The list's own teardown empties it: that is no choice to report.
    ~FolderList() override { blockSignals(true); }

    // The current folder in native form: no trailing separator but at a root.
    QString path() const { return m_path; }

    // Moves to a folder; returns false, and stays put, if it cannot be read.
    bool setPath(const QString &path);

    // The folder the user chose: the one highlighted, opened or not; the
    // open folder when none is.
    QString chosenPath() const;

signals:
    void pathChanged(const QString &path);
    void chosenPathChanged(const QString &path);

private:
    void fill(const QString &path, const QStringList &subfolders);

    QString m_path;
    bool m_filling = false; // the list is made afresh: no choice of the user's
};

} // namespace tarnwell

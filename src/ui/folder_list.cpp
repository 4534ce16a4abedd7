#include "folder_list.h"

#include "document/paths.h"

#include <QDir>
#include <QStyle>

namespace tarnwell {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;

// The root first, then each folder down to path itself.
QStringList ancestorsOf(const QString &path)
{
    QStringList chain;
    QDir dir(QDir::fromNativeSeparators(path));
    do {
        chain.prepend(nativeFolderPath(dir.absolutePath()));
    } while (dir.cdUp());
    return chain;
}

QString folderNameOf(const QString &nativePath)
{
    const QString name = QDir(QDir::fromNativeSeparators(nativePath)).dirName();
    return name.isEmpty() ? nativePath : name;
}
} // namespace

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { setPath(item->data(kPathRole).toString()); });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_filling)
            emit chosenPathChanged(chosenPath());
    });
}

QString FolderList::chosenPath() const
{
    const QList<QListWidgetItem *> chosen = selectedItems();
    return chosen.isEmpty() ? m_path : chosen.first()->data(kPathRole).toString();
}

bool FolderList::setPath(const QString &path)
{
    const QString target = nativeFolderPath(path);
    QDir dir(QDir::fromNativeSeparators(target));
    if (target.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    m_filling = true;
    fill(target, subfolders);
    m_filling = false;
    if (target != m_path) {
        m_path = target;
        emit pathChanged(m_path);
    }
    emit chosenPathChanged(chosenPath());
    return true;
}

void FolderList::fill(const QString &path, const QStringList &subfolders)
{
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    const QString indentUnit = QStringLiteral("   ");
    const QStringList chain = ancestorsOf(path);
    int depth = 0;
    for (const QString &folder : chain) {
        auto *item =
            new QListWidgetItem(open, indentUnit.repeated(depth++) + folderNameOf(folder), this);
        item->setData(kPathRole, folder);
        item->setToolTip(folder);
    }
    setCurrentRow(count() - 1);
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(closed, indentUnit.repeated(depth) + name, this);
        item->setData(kPathRole, subfolderPath(path, name));
    }
}

} // namespace tarnwell

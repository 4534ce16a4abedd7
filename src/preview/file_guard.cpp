#include "file_guard.h"

#include <QFileInfo>
#include <QUrl>

namespace tarnwell {

FileGuard::FileGuard(const QString &folder)
    : m_folder(folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath())
{
    if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

bool FileGuard::allows(const QUrl &address) const
{
    if (address.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return true;
    const QString host = address.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return false;
    const QString path = address.path(QUrl::FullyDecoded);
    if (m_folder.isEmpty() || path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo file(QFileInfo(path).canonicalFilePath());
    // A named pipe or a device would keep the viewer waiting.
    return (file.isFile() || file.isDir()) &&
           (file.filePath() + QLatin1Char('/')).startsWith(m_folder);
}

} // namespace tarnwell

#include "site.h"

#include <QDir>

namespace tarnwell::publish {

Store storeIn(const QString &dataFolder)
{
    const QDir data(dataFolder);
    return {data.filePath(QStringLiteral("known_hosts")),
            QDir::home().filePath(QStringLiteral(".ssh/known_hosts")),
            data.filePath(QStringLiteral("certificates.json")),
            data.filePath(QStringLiteral("sent.json"))};
}

} // namespace tarnwell::publish

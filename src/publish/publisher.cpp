#include "publisher.h"

namespace tarnwell::publish {

QList<PageFile> filesToPublish(const QString &, const QString &, QStringView)
{
    return {};
}

Publisher::Publisher(Site site, Store store, QList<PageFile> files, QObject *parent)
    : QObject(parent), m_site(std::move(site)), m_store(std::move(store)), m_files(std::move(files))
{
}

void Publisher::run()
{
    emit finished({});
}

void Publisher::testConnection()
{
    emit finished({});
}

Arrival checkArrival(const QUrl &, const QByteArray &, QString *)
{
    return Arrival::NotFound;
}

} // namespace tarnwell::publish

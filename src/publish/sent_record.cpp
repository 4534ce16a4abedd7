#include "sent_record.h"

#include "document/files.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUrl>

namespace tarnwell::publish {

namespace {
// Far more than any folder's worth of names; a bigger file is not ours.
constexpr qint64 largestRecord = 16 * 1024 * 1024;
constexpr int hashBytes = 32;
// A name that UTF-8 cannot hold (a lone surrogate from "\ud800") would be
// written as another name.
bool survivesUtf8(const QString &text)
{
    return QString::fromUtf8(text.toUtf8()) == text;
}
} // namespace

QString SentRecord::placeOf(const Site &site)
{
    static const char *const methods[] = {"sftp", "ftps", "ftp"};
    const QString folder = trimmedFolder(site.remoteFolder);
    // The host and user cannot hold a space that would make two places one:
    // each part is written as a percent-encoded URL would write it.
    return QStringLiteral("%1://%2@%3:%4/%5")
        .arg(QLatin1String(methods[int(site.method)]),
             QString::fromLatin1(QUrl::toPercentEncoding(site.user)),
             QString::fromLatin1(QUrl::toPercentEncoding(site.host.toLower())))
        .arg(site.port)
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(folder, "/")));
}

SentRecord SentRecord::read(const QString &path)
{
    QFile file(path);
    if (!openRegularFile(file) || file.size() > largestRecord)
        return {};
    return parse(file.read(largestRecord));
}

SentRecord SentRecord::parse(const QByteArray &json)
{
    SentRecord record;
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonObject places = document.object().value(QLatin1String("places")).toObject();
    for (auto place = places.begin(); place != places.end(); ++place) {
        if (!survivesUtf8(place.key()))
            continue;
        const QJsonObject files = place.value().toObject();
        for (auto file = files.begin(); file != files.end(); ++file) {
            const QByteArray hash = QByteArray::fromHex(file.value().toString().toLatin1());
            if (hash.size() == hashBytes && !file.key().isEmpty() && survivesUtf8(file.key()))
                record.m_places[place.key()].insert(file.key(), hash);
        }
    }
    return record;
}

QByteArray SentRecord::toJson() const
{
    QJsonObject places;
    for (auto place = m_places.begin(); place != m_places.end(); ++place) {
        QJsonObject files;
        for (auto file = place->begin(); file != place->end(); ++file)
            files.insert(file.key(), QString::fromLatin1(file.value().toHex()));
        places.insert(place.key(), files);
    }
    QJsonObject root;
    root.insert(QLatin1String("places"), places);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool SentRecord::write(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(toJson());
    return file.commit();
}

QByteArray SentRecord::hash(const QString &place, const QString &name) const
{
    return m_places.value(place).value(name);
}

void SentRecord::setHash(const QString &place, const QString &name, const QByteArray &hash)
{
    m_places[place].insert(name, hash);
}

} // namespace tarnwell::publish

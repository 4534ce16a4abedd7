#include "sent_record.h"

#include "document/files.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QJsonDocument>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QUrl>

namespace tarnwell::publish {

namespace {
// Far more than any folder's worth of names; a bigger file is not ours.
constexpr qint64 largestRecord = 16 * 1024 * 1024;
constexpr int hashBytes = 32;
// A JSON number holds every whole number up to this one exactly.
constexpr double largestTime = 9007199254740992.0;
// Another publish holds the lock while it reads and writes the file: moments.
constexpr int lockWaitMs = 20000;
constexpr int mostLeftovers = 1000;
// What temporaryNameOf makes, and nothing else: a record that names the
// user's own page must not have it removed.
bool isTemporaryName(const QString &path)
{
    static const QRegularExpression name(
        QStringLiteral("\\A(?:[^/]+/)*\\.[^/]+\\.[0-9a-f]{16}\\.tarnwell-tmp\\z"));
    return name.match(path).hasMatch() && nameProblem(path).isEmpty() &&
           !path.split(u'/').contains(QStringLiteral(".."));
}
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
    // "/web", "~/web" and "web/" are one folder for every method.
    const QString folder = folderOnServer(site.remoteFolder).value_or(site.remoteFolder);
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
            // A record from before the server's times were kept holds the
            // hash alone: without a time the file counts as changed.
            const QJsonObject fields = file.value().toObject();
            const QJsonValue hashText =
                file.value().isString() ? file.value() : fields.value(QLatin1String("sha256"));
            Entry entry;
            entry.hash = QByteArray::fromHex(hashText.toString().toLatin1());
            const QJsonValue modified = fields.value(QLatin1String("modified"));
            const double time = modified.toDouble(-1);
            if (modified.isDouble() && time >= 0 && time <= largestTime && time == qint64(time))
                entry.modified = qint64(time);
            if (entry.hash.size() == hashBytes &&
                !file.key().isEmpty() && survivesUtf8(file.key()))
                record.m_places[place.key()].insert(file.key(), entry);
        }
    }
    const QJsonObject left = document.object().value(QLatin1String("left")).toObject();
    for (auto place = left.begin(); place != left.end(); ++place) {
        if (!survivesUtf8(place.key()))
            continue;
        for (const QJsonValue name : place.value().toArray())
            record.addLeftover(place.key(), name.toString());
    }
    return record;
}

void SentRecord::addLeftover(const QString &place, const QString &path)
{
    QSet<QString> &names = m_left[place];
    if (names.size() < mostLeftovers && isTemporaryName(path))
        names.insert(path);
    if (names.isEmpty())
        m_left.remove(place);
}

QByteArray SentRecord::toJson() const
{
    QJsonObject places;
    for (auto place = m_places.begin(); place != m_places.end(); ++place) {
        QJsonObject files;
        for (auto file = place->begin(); file != place->end(); ++file) {
            // Without a time, as before times were kept.
            const QString hash = QString::fromLatin1(file->hash.toHex());
            if (!file->modified) {
                files.insert(file.key(), hash);
                continue;
            }
            QJsonObject fields;
            fields.insert(QLatin1String("sha256"), hash);
            fields.insert(QLatin1String("modified"), double(*file->modified));
            files.insert(file.key(), fields);
        }
        places.insert(place.key(), files);
    }
    QJsonObject root;
    root.insert(QLatin1String("places"), places);
    QJsonObject left;
    for (auto place = m_left.begin(); place != m_left.end(); ++place) {
        QStringList names = place->values();
        names.sort();
        left.insert(place.key(), QJsonArray::fromStringList(names));
    }
    if (!left.isEmpty())
        root.insert(QLatin1String("left"), left);
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

bool SentRecord::mergeInto(const QString &path,
                           const QHash<QString, QSet<QString>> &cleared) const
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMs))
        return false;
    SentRecord merged = read(path);
    for (auto place = m_places.begin(); place != m_places.end(); ++place)
        for (auto file = place->begin(); file != place->end(); ++file)
            merged.m_places[place.key()].insert(file.key(), file.value());
    for (auto place = cleared.begin(); place != cleared.end(); ++place) {
        QSet<QString> &names = merged.m_left[place.key()];
        names.subtract(*place);
        if (names.isEmpty())
            merged.m_left.remove(place.key());
    }
    for (auto place = m_left.begin(); place != m_left.end(); ++place)
        for (const QString &name : *place)
            merged.addLeftover(place.key(), name);
    return merged.write(path);
}

std::optional<SentRecord::Entry> SentRecord::entry(const QString &place,
                                                   const QString &name) const
{
    const auto files = m_places.constFind(place);
    if (files == m_places.cend())
        return std::nullopt;
    const auto found = files->constFind(name);
    if (found == files->cend())
        return std::nullopt;
    return *found;
}

void SentRecord::set(const QString &place, const QString &name, const Entry &entry)
{
    m_places[place].insert(name, entry);
}

QByteArray SentRecord::hash(const QString &place, const QString &name) const
{
    const std::optional<Entry> found = entry(place, name);
    return found ? found->hash : QByteArray();
}

void SentRecord::setHash(const QString &place, const QString &name, const QByteArray &hash)
{
    m_places[place].insert(name, Entry{hash, std::nullopt});
}

} // namespace tarnwell::publish

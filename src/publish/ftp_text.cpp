#include "ftp_text.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace tarnwell::publish {

namespace {
const QString kServers = QStringLiteral("servers");
const QString kFingerprint = QStringLiteral("fingerprint");
const QString kPin = QStringLiteral("pin");

// 32 bytes: 43 characters of base64, and "=" where padded.
bool fingerprintWellFormed(const QString &text)
{
    static const QRegularExpression fingerprint(QStringLiteral("\\ASHA256:[A-Za-z0-9+/]{43}\\z"));
    return fingerprint.match(text).hasMatch();
}

bool pinWellFormed(const QString &text)
{
    static const QRegularExpression pin(QStringLiteral("\\Asha256//[A-Za-z0-9+/]{43}=\\z"));
    return pin.match(text).hasMatch();
}

bool wellFormed(const RememberedCertificate &certificate)
{
    return fingerprintWellFormed(certificate.fingerprint) && pinWellFormed(certificate.pin);
}

// The server's entry, its name compared in small letters: older files kept
// the host as typed.
QString entryName(const QJsonObject &servers, const QString &server)
{
    const QString wanted = server.toLower();
    for (auto entry = servers.begin(); entry != servers.end(); ++entry) {
        if (entry.key().toLower() == wanted)
            return entry.key();
    }
    return {};
}

QJsonObject serversIn(const QByteArray &file)
{
    const QJsonDocument document = QJsonDocument::fromJson(file);
    return document.object().value(kServers).toObject();
}
} // namespace

std::optional<RemoteFile> readFacts(QByteArrayView line)
{
    // A space, the facts each ending in ';', a space, the name.
    if (line.isEmpty() || line[0] != ' ')
        return std::nullopt;
    line = line.sliced(1);
    const qsizetype end = line.indexOf(' ');
    if (end <= 0)
        return std::nullopt;
    std::optional<QByteArray> type;
    std::optional<qint64> size;
    std::optional<qint64> modified;
    const QByteArray facts = line.first(end).toByteArray();
    for (const QByteArray &fact : facts.split(';')) {
        const qsizetype equals = fact.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray name = fact.first(equals).toLower();
        const QByteArrayView value = QByteArrayView(fact).sliced(equals + 1);
        const bool digits = !value.isEmpty() && value.size() <= 18 &&
                            std::all_of(value.begin(), value.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
        if (name == "type") {
            type = value.toByteArray().toLower();
        } else if (name == "size") {
            if (!digits)
                return std::nullopt;
            size = value.toLongLong();
        } else if (name == "modify") {
            // YYYYMMDDHHMMSS in UTC, and perhaps a fraction of a second.
            const qsizetype dot = value.indexOf('.');
            const QByteArrayView whole = dot < 0 ? value : value.first(dot);
            QDateTime time = QDateTime::fromString(QString::fromLatin1(whole),
                                                   QStringLiteral("yyyyMMddHHmmss"));
            if (whole.size() != 14 || !time.isValid())
                return std::nullopt;
            time.setTimeSpec(Qt::UTC);
            modified = time.toSecsSinceEpoch();
        }
    }
    if (!type)
        return std::nullopt;
    RemoteFile file;
    file.regular = *type == "file";
    if (file.regular && (!size || !modified))
        return std::nullopt;
    file.size = size.value_or(0);
    file.modified = modified.value_or(0);
    return file;
}

bool listsLinkOrFolder(QByteArrayView line)
{
    return line.size() >= 2 && line[0] == ' ' && (line[1] == 'l' || line[1] == 'd');
}

std::optional<ReplyLine> readReplyLine(QByteArrayView line)
{
    if (line.size() < 3 || line[0] < '1' || line[0] > '5')
        return std::nullopt;
    for (int i = 1; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return std::nullopt;
    }
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-' && line[3] != '\r' && line[3] != '\n')
        return std::nullopt;
    ReplyLine reply;
    reply.code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    reply.last = line.size() == 3 || line[3] != '-';
    // The server's words are shown in a message: no control characters, and
    // no more than fits there.
    const qsizetype length = std::min<qsizetype>(line.size() - 4, kReplyTextLength * 4);
    // By code point: a character beyond the first 65,536 is printable, though
    // neither half of it is.
    std::u32string points =
        length > 0 ? QString::fromUtf8(line.sliced(4, length)).toStdU32String() : std::u32string();
    for (char32_t &point : points) {
        if (!QChar::isPrint(point))
            point = U' ';
    }
    QString text = QString::fromStdU32String(points).simplified();
    if (text.size() > kReplyTextLength) {
        text.truncate(kReplyTextLength);
        if (text.back().isHighSurrogate())
            text.chop(1);
        text = text.trimmed(); // cut just after a space
    }
    reply.text = text;
    return reply;
}

Failure failureForReply(int code, QByteArrayView verb)
{
    switch (code) {
    case 421: // the server closes the connection
    case 425: // no data connection
    case 426: // the data connection broke
        return Failure::ConnectionLost;
    case 530:
        return Failure::LoginRefused;
    case 452:
    case 552:
        return Failure::NoRoom;
    case 532:
    case 553:
        return Failure::NoPermission;
    case 550:
        // A folder that cannot be entered is missing; the rest is refused.
        if (verb == "CWD")
            return Failure::FolderMissing;
        if (verb == "STOR" || verb == "APPE" || verb == "MKD" || verb == "RNTO" || verb == "DELE")
            return Failure::NoPermission;
        return Failure::Other;
    default:
        return Failure::Other;
    }
}

QString serverKey(const QString &host, int port)
{
    const QString small = host.trimmed().toLower();
    const QString name = small.contains(QLatin1Char(':')) ? u'[' + small + u']' : small;
    return name + u':' + QString::number(port);
}

std::optional<RememberedCertificate> rememberedCertificate(const QByteArray &file,
                                                           const QString &server)
{
    const QJsonObject servers = serversIn(file);
    const QString name = entryName(servers, server);
    if (name.isEmpty())
        return std::nullopt;
    const QJsonObject entry = servers.value(name).toObject();
    RememberedCertificate certificate{entry.value(kFingerprint).toString(),
                                      entry.value(kPin).toString()};
    // An entry of the whole certificate alone, with no pin, is still good
    // for that certificate.
    if (!fingerprintWellFormed(certificate.fingerprint) ||
        (entry.contains(kPin) && !pinWellFormed(certificate.pin)))
        return std::nullopt;
    return certificate;
}

bool certificatesDamaged(const QByteArray &file)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return true;
    const QJsonValue servers = document.object().value(kServers);
    if (!servers.isUndefined() && !servers.isObject())
        return true;
    const QJsonObject entries = servers.toObject();
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        const QJsonObject fields = entry.value().toObject();
        if (!fingerprintWellFormed(fields.value(kFingerprint).toString()) ||
            (fields.contains(kPin) && !pinWellFormed(fields.value(kPin).toString())))
            return true;
    }
    return false;
}

std::optional<QByteArray> withoutCertificate(const QByteArray &file, const QString &server)
{
    QJsonObject servers = serversIn(file);
    const QString name = entryName(servers, server);
    if (name.isEmpty())
        return std::nullopt;
    for (QString other = name; !other.isEmpty(); other = entryName(servers, server))
        servers.remove(other);
    return QJsonDocument(QJsonObject{{kServers, servers}}).toJson(QJsonDocument::Indented);
}

std::optional<QByteArray> withCertificate(const QByteArray &file, const QString &server,
                                          const RememberedCertificate &certificate)
{
    if (!wellFormed(certificate))
        return std::nullopt;
    QJsonObject servers = serversIn(file);
    for (QString old = entryName(servers, server); !old.isEmpty(); old = entryName(servers, server))
        servers.remove(old);
    servers.insert(server.toLower(),
                   QJsonObject{{kFingerprint, certificate.fingerprint}, {kPin, certificate.pin}});
    return QJsonDocument(QJsonObject{{kServers, servers}}).toJson(QJsonDocument::Indented);
}

QString fingerprintOf(const QByteArray &sha256)
{
    return QStringLiteral("SHA256:") +
           QString::fromLatin1(sha256.toBase64(QByteArray::OmitTrailingEquals));
}

QString pinOf(const QByteArray &sha256)
{
    return QStringLiteral("sha256//") + QString::fromLatin1(sha256.toBase64());
}

} // namespace tarnwell::publish

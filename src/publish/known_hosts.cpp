#include "known_hosts.h"

#include "document/files.h"
#include "ftp_text.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QMessageAuthenticationCode>
#include <QSaveFile>

namespace tarnwell::publish {

namespace {
constexpr qint64 kFileLimit = 4 << 20;

// OpenSSH's patterns: '*' any run of characters, '?' any one.
bool globMatches(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, star = -1, from = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            from = n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++from;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool hashedMatches(QByteArrayView pattern, const QString &name)
{
    // "|1|" base64 salt "|" base64 HMAC-SHA1 of the name.
    const QList<QByteArrayView> parts = [&] {
        QList<QByteArrayView> found;
        qsizetype start = 3;
        const qsizetype bar = pattern.indexOf('|', start);
        if (bar < 0)
            return found;
        found << pattern.sliced(start, bar - start) << pattern.sliced(bar + 1);
        return found;
    }();
    if (parts.size() != 2)
        return false;
    const auto salt = QByteArray::fromBase64Encoding(parts[0].toByteArray(),
                                                     QByteArray::AbortOnBase64DecodingErrors);
    const auto hash = QByteArray::fromBase64Encoding(parts[1].toByteArray(),
                                                     QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !hash || salt.decoded.isEmpty())
        return false;
    return QMessageAuthenticationCode::hash(name.toUtf8(), salt.decoded,
                                            QCryptographicHash::Sha1) == hash.decoded;
}

// The fields of a line: nothing for a blank line or a comment.
QList<QByteArrayView> fieldsOf(QByteArrayView line)
{
    QList<QByteArrayView> fields;
    qsizetype at = 0;
    while (at < line.size() && fields.size() < 8) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        if (at == line.size() || (fields.isEmpty() && line[at] == '#'))
            break;
        const qsizetype start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
        fields << line.sliced(start, at - start);
    }
    return fields;
}

template<typename Each>
void eachLine(QByteArrayView file, Each each)
{
    qsizetype start = 0;
    while (start < file.size()) {
        qsizetype end = file.indexOf('\n', start);
        if (end < 0)
            end = file.size();
        QByteArrayView line = file.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!each(line, file.sliced(start, qMin(end + 1, file.size()) - start)))
            return;
        start = end + 1;
    }
}

bool isMarker(QByteArrayView field)
{
    return field.startsWith('@');
}
} // namespace

QString knownHostsName(const QString &host, int port)
{
    const QString name = comparedHost(host);
    return port == 22 ? name : QStringLiteral("[%1]:%2").arg(name).arg(port);
}

bool hostFieldMatches(QByteArrayView field, const QString &host, int port)
{
    const QString name = knownHostsName(host, port);
    bool matched = false;
    qsizetype start = 0;
    while (start <= field.size()) {
        qsizetype end = field.indexOf(',', start);
        if (end < 0)
            end = field.size();
        QByteArrayView pattern = field.sliced(start, end - start);
        start = end + 1;
        const bool negated = pattern.startsWith('!');
        if (negated)
            pattern = pattern.sliced(1);
        const bool hit = pattern.startsWith("|1|")
                             ? hashedMatches(pattern, name)
                             : globMatches(QString::fromUtf8(pattern).toLower(), name);
        if (hit && negated)
            return false;
        matched = matched || hit;
    }
    return matched;
}

bool knownHostsDamaged(QByteArrayView file)
{
    if (file.size() > kFileLimit || file.contains('\0'))
        return true;
    bool damaged = false;
    eachLine(file, [&](QByteArrayView line, QByteArrayView) {
        QList<QByteArrayView> fields = fieldsOf(line);
        if (fields.isEmpty())
            return true;
        if (isMarker(fields.first())) {
            if (fields.first() != "@revoked" && fields.first() != "@cert-authority") {
                damaged = true;
                return false;
            }
            fields.removeFirst();
        }
        const bool keyReadable =
            fields.size() >= 3 &&
            QByteArray::fromBase64Encoding(fields[2].toByteArray(),
                                           QByteArray::AbortOnBase64DecodingErrors) &&
            !fields[2].isEmpty();
        damaged = !keyReadable;
        return !damaged;
    });
    return damaged;
}

bool markedRevoked(QByteArrayView file, const QString &host, int port, QByteArrayView base64)
{
    if (file.size() > kFileLimit)
        file = file.first(kFileLimit);
    bool revoked = false;
    eachLine(file, [&](QByteArrayView line, QByteArrayView) {
        const QList<QByteArrayView> fields = fieldsOf(line);
        revoked = fields.size() >= 4 && fields[0] == "@revoked" && fields[3] == base64 && hostFieldMatches(fields[1], host, port);
        return !revoked;
    });
    return revoked;
}

QByteArray withoutServer(QByteArrayView file, const QString &host, int port, bool *found)
{
    QByteArray kept;
    *found = false;
    eachLine(file, [&](QByteArrayView line, QByteArrayView whole) {
        const QList<QByteArrayView> fields = fieldsOf(line);
        const qsizetype hosts = !fields.isEmpty() && isMarker(fields.first()) ? 1 : 0;
        if (fields.size() > hosts && hostFieldMatches(fields[hosts], host, port))
            *found = true;
        else
            kept += whole;
        return true;
    });
    return kept;
}

QString setAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int k = 2; QFile::exists(aside) && k < 100; ++k)
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(k);
    return QFile::rename(path, aside) ? aside : QString();
}

Forgotten forgetServer(const Store &store, Method method, const QString &host, int port,
                       QString *trouble)
{
    const QString path = method == Method::Sftp ? store.knownHosts : store.certificates;
    QFile file(path);
    if (!file.exists())
        return Forgotten::NothingKept;
    QString reason;
    if (!openRegularFile(file, &reason) || file.size() > kFileLimit) {
        *trouble = path + QStringLiteral(": ") + (reason.isEmpty() ? file.errorString() : reason);
        return Forgotten::Failed;
    }
    const QByteArray bytes = file.read(kFileLimit);
    file.close();
    bool found = false;
    QByteArray kept;
    if (method == Method::Sftp) {
        kept = withoutServer(bytes, host, port, &found);
    } else {
        const std::optional<QByteArray> without = withoutCertificate(bytes, serverKey(host, port));
        found = without.has_value();
        kept = without.value_or(QByteArray());
    }
    if (!found)
        return Forgotten::NothingKept;
    QSaveFile save(path);
    if (save.open(QIODevice::WriteOnly) && save.write(kept) == kept.size() && save.commit())
        return Forgotten::Done;
    *trouble = path + QStringLiteral(": ") + save.errorString();
    return Forgotten::Failed;
}

} // namespace tarnwell::publish

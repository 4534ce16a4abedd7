#pragma once

#include "site.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tarnwell::publish {

// What Tarnwell last sent where: a file's SHA-256 per place (method, host,
// port, user and folder) and file name. Read from a file anyone could have
// changed, so whatever does not fit is left out.
class SentRecord final
{
public:
    static QString placeOf(const Site &site);

    // Nothing when the file is missing, unreadable, too big or garbled.
    static SentRecord read(const QString &path);
    static SentRecord parse(const QByteArray &json);
    QByteArray toJson() const;
    // Written whole or not at all.
    bool write(const QString &path) const;

    // The hash as 32 raw bytes, or empty when none is kept.
    QByteArray hash(const QString &place, const QString &name) const;
    void setHash(const QString &place, const QString &name, const QByteArray &hash);

    bool operator==(const SentRecord &other) const { return m_places == other.m_places; }

private:
    QHash<QString, QHash<QString, QByteArray>> m_places;
};

} // namespace tarnwell::publish

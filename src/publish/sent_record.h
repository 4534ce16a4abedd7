#pragma once

#include "site.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

namespace tarnwell::publish {

// What Tarnwell last sent where: per place (method, host, port, user and
// folder) and file name, the file's SHA-256 and the time the server gave the
// file once it was in place. Read from a file anyone could have changed, so
// whatever does not fit is left out.
class SentRecord final
{
public:
    struct Entry
    {
        QByteArray hash;                 // 32 raw bytes
        std::optional<qint64> modified;  // seconds since 1970; none: not known
        bool operator==(const Entry &other) const
        {
            return hash == other.hash && modified == other.modified;
        }
    };

    static QString placeOf(const Site &site);

    // Nothing when the file is missing, unreadable, too big or garbled.
    static SentRecord read(const QString &path);
    static SentRecord parse(const QByteArray &json);
    QByteArray toJson() const;
    // Written whole or not at all.
    bool write(const QString &path) const;
    // Sets these entries and leftovers in the file at path, and takes the
    // cleared leftovers out of it, the file read again under a lock beside
    // it, so that two publishes at once keep each other's entries.
    bool mergeInto(const QString &path,
                   const QHash<QString, QSet<QString>> &cleared = {}) const;

    // Temporary files that a publish may have left on the server, cut off
    // part-way: removed by the next one. Only names that a temporary file
    // can have (see temporaryNameOf) are kept.
    QSet<QString> leftovers(const QString &place) const { return m_left.value(place); }
    void addLeftover(const QString &place, const QString &path);

    // None when no entry is kept.
    std::optional<Entry> entry(const QString &place, const QString &name) const;
    void set(const QString &place, const QString &name, const Entry &entry);
    // The hash as 32 raw bytes, or empty when none is kept.
    QByteArray hash(const QString &place, const QString &name) const;
    void setHash(const QString &place, const QString &name, const QByteArray &hash);
    bool isEmpty() const { return m_places.isEmpty() && m_left.isEmpty(); }

    bool operator==(const SentRecord &other) const
    {
        return m_places == other.m_places && m_left == other.m_left;
    }

private:
    QHash<QString, QHash<QString, Entry>> m_places;
    QHash<QString, QSet<QString>> m_left;
};

} // namespace tarnwell::publish

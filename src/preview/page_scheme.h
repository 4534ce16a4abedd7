#pragma once

#include "file_guard.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

namespace tarnwell {

// Serves the live page from memory, and the files of its folder beside it,
// so that showing the page as it is typed writes nothing into the user's
// folder. Addresses are the page's own path under a scheme of ours: the
// page's relative addresses lead where they lead from its file. Files load
// as the guard lets them, and nothing else does.
class PageScheme final : public QWebEngineUrlSchemeHandler
{
public:
    static const QByteArray kName;
    // Once, before any web view is made.
    static void registerScheme();

    explicit PageScheme(QObject *parent = nullptr);

    // The page's bytes as its file would hold them, and that file's path.
    void setPage(const QByteArray &bytes, const QString &path);
    QUrl pageAddress() const { return m_address; }

    // Whether a file served since the page was last set has changed since:
    // the viewer keeps pictures it has shown, and must be told to fetch them again.
    bool filesChanged() const;

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    struct Stamp
    {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp &other) const
        {
            return size == other.size && modified == other.modified;
        }
    };
    static Stamp stampOf(const QString &path);

    QByteArray m_bytes;
    QUrl m_address;
    QString m_folder;
    FileGuard m_guard{QString()};
    QHash<QString, Stamp> m_served;
};

} // namespace tarnwell

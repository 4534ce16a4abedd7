#pragma once

#include "file_guard.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

namespace tarnwell {

// Serves the files of the page's folder, and the live page from memory, so
// that showing the page as it is typed writes nothing into the user's folder.
// Addresses are the files' own paths under a scheme of ours: the page's
// relative addresses lead where they lead from its file. Files load as the
// guard lets them, and nothing else does. Every page so shown is a place of
// its own to the viewer, so that no script of one reads another, as it could
// with local files.
class PageScheme final : public QWebEngineUrlSchemeHandler
{
public:
    static const QByteArray kName;
    // Once, before any web view is made.
    static void registerScheme();

    explicit PageScheme(QObject *parent = nullptr);

    // A local file's address as this scheme gives it; other addresses as they are.
    static QUrl fromFile(const QUrl &address);
    static bool isLocal(const QUrl &address);
    // The same file as a place of its own, for a frame within a page.
    static QUrl placeOfItsOwn(const QUrl &address);

    // The folder whose files are served.
    void setFolder(const QString &folder);
    // The page's bytes as its file would hold them, and that file's path,
    // in place of that file; its folder's files are served.
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

#pragma once

#include "file_guard.h"

#include <QString>
#include <QWebEngineUrlRequestInterceptor>
#include <mutex>

class QWebEngineProfile;

namespace tarnwell {

// The one guard of every view of the page, the Browser screen's and the live
// page's: local files load only from one folder, however their addresses are
// spelt, and only through the page scheme, whose pages no script of another
// can read; no script reads a file, not even one of that folder. The
// viewer's own setting cannot: without access to local files a local page
// shows not even its own folder's pictures, and with it a page's script reads
// every file of its folder through a frame.
class PageGuard final : public QWebEngineUrlRequestInterceptor
{
public:
    explicit PageGuard(const QString &folder, QObject *parent = nullptr);

    void setFolder(const QString &folder);
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    std::mutex m_mutex; // the viewer may ask from a thread of its own
    FileGuard m_guard;
};

class PageScheme;

// A profile of its own for a view of the page, kept in memory only and with
// no cache (the files are rewritten in place; an old copy must never show),
// under a guard for the folder, whose files the scheme serves. Its scripts
// may not read what other sites answer either.
QWebEngineProfile *guardedProfile(PageGuard *guard, PageScheme *scheme, QObject *parent);

} // namespace tarnwell

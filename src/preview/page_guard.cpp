#include "page_guard.h"

#include "page_scheme.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace tarnwell {

PageGuard::PageGuard(const QString &folder, QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent), m_guard(folder)
{}

void PageGuard::setFolder(const QString &folder)
{
    FileGuard guard(folder);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_guard = guard;
}

void PageGuard::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QUrl address = info.requestUrl();
    const QString scheme = address.scheme().toLower();
    // fetch() and XMLHttpRequest are both this type.
    const bool read = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeXhr &&
                      (scheme == QLatin1String("file") ||
                       scheme == QLatin1String(PageScheme::kName));
    // The tools that lay a page out as a phone does are used by us alone:
    // their own program never starts, so they do nothing on their own.
    const bool tools = scheme == QLatin1String("devtools") &&
                       info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
    // A page from the web may not show the folder's files, nor learn which there are.
    const bool fromWeb = scheme == QLatin1String(PageScheme::kName) &&
                         info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
                         info.firstPartyUrl().scheme() != QLatin1String(PageScheme::kName);
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (read || tools || fromWeb || !m_guard.allows(address)) {
        info.block(true);
        return;
    }
    // A local file loads through the page scheme; a page in a frame as a
    // place of its own, whose text the page around it cannot read.
    const bool frame = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame ||
                       info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeObject;
    const bool ours = scheme == QLatin1String(PageScheme::kName);
    if (frame && (ours || PageScheme::isLocal(address)) &&
        address.host().startsWith(QLatin1String("frame")) == false)
        info.redirect(PageScheme::placeOfItsOwn(PageScheme::fromFile(address)));
    else if (PageScheme::isLocal(address))
        info.redirect(PageScheme::fromFile(address));
}

QWebEngineProfile *guardedProfile(PageGuard *guard, PageScheme *scheme, QObject *parent)
{
    // Without a storage name the profile is kept in memory only, so nothing
    // of the pages shown is written to the user's home folder.
    auto *profile = new QWebEngineProfile(parent);
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    QWebEngineSettings *settings = profile->settings();
    // Local files come through the page scheme instead.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // Our pages carry no charset and are mostly written in Windows-1252.
    settings->setDefaultTextEncoding(QStringLiteral("windows-1252"));
    guard->setParent(profile);
    profile->setUrlRequestInterceptor(guard);
    scheme->setParent(profile);
    profile->installUrlSchemeHandler(PageScheme::kName, scheme);
    return profile;
}

} // namespace tarnwell

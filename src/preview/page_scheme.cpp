#include "page_scheme.h"

#include "document/files.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace tarnwell {

const QByteArray PageScheme::kName = QByteArrayLiteral("tarnwell-page");

void PageScheme::registerScheme()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    QWebEngineUrlScheme scheme(kName);
    // The host names the place: the page's own, or one of a frame's.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Not a local scheme, which local pages may all read from one another:
    // each page is a place of its own. It may ask for local files, which the
    // guard sends here. Not CORS-enabled: no script reads it.
    scheme.setFlags(QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

PageScheme::PageScheme(QObject *parent) : QWebEngineUrlSchemeHandler(parent) {}

bool PageScheme::isLocal(const QUrl &address)
{
    return address.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
}

QUrl PageScheme::fromFile(const QUrl &address)
{
    if (!isLocal(address))
        return address;
    QUrl ours = address;
    ours.setScheme(QString::fromLatin1(kName));
    ours.setHost(QStringLiteral("page"));
    return ours;
}

QUrl PageScheme::placeOfItsOwn(const QUrl &address)
{
    // Another host is another place to the viewer: no script of one reads the other.
    static quint64 places = 0;
    QUrl own = address;
    own.setHost(QStringLiteral("frame%1").arg(++places));
    return own;
}

void PageScheme::setPage(const QByteArray &bytes, const QString &path)
{
    m_bytes = bytes;
    m_address = fromFile(QUrl::fromLocalFile(path));
    setFolder(QFileInfo(path).absolutePath());
}

void PageScheme::setFolder(const QString &folder)
{
    if (folder != m_folder) {
        m_served.clear();
        m_folder = folder;
        m_guard = FileGuard(folder);
    }
}

PageScheme::Stamp PageScheme::stampOf(const QString &path)
{
    const QFileInfo file(path);
    return {file.exists() ? file.size() : -1, file.lastModified()};
}

bool PageScheme::filesChanged() const
{
    for (auto it = m_served.cbegin(); it != m_served.cend(); ++it) {
        if (!(stampOf(it.key()) == it.value()))
            return true;
    }
    return false;
}

void PageScheme::requestStarted(QWebEngineUrlRequestJob *job)
{
    // Whatever the place, the path is the file's.
    QUrl address = job->requestUrl().adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    address.setHost(QStringLiteral("page"));
    if (!m_address.isEmpty() && address == m_address) {
        auto *page = new QBuffer(job);
        page->setData(m_bytes);
        job->reply(QByteArrayLiteral("text/html"), page);
        return;
    }
    address.setScheme(QStringLiteral("file"));
    address.setHost(QString());
    const QString asked = address.toLocalFile();
    if (m_guard.allows(address.adjusted(QUrl::RemoveFilename)))
        m_served.insert(asked, stampOf(asked)); // a file that comes later shows then
    const QString path = QFileInfo(asked).canonicalFilePath();
    if (!m_guard.allows(address) || !QFileInfo(path).isFile()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // Opened without waiting: what passed the guard as a file may be a named
    // pipe by now.
    auto *file = new QFile(path, job);
    if (!openRegularFile(*file)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    static const QMimeDatabase types;
    job->reply(types.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1(), file);
}

} // namespace tarnwell

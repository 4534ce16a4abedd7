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
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Like a local file: no page from the web may load it, and it may show
    // the files of its folder. Not CORS-enabled: no script reads it.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

PageScheme::PageScheme(QObject *parent) : QWebEngineUrlSchemeHandler(parent) {}

void PageScheme::setPage(const QByteArray &bytes, const QString &path)
{
    m_bytes = bytes;
    QUrl address = QUrl::fromLocalFile(path);
    address.setScheme(QString::fromLatin1(kName));
    m_address = address;
    const QString folder = QFileInfo(path).absolutePath();
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
    QUrl address = job->requestUrl().adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    if (address == m_address) {
        auto *page = new QBuffer(job);
        page->setData(m_bytes);
        job->reply(QByteArrayLiteral("text/html"), page);
        return;
    }
    address.setScheme(QStringLiteral("file"));
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

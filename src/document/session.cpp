#include "session.h"

#include "followed_text.h"
#include "html/modern.h"
#include "paths.h"
#include "recovery.h"

#include <QDir>
#include <QFileInfo>

namespace tarnwell {

Session::Session(QObject *parent)
    : QObject(parent), m_followed(std::make_unique<FollowedText>(m_page.document()))
{}

Session::~Session() = default;

void Session::setSessionFolder(const QString &folder)
{
    m_sessionFolder = folder;
    emit foldersChanged();
}

QString Session::previewFilePath() const
{
    return derivedPath(m_sessionFolder, previewFileName());
}

QUrl Session::previewUrl() const
{
    return QUrl::fromLocalFile(QDir::cleanPath(QDir::fromNativeSeparators(previewFilePath())));
}

void Session::setHeadFolder(const QString &text)
{
    m_headFolder = text;
    emit foldersChanged();
}

void Session::setSelectionFolder(const QString &caption, const QString &saveFolder)
{
    m_selectionFolderCaption = caption;
    m_saveFolder = saveFolder;
    emit foldersChanged();
}

void Session::setHead(const QString &title, const HeadingFragment &heading)
{
    m_pageTitle = title;
    m_heading = heading;
}

void Session::setPageMode(bool modern, const QString &language, const QString &description)
{
    m_modern = modern;
    m_language = language;
    m_description = description;
    emit pageModeChanged();
}

void Session::beginPage(const QString &start)
{
    // A modern page says it is UTF-8.
    m_pageEncoding = m_modern ? PageEncoding::Utf8 : PageEncoding::Windows1252;
    m_page.replace(start);
    forgetSaves();
}

void Session::clearPage()
{
    m_pageEncoding = PageEncoding::Windows1252;
    m_page.clear();
    forgetSaves();
    if (m_keeper)
        m_keeper->forget();
}

void Session::takeLoadedPage(const LoadedPage &loaded)
{
    m_pageEncoding = loaded.encoding;
    const bool modern = isModernPage(loaded.body);
    // A modern page of plain ASCII reads as Windows-1252, yet says it is UTF-8.
    if (modern && m_pageEncoding == PageEncoding::Windows1252)
        m_pageEncoding = PageEncoding::Utf8;
    setPageMode(modern, m_language, m_description);
    m_page.replace(loaded.body);
    forgetSaves();
}

void Session::forgetSaves()
{
    m_savedName.clear();
    m_savedAt = QTime();
    m_unchangedText = QString();
}

void Session::markUnchanged()
{
    m_unchangedText = m_page.text();
}

bool Session::hasUnsavedChanges() const
{
    if (m_page.isEmpty())
        return false;
    return m_unchangedText.isNull() || m_page.text() != m_unchangedText;
}

bool Session::writePreview() const
{
    return writePreviewFile(previewFilePath(), m_page.text(), m_pageEncoding);
}

bool Session::savePage(const QString &fileName, QString *error)
{
    const QString text = m_page.text();
    if (!SaveFile(fileName, text, m_pageEncoding, error,
                  m_modern ? modernPageClosing() : pageClosing()))
        return false;
    m_savedFile = fileName;
    m_savedText = text;
    m_savedName = QFileInfo(fileName).fileName();
    m_savedAt = QTime::currentTime();
    m_unchangedText = text;
    if (m_keeper)
        m_keeper->markSaved();
    return true;
}

QString Session::savedPageFile() const
{
    if (m_savedFile.isEmpty() || m_page.text() != m_savedText || !QFileInfo::exists(m_savedFile))
        return {};
    return m_savedFile;
}

void Session::keepPageIn(const QString &folder)
{
    m_keeper = std::make_unique<PageKeeper>(*this, folder);
}

} // namespace tarnwell

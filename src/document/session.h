#pragma once

#include "html/head.h"
#include "page_body.h"
#include "page_file.h"

#include <QObject>
#include <QString>
#include <QTime>
#include <QUrl>
#include <memory>

namespace tarnwell {

class FollowedText;
class PageKeeper;

// Whether the Select Directory screen makes a new folder or takes one that exists.
enum class FolderMode { MakeNew, UseExisting };

// The values that several screens share, for the life of the program.
class Session final : public QObject
{
    Q_OBJECT

public:
    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    PageBody &page() { return m_page; }
    const PageBody &page() const { return m_page; }
    // A copy of the page's text that follows each change, to be shared with
    // worker threads.
    FollowedText &followedText() const { return *m_followed; }

    // The folder that holds the preview file and every copied picture,
    // in the platform's native form.
    QString sessionFolder() const { return m_sessionFolder; }
    void setSessionFolder(const QString &folder);
    QString previewFilePath() const;
    // The preview file as the viewer's address, sound even at a drive root.
    QUrl previewUrl() const;

    // The folder as the HEAD screen shows it.
    QString headFolder() const { return m_headFolder; }
    void setHeadFolder(const QString &text);

    // The Selection screen's folder caption and the save dialog's start folder.
    QString selectionFolderCaption() const { return m_selectionFolderCaption; }
    QString saveFolder() const { return m_saveFolder; }
    void setSelectionFolder(const QString &caption, const QString &saveFolder);

    FolderMode folderMode() const { return m_folderMode; }
    void setFolderMode(FolderMode mode) { m_folderMode = mode; }

    // The folder of the page file just loaded, where the folder list opens;
    // empty when the page came from no file.
    QString loadedPageFolder() const { return m_loadedPageFolder; }
    void setLoadedPageFolder(const QString &folder) { m_loadedPageFolder = folder; }

    // 0 begins a new page after the folder choice, 1 goes on with a loaded one.
    int ExistingFileMode() const { return m_existingFileMode; }
    void setExistingFileMode(int mode) { m_existingFileMode = mode; }

    // The page title and main heading as the HEAD screen last built them.
    QString pageTitle() const { return m_pageTitle; }
    HeadingFragment heading() const { return m_heading; }
    void setHead(const QString &title, const HeadingFragment &heading);

    // A page for phones and today's browsers rather than the classic page;
    // chosen on the HEAD screen, or found in a page loaded back.
    bool isModern() const { return m_modern; }
    QString pageLanguage() const { return m_language; }
    QString pageDescription() const { return m_description; }
    void setPageMode(bool modern, const QString &language, const QString &description);

    PageEncoding pageEncoding() const { return m_pageEncoding; }
    void setPageEncoding(PageEncoding encoding) { m_pageEncoding = encoding; }

    // Starts a new page with the given text, in the encoding new pages of its
    // mode get.
    void beginPage(const QString &start);

    // Empties the page; what comes next is a new page.
    void clearPage();

    // Takes a page read from a file, in that file's encoding, and the mode its
    // text shows.
    void takeLoadedPage(const LoadedPage &loaded);

    // Writes the preview file from the page body; failure is harmless.
    bool writePreview() const;

    // Writes the page to a file of the user's choice.
    bool savePage(const QString &fileName, QString *error);
    // The file the page was last saved to, while the page is still as saved
    // there; else nothing.
    QString savedPageFile() const;
    // The name of the file this page was last saved to and when, until the
    // page is cleared or another one taken; else empty.
    QString lastSaveName() const { return m_savedName; }
    QTime lastSaveTime() const { return m_savedAt; }
    // The page as it is now is what its file holds: it was just loaded.
    void markUnchanged();
    // The page differs from what was last saved or loaded, or was begun and
    // never saved.
    bool hasUnsavedChanges() const;
    // The file the page was last saved to, changed since or not.
    QString lastSavedFile() const { return m_savedFile; }

    // Keeps the page being made in a file in that folder, so that a crash
    // loses no more than its last moments.
    void keepPageIn(const QString &folder);
    PageKeeper *pageKeeper() const { return m_keeper.get(); }

signals:
    void foldersChanged();
    void pageModeChanged();

private:
    void forgetSaves();

    PageBody m_page;
    std::unique_ptr<FollowedText> m_followed; // after the page, which it watches
    QString m_sessionFolder;
    QString m_headFolder = QStringLiteral("Session folder");
    QString m_selectionFolderCaption = QStringLiteral(" ");
    QString m_saveFolder;
    FolderMode m_folderMode = FolderMode::UseExisting;
    int m_existingFileMode = 0;
    QString m_loadedPageFolder;
    QString m_pageTitle;
    HeadingFragment m_heading;
    bool m_modern = false;
    QString m_language;
    QString m_description;
    PageEncoding m_pageEncoding = PageEncoding::Windows1252;
    QString m_savedFile;
    QString m_savedText;
    QString m_savedName;
    QTime m_savedAt;
    // The text as last saved or loaded; null when neither happened.
    QString m_unchangedText;
    std::unique_ptr<PageKeeper> m_keeper; // after the page, which it watches
};

} // namespace tarnwell

#pragma once

#include "page_file.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;
class QLockFile;

namespace tarnwell {

class Session;

// A page as kept for recovery, with what the user needs to go on with it.
struct KeptPage
{
    QString body;
    QString sessionFolder;
    QString saveFolder;
    PageEncoding encoding = PageEncoding::Windows1252;
    bool saved = false;
    QDateTime keptAt;
};

// A kept-page file: a few key=value lines, an empty line, then the body as
// UTF-8, whatever the page's own encoding, so that no character is lost. A
// digest of all that follows it comes first. The body is written from the
// given pieces, one after the other, not from page.body; line breaks held as
// the document holds them (U+2029, U+2028) are written as CR LF. The device
// must allow seeking back.
bool writeKeptPage(QIODevice *device, const KeptPage &page, const QList<QString> &body);
QByteArray keptPageBytes(const KeptPage &page);

// Nothing unless the bytes are a whole, intact kept-page file.
std::optional<KeptPage> readKeptPage(const QByteArray &bytes);

// A page kept by a copy of the program that no longer runs. Its lock is held
// here, so no other copy offers it meanwhile; letting go of this releases it.
struct LeftPage
{
    QString path;
    KeptPage page;
    std::shared_ptr<QLockFile> lock;
};

// What a start finds in the folder: the pages left unsaved, oldest first, and
// where each file that could not be read now is.
struct LeftPages
{
    std::vector<LeftPage> pages;
    QStringList unreadable;
};

// Keeps the page body of this copy in a file of its own, from its first
// change on, two seconds after a change and never more often. It takes the
// session's followed copy of the text, which costs nothing however long the
// page; a worker thread makes the bytes and writes them, one file at a time.
// Writing that fails is told once, until a write works again. A lock file beside it, held while this
// copy runs, tells other copies that the page is not theirs to offer.
class PageKeeper final : public QObject
{
    Q_OBJECT

public:
    PageKeeper(Session &session, const QString &folder, QObject *parent = nullptr);
    ~PageKeeper() override;

    // The page as it is now has been saved.
    void markSaved();
    // Removes this copy's file; a later change starts a new one.
    void forget();
    // Takes the text now instead of waiting for the timer.
    void keepNow();

    // Pages left by copies that no longer run. Files of saved pages are
    // removed; unreadable ones are renamed aside, never deleted; those a
    // later version wrote are left as they are.
    LeftPages leftPages();
    void discard(LeftPage &page);
    // Goes on keeping the session's page in that page's file.
    void adopt(LeftPage &&page);

signals:
    // A file was written or removed; false when writing failed.
    void written(bool ok);
    // Writing failed, for the first time since it last worked; the reason
    // reads on after a colon.
    void cannotKeep(const QString &reason);

private:
    class Writer;

    void done(bool wrote, const QString &trouble);
    void changed();
    void arm();
    void dropFile();

    Session &m_session;
    QString m_folder;
    QTimer m_timer;
    bool m_saved = false;
    bool m_troubled = false; // the last write failed
    QString m_path;
    std::shared_ptr<QLockFile> m_lock;
    std::unique_ptr<Writer> m_writer;
};

} // namespace tarnwell

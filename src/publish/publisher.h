#pragma once

#include "site.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringView>
#include <QUrl>
#include <atomic>

namespace tarnwell::publish {

// A file of the session folder that the page uses, and the page itself.
struct PageFile
{
    QString name;      // relative to the session folder, '/' between folders
    QString localPath; // the file found in the folder, for showing
    qint64 size = 0;
    QString folder; // the session folder, as its links lead
    // The file listed: whatever is put in its place is not sent.
    quint64 device = 0;
    quint64 inode = 0;
};

// Every file of the folder that the page uses, read as Check page reads it,
// then the page itself; only ordinary files reached from the folder without
// following any link, so nothing outside it and no special file. A file the
// page uses that is there but cannot be sent (a link, a folder, a device) is
// told in refused, as a NotInFolder problem: left out in silence, the page
// would go up without it.
QList<PageFile> filesToPublish(const QString &folder, const QString &pageName,
                               QStringView pageText, QList<Problem> *refused = nullptr);

// Why the page file cannot be published from the folder (missing, a link, not
// an ordinary file), as a NotInFolder problem; none when it can.
Problem pageFileProblem(const QString &folder, const QString &pageName);

enum class FileState { Sent, Unchanged, Failed };

struct FileReport
{
    QString name;
    FileState state = FileState::Sent;
    QString reason; // for Failed
    qint64 size = 0;
};

struct Report
{
    Problem problem; // what stopped the publish, if anything
    QList<FileReport> files;
    int sent = 0;
};

// Sends the files that changed, each under a temporary name in its folder,
// then renamed over the old one. Runs in a worker thread: call run() or
// testConnection() there; cancel() from anywhere.
class Publisher final : public QObject
{
    Q_OBJECT

public:
    Publisher(Site site, Store store, QList<PageFile> files, QObject *parent = nullptr);

    void run();
    // Connects, writes a small file in the folder, removes it.
    void testConnection();
    void cancel() { m_cancelled = true; }

signals:
    void progress(qint64 done, qint64 total);
    void fileReported(const tarnwell::publish::FileReport &report);
    void finished(const tarnwell::publish::Report &report);

private:
    Site m_site;
    Store m_store;
    QList<PageFile> m_files;
    std::atomic_bool m_cancelled{false};
};

enum class Arrival { Same, Different, NotFound };

// An http or https address with a host: the only kind whose answer shows
// that a page is on the web.
bool isWebAddress(const QUrl &address);

// The web address as typed, with "https://" before one typed without its
// scheme ("example.org/~ann/"), as a browser's address bar takes it;
// anything else as it is.
QString typedWebAddress(const QString &typed);

// Fetches the page from the web and compares it with the bytes sent; an
// address that is not a web address is refused, NotFound with the reason.
Arrival checkArrival(const QUrl &address, const QByteArray &sent, QString *details);

} // namespace tarnwell::publish

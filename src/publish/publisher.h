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
    QString localPath; // the file found in the folder
    qint64 size = 0;
};

// Every file of the folder that the page uses, read as Check page reads it,
// then the page itself; nothing outside the folder, no link out of it, no
// special file.
QList<PageFile> filesToPublish(const QString &folder, const QString &pageName,
                               QStringView pageText);

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

// Fetches the page from the web and compares it with the bytes sent.
Arrival checkArrival(const QUrl &address, const QByteArray &sent, QString *details);

} // namespace tarnwell::publish

#pragma once

#include "site.h"

#include <QIODevice>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tarnwell::publish {

// Told how many bytes of the current file have gone; false stops the transfer.
using SentSoFar = std::function<bool(qint64 bytes)>;

// What is at a name on the server.
struct RemoteFile
{
    qint64 size = 0;
    qint64 modified = 0;  // seconds since 1970, UTC, as the server tells it
    bool regular = false; // an ordinary file, not a link, a folder or anything else
};

// One connection to the server. Remote paths are relative to the login
// folder, '/' between folders. Every call returns within a second of the
// cancel flag being set, and within 20 seconds when the server stops
// answering.
class Transport
{
public:
    virtual ~Transport() = default;

    // Connects, checks the server's key or certificate, logs in.
    virtual Problem connect() = 0;
    // What is at path (a link itself, not what it leads to), or nothing when
    // nothing is there or the server could not say (then problem is set).
    virtual std::optional<RemoteFile> remoteFile(const QString &path, Problem *problem) = 0;
    virtual bool folderExists(const QString &path, Problem *problem) = 0;
    virtual Problem makeFolder(const QString &path) = 0;
    // Writes source, from where it stands to its end, as a new file at path;
    // refuses when anything is at that name already, so that a link put there
    // never leads the bytes elsewhere.
    virtual Problem upload(QIODevice &source, const QString &path,
                           const SentSoFar &sentSoFar) = 0;
    // Renames from over to, replacing to if it is there.
    virtual Problem replace(const QString &from, const QString &to) = 0;
    virtual Problem remove(const QString &path) = 0;
};

std::unique_ptr<Transport> makeSftpTransport(const Site &site, const Store &store,
                                             const std::atomic_bool &cancelled);
std::unique_ptr<Transport> makeFtpTransport(const Site &site, const Store &store,
                                            const std::atomic_bool &cancelled);

inline std::unique_ptr<Transport> makeTransport(const Site &site, const Store &store,
                                                const std::atomic_bool &cancelled)
{
    return site.method == Method::Sftp ? makeSftpTransport(site, store, cancelled)
                                       : makeFtpTransport(site, store, cancelled);
}

} // namespace tarnwell::publish

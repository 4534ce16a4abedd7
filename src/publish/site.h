#pragma once

#include "secret.h"

#include <QString>
#include <optional>

namespace tarnwell::publish {

enum class Method { Sftp, Ftps, Ftp };

// Where the page goes. The password is held here only while a publish runs;
// it is never written anywhere by this library, and the last Site to hold it
// clears its bytes.
struct Site
{
    ~Site() { wipeIfLast(password); }

    Method method = Method::Sftp;
    QString host;
    int port = 22;
    QString user;
    QString password;
    QString keyFile;      // SFTP: a private key file, optional
    QString remoteFolder; // as typed; folderOnServer() says what it means
    // A first connection's key or certificate that the user has just accepted
    // ("SHA256:..."): remembered if the server still shows it.
    QString acceptedFingerprint;
    bool createFolder = false; // make remoteFolder (and its parents) when missing
};

// Tarnwell's own files in its data folder, and the user's OpenSSH known hosts
// (read only).
struct Store
{
    QString knownHosts;     // SFTP keys that Tarnwell remembers
    QString userKnownHosts; // ~/.ssh/known_hosts
    QString certificates;   // FTPS certificates that the user accepted
    QString record;         // what was sent where, for "only what changed"
};

// The files in a folder (dataFolder/"known_hosts" and so on).
Store storeIn(const QString &dataFolder);

enum class Failure {
    None,
    UnknownHost,        // the name does not resolve
    Refused,            // nothing listens on that port
    NoAnswer,           // no answer within 20 seconds
    LoginRefused,       // user or password
    KeyRefused,         // the key file, or its passphrase
    NewHostKey,         // SFTP: first connection; fingerprint set
    ChangedHostKey,     // SFTP: not the remembered key; fingerprint and where set
    NewCertificate,     // FTPS: not verifiable, not accepted before; fingerprint set
    ChangedCertificate, // FTPS: not the accepted certificate; fingerprint and where set
    NoTls,              // FTPS: the server does not offer TLS
    FolderMissing,      // remoteFolder is not there
    NoPermission,       // the server refuses to write
    NoRoom,             // the server's disk or quota is full
    ConnectionLost,     // the connection ended part-way
    Cancelled,
    BadName,     // a file's name cannot be sent; where names the file
    BadFolder,   // the folder on the server goes up or cannot be a name; where names it
    NotInFolder, // a file is not (or no longer) the one listed in the session folder; where
    NotAFile,    // on the server, a link or a folder where a file goes; where
    Other,
    KeyNeedsPassword, // SFTP: the key file has a passphrase and none was typed
    RevokedHostKey,   // SFTP: the user's known hosts mark the server's key revoked
    DamagedTrustFile, // a file of remembered keys could not be read: set aside as where
    LeftAside,        // replacing failed part-way: the old file is on the server as where
};

struct Problem
{
    Failure failure = Failure::None;
    QString details;     // the server's or the library's own words
    QString fingerprint; // "SHA256:<base64>" for the key and certificate failures
    QString where;       // the file that holds the remembered key or certificate, or
                         // the file that the problem is about

    explicit operator bool() const { return failure != Failure::None; }
};

inline Problem fault(Failure failure, const QString &details = {})
{
    Problem problem;
    problem.failure = failure;
    problem.details = details;
    return problem;
}

// A remote folder without the slashes after it ("/" stays "/"), so that
// "web/" and "web" are one folder.
inline QString trimmedFolder(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// The folder on the server, the same for every method: counted from the
// login folder, '/' between folders, so that a "/" or "~/" at the start and
// "." parts are left out. Nothing, and why, when it goes up with ".." or a
// part cannot be a name on a server (see nameProblem).
std::optional<QString> folderOnServer(const QString &typed, QString *why = nullptr);

// What a file name on the server ('/' between folders) gets while it is being
// sent: "." before its last part and "." + 16 random hex digits +
// ".tarnwell-tmp" after, so that nobody can put something there beforehand.
inline constexpr int kTemporaryNameExtra = 31;
QString temporaryNameOf(const QString &path);

// Why a name ('/' between folders) cannot be sent to a server, or empty:
// a part that is empty, "." or "..", has a control character (a line break
// ends an FTP command), cannot be written in UTF-8, or is longer than 255
// bytes in UTF-8 once the last part has its temporary additions.
QString nameProblem(const QString &name);

// The name with every control character shown as '?', for a message.
QString shownName(const QString &name);

} // namespace tarnwell::publish

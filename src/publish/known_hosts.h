#pragma once

#include "site.h"

#include <QByteArray>
#include <QString>

// The files of keys and certificates that the user trusted: OpenSSH's
// known_hosts lines (Tarnwell's own file and the user's) and setting a
// damaged file aside. Both files come from outside the program.
namespace tarnwell::publish {

// Host names are compared in small letters, as the name service does.
inline QString comparedHost(const QString &host)
{
    return host.trimmed().toLower();
}

// The name a known_hosts line gives a server: "host", or "[host]:port" off
// port 22.
QString knownHostsName(const QString &host, int port);

// Whether a line's host field ("a,b,[c]:2222", "*.example.org,!bad", hashed
// "|1|salt|hash") takes in the server, in small letters.
bool hostFieldMatches(QByteArrayView field, const QString &host, int port);

// A known_hosts file with a line that is neither blank, a comment nor host,
// key type and key in base64 (after an optional @revoked or
// @cert-authority).
bool knownHostsDamaged(QByteArrayView file);

// Whether the file marks the key (its base64, which names its type too)
// revoked for the server.
bool markedRevoked(QByteArrayView file, const QString &host, int port, QByteArrayView base64);

// The file without the lines that name the server; found tells whether any went.
QByteArray withoutServer(QByteArrayView file, const QString &host, int port, bool *found);

// Renames a damaged file beside itself ("certificates.json.damaged-20261208-161530");
// the new name, or empty when it could not.
QString setAside(const QString &path);

enum class Forgotten { Done, NothingKept, Failed };

// Removes what Tarnwell remembers of the server: its key in Tarnwell's own
// known_hosts (SFTP) or its certificate (FTPS). The user's own known_hosts
// is never changed.
Forgotten forgetServer(const Store &store, Method method, const QString &host, int port,
                       QString *trouble);

} // namespace tarnwell::publish

#pragma once

#include "site.h"
#include "transport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// What an FTP server says, and the file of certificates the user accepted:
// both come from outside, so they are read here, apart from the transfers.
namespace tarnwell::publish {

// One line of a server's reply: "550 No such file" or "211-Features:".
struct ReplyLine
{
    int code = 0;
    bool last = true; // "550 ..." ends the reply, "211-..." goes on
    QString text;     // printable, at most kReplyTextLength characters
};

inline constexpr int kReplyTextLength = 300;

// Nothing when the line does not start with three digits (the inner lines of
// a reply that goes on over several lines).
std::optional<ReplyLine> readReplyLine(QByteArrayView line);

// What a failed command's reply code means for the user; verb is the
// command's first word ("CWD", "STOR"...).
Failure failureForReply(int code, QByteArrayView verb);

// What an MLST answer's line of facts (" type=file;size=12;modify=20240102030405; name")
// says of a name; nothing when it does not say what it is, or says it
// garbled. Only "type=file" is an ordinary file: a link shows as
// "OS.unix=symlink" or "OS.unix=slink:...".
std::optional<RemoteFile> readFacts(QByteArrayView line);

// Whether STAT's line about one name (" lrwxrwxrwx 1 ann ann 13 ... a -> b")
// shows a link or a folder.
bool listsLinkOrFolder(QByteArrayView line);

// A certificate that the user accepted for a host and port: its key is
// what must stay the same, so that a renewed certificate passes.
struct RememberedCertificate
{
    QString fingerprint; // "SHA256:" and the certificate's digest in base64
    QString pin;         // "sha256//" and the public key's digest in base64; empty
                         // in an entry of the whole certificate alone
};

// "host:port" in small letters, with an IPv6 address in brackets.
QString serverKey(const QString &host, int port);

// The certificate remembered for a server in the file's bytes (the server's
// name compared in small letters); nothing when there is none or the file is
// damaged.
std::optional<RememberedCertificate> rememberedCertificate(const QByteArray &file,
                                                           const QString &server);

// Whether the file is not a set of servers and their certificates.
bool certificatesDamaged(const QByteArray &file);

// The file's bytes without the server's certificate; nothing when it has none.
std::optional<QByteArray> withoutCertificate(const QByteArray &file, const QString &server);

// The file's bytes with the server's certificate set (the caller sets a
// damaged file aside first). Nothing when the certificate's fields are not well formed.
std::optional<QByteArray> withCertificate(const QByteArray &file, const QString &server,
                                          const RememberedCertificate &certificate);

// "SHA256:" + base64 (no padding) of a digest, and "sha256//" + base64.
QString fingerprintOf(const QByteArray &sha256);
QString pinOf(const QByteArray &sha256);

} // namespace tarnwell::publish

// Any bytes as what an FTP server says (a reply line, MLST's facts), as the
// file of accepted certificates and as a known_hosts file. A reply line read
// must have a reply's code and text fit to show; facts read must be a file
// that could be; a certificate read must be one that could have been written
// (or an entry of the whole certificate alone), and adding a server to any
// file must keep every server that it held; a server taken out of
// known_hosts is gone, and nothing else is.
#include "page_oracle.h"
#include "publish/ftp_text.h"
#include "publish/known_hosts.h"

#include <QList>
#include <cstddef>
#include <cstdint>

using namespace tarnwell;
using namespace tarnwell::publish;

namespace {
const RememberedCertificate kAdded{QStringLiteral("SHA256:") + QString(43, u'Q'),
                                   QStringLiteral("sha256//") + QString(43, u'R') + u'='};

void checkReply(const QByteArray &input)
{
    const std::optional<ReplyLine> reply = readReplyLine(input);
    if (!reply)
        return;
    if (reply->code < 100 || reply->code > 599 ||
        !input.startsWith(QByteArray::number(reply->code)))
        fuzz::fail("a reply line read with another code", input);
    if (reply->text.size() > kReplyTextLength || reply->text != reply->text.simplified())
        fuzz::fail("a reply's text too long or with spaces around it", input);
    // By code point: neither half of a pair is printable on its own.
    for (const uint point : reply->text.toUcs4()) {
        if (!QChar::isPrint(point) && !QChar::isSpace(point))
            fuzz::fail("a reply's text with a control character", input);
    }
    if (!reply->text.isEmpty() && reply->text.back().isHighSurrogate())
        fuzz::fail("a reply's text cut in a surrogate pair", input);
}

void checkCertificates(const QByteArray &input)
{
    // The server names that the file might hold: one that tests use, and
    // the input's first line.
    const qsizetype end = input.indexOf('\n');
    const QString named = QString::fromUtf8(input.left(end < 0 ? 64 : end));
    for (const QString &server : {QStringLiteral("h:21"), named}) {
        const std::optional<RememberedCertificate> held = rememberedCertificate(input, server);
        if (held && !held->pin.isEmpty() && !withCertificate({}, server, *held))
            fuzz::fail("a certificate read that could not have been written", input);
        const std::optional<QByteArray> written =
            withCertificate(input, QStringLiteral("[::1]:990"), kAdded);
        if (!written)
            fuzz::fail("a well-formed certificate not added", input);
        const std::optional<RememberedCertificate> added =
            rememberedCertificate(*written, QStringLiteral("[::1]:990"));
        if (!added || added->fingerprint != kAdded.fingerprint || added->pin != kAdded.pin)
            fuzz::fail("an added certificate not read back", input);
        if (server == QStringLiteral("[::1]:990"))
            continue;
        const std::optional<RememberedCertificate> kept = rememberedCertificate(*written, server);
        if (kept.has_value() != held.has_value() ||
            (held && (kept->fingerprint != held->fingerprint || kept->pin != held->pin)))
            fuzz::fail("adding a server changed what another one holds", input);
    }
}
// An MLST line of facts: a file read has a size and a time that could be.
void checkFacts(const QByteArray &input)
{
    const std::optional<RemoteFile> file = readFacts(input);
    if (!file)
        return;
    if (file->size < 0 || (file->regular && !input.toLower().contains("type=file")))
        fuzz::fail("facts read as an impossible file", input);
}

void checkKnownHosts(const QByteArray &input)
{
    knownHostsDamaged(input);
    markedRevoked(input, QStringLiteral("h"), 22, "AAAA");
    for (const int port : {22, 2222}) {
        bool found = false;
        const QByteArray kept = withoutServer(input, QStringLiteral("H"), port, &found);
        if (!found && kept != input)
            fuzz::fail("known_hosts changed where the server was not named", input);
        if (found && kept.size() >= input.size())
            fuzz::fail("a server named in known_hosts not taken out", input);
        bool again = false;
        withoutServer(kept, QStringLiteral("h"), port, &again);
        if (again)
            fuzz::fail("a server still named in known_hosts once taken out", input);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    checkReply(input);
    checkCertificates(input);
    checkFacts(input);
    checkKnownHosts(input);
    return 0;
}

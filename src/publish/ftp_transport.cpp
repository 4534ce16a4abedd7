// FTP and FTPS through libcurl: one control connection for the whole publish
// (under TLS 1.3, one more for each upload), passive mode, and for FTPS
// explicit TLS on both connections or nothing.
//
// A certificate is checked inside the TLS handshake (an OpenSSL verify
// callback), before the login, so that the password never goes to a server
// that the user has not trusted: against the system's authorities first; a
// certificate they do not vouch for is shown to the user by its fingerprint,
// and once accepted its public key is what is let through from then on (with
// libcurl's own public-key pin besides), so that a certificate renewed with
// the same key passes and one with another key is refused. An entry that
// holds the whole certificate alone lets that certificate through and is
// written again with its key.
#include "aside.h"
#include "connections.h"
#include "document/files.h"
#include "ftp_text.h"
#include "known_hosts.h"
#include "secret.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QUrl>
#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace tarnwell::publish {

namespace {

constexpr long kSeconds = 20;   // to connect, and for a stalled server
constexpr int kRepliesKept = 3; // the server's last words, for Details
constexpr qint64 kStoreLimit = 1 << 20;
// After a cancel, the part of a file already sent may still be removed, in
// this long at most.
constexpr long kCleanUpMilliseconds = 800;

void initCurl()
{
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(done);
}

// What the handshake saw of the server's certificate, and what it lets by.
struct CertificateCheck
{
    QString expected;    // the one certificate to let by, unless expectedPin is set
    QString expectedPin; // the one public key to let by
    QString fingerprint;
    QString pin;
    bool refused = false;

    // Empty expectations: the authorities decide.
    bool trustsAuthorities() const { return expected.isEmpty() && expectedPin.isEmpty(); }
};

int checkIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

QByteArray sha256(const QByteArray &der)
{
    return QCryptographicHash::hash(der, QCryptographicHash::Sha256);
}

QByteArray derOf(X509 *certificate)
{
    const int size = i2d_X509(certificate, nullptr);
    if (size <= 0)
        return {};
    QByteArray der(size, Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(der.data());
    return i2d_X509(certificate, &out) == size ? der : QByteArray();
}

QByteArray publicKeyDerOf(X509 *certificate)
{
    EVP_PKEY *key = X509_get0_pubkey(certificate);
    const int size = key ? i2d_PUBKEY(key, nullptr) : 0;
    if (size <= 0)
        return {};
    QByteArray der(size, Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(der.data());
    return i2d_PUBKEY(key, &out) == size ? der : QByteArray();
}

int verifyCertificate(int verified, X509_STORE_CTX *context)
{
    auto *ssl = static_cast<SSL *>(
        X509_STORE_CTX_get_ex_data(context, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto *check = ssl ? static_cast<CertificateCheck *>(
                            SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), checkIndex()))
                      : nullptr;
    X509 *leaf = X509_STORE_CTX_get0_cert(context);
    if (!check || !leaf)
        return 0;
    const QByteArray der = derOf(leaf);
    const QByteArray key = publicKeyDerOf(leaf);
    if (der.isEmpty() || key.isEmpty()) {
        check->refused = true;
        return 0;
    }
    check->fingerprint = fingerprintOf(sha256(der));
    check->pin = pinOf(sha256(key));
    if (check->trustsAuthorities())
        return verified;
    if (check->expectedPin.isEmpty() ? check->fingerprint == check->expected
                                     : check->pin == check->expectedPin)
        return 1;
    check->refused = true;
    return 0;
}

CURLcode onSslContext(CURL *, void *sslContext, void *data)
{
    auto *context = static_cast<SSL_CTX *>(sslContext);
    if (!SSL_CTX_set_ex_data(context, checkIndex(), data))
        return CURLE_SSL_CERTPROBLEM;
    // Always asks for the certificate, so that a refusal stops the handshake
    // even when libcurl's own verification is off.
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, verifyCertificate);
    return CURLE_OK;
}

class FtpTransport final : public Transport
{
public:
    FtpTransport(const Site &site, const Store &store, const std::atomic_bool &cancelled);
    ~FtpTransport() override;

    Problem connect() override;
    std::optional<RemoteFile> remoteFile(const QString &path, Problem *problem) override;
    bool folderExists(const QString &path, Problem *problem) override;
    Problem makeFolder(const QString &path) override;
    Problem upload(QIODevice &source, const QString &path, const SentSoFar &sentSoFar) override;
    Problem replace(const QString &from, const QString &to) override;
    Problem remove(const QString &path) override;

private:
    enum class Request { Look, Upload };
    static int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *self);
    static int onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent);
    static size_t onRead(char *buffer, size_t size, size_t count, void *file);
    // What libcurl makes of a size or a date, which nothing here reads.
    static size_t onWrite(char *, size_t size, size_t count, void *) { return size * count; }

    // The segments of a remote path, or nothing when FTP cannot carry it.
    std::optional<QStringList> segments(const QString &path, Problem *problem) const;
    QByteArray urlFor(const QStringList &segments, bool folder) const;
    QByteArray commandPath(const QStringList &segments) const;
    // A server without MLST: what SIZE and MDTM say, which cannot tell a link.
    std::optional<RemoteFile> sizeAndTime(const QStringList &segments, Problem *problem);
    CURLcode perform(const QByteArray &url, Request request, QIODevice *source = nullptr,
                     const QList<QByteArray> &commands = {});
    Problem commands(const QList<QByteArray> &lines);
    Problem problemFor(CURLcode code) const;
    void remember();

    const NoCoreDump m_noCoreDump;
    const Site m_site;
    const Store m_store;
    const std::atomic_bool &m_cancelled;
    CURL *m_curl = nullptr;
    bool m_usable = false;
    bool m_loggedIn = false;
    bool m_remembered = false;
    bool m_freshForData = false; // each data connection on a control connection of its own
    Problem m_setAside; // the file of certificates was damaged and set aside
    QByteArray m_entryPath; // the login folder, as the server named it
    CertificateCheck m_check;
    char m_error[CURL_ERROR_SIZE] = {};
    QList<ReplyLine> m_replies;
    QByteArray m_inner; // the last line inside a reply that starts with a space
    QByteArray m_lastVerb; // the verb alone: a PASS line's password is never kept
    const SentSoFar *m_sentSoFar = nullptr;
    bool m_stopped = false;
    bool m_cleaningUp = false; // a removal after a cancel
};

FtpTransport::FtpTransport(const Site &site, const Store &store, const std::atomic_bool &cancelled)
    : m_site(site), m_store(store), m_cancelled(cancelled)
{
    initCurl();
    m_curl = curl_easy_init();
    if (!m_curl)
        return;
    const bool tls = m_site.method == Method::Ftps;
    if (tls) {
        QFile file(m_store.certificates);
        std::optional<RememberedCertificate> remembered;
        if (openRegularFile(file)) {
            const QByteArray bytes = file.read(kStoreLimit + 1);
            file.close();
            if (bytes.size() > kStoreLimit || certificatesDamaged(bytes)) {
                // Read in part it would forget certificates without a word.
                const QString aside = setAside(m_store.certificates);
                m_setAside = aside.isEmpty()
                                 ? fault(Failure::Other, m_store.certificates +
                                                             QStringLiteral(": damaged, and "
                                                                            "cannot be renamed"))
                                 : Problem{Failure::DamagedTrustFile, m_store.certificates, {},
                                           aside};
                return;
            }
            remembered = rememberedCertificate(bytes, serverKey(m_site.host, m_site.port));
        }
        m_remembered = remembered.has_value();
        m_check.expected = m_remembered ? remembered->fingerprint : m_site.acceptedFingerprint;
        if (m_remembered)
            m_check.expectedPin = remembered->pin;
        // libcurl's own pin besides: the key must not change.
        if (!m_check.expectedPin.isEmpty() &&
            curl_easy_setopt(m_curl, CURLOPT_PINNEDPUBLICKEY,
                             m_check.expectedPin.toLatin1().constData()) != CURLE_OK)
            return;
    }
    const bool authorities = m_check.trustsAuthorities();
    const SecretBytes password(m_site.password);
    m_usable =
        curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_error) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "ftp") == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_USERNAME, m_site.user.toUtf8().constData()) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_PASSWORD, password.constData()) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_USE_SSL, long(tls ? CURLUSESSL_ALL : CURLUSESSL_NONE)) ==
            CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS)) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE)) ==
            CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_FTP_SKIP_PASV_IP, 1L) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, kSeconds) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kSeconds) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, kSeconds) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, &FtpTransport::onDebug) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, this) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &FtpTransport::onProgress) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, &FtpTransport::onRead) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &FtpTransport::onWrite) == CURLE_OK &&
        curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, &FtpTransport::onWrite) == CURLE_OK &&
        (!tls ||
         // TLS 1.2 where the server speaks it: under TLS 1.3 each data
         // connection gets a session ticket of its own, and libcurl resumes
         // the next data connection from it rather than from the control
         // connection, which ProFTPD and vsftpd refuse ("425"). connect()
         // allows TLS 1.3 for a server that speaks nothing older.
         (curl_easy_setopt(m_curl, CURLOPT_SSLVERSION,
                           long(CURL_SSLVERSION_TLSv1_2) | long(CURL_SSLVERSION_MAX_TLSv1_2)) ==
              CURLE_OK &&
          curl_easy_setopt(m_curl, CURLOPT_SSL_VERIFYPEER, authorities ? 1L : 0L) == CURLE_OK &&
          curl_easy_setopt(m_curl, CURLOPT_SSL_VERIFYHOST, authorities ? 2L : 0L) == CURLE_OK &&
          curl_easy_setopt(m_curl, CURLOPT_SSL_CTX_FUNCTION, &onSslContext) == CURLE_OK &&
          curl_easy_setopt(m_curl, CURLOPT_SSL_CTX_DATA, &m_check) == CURLE_OK));
}

FtpTransport::~FtpTransport()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

int FtpTransport::onDebug(CURL *, curl_infotype type, char *data, size_t size, void *self)
{
    auto *transport = static_cast<FtpTransport *>(self);
    const QByteArrayView bytes(data, qsizetype(size));
    if (type == CURLINFO_HEADER_OUT) {
        qsizetype end = 0;
        while (end < bytes.size() && end < 8 && bytes[end] >= 'A' && bytes[end] <= 'Z')
            ++end;
        transport->m_lastVerb = bytes.first(end).toByteArray();
    } else if (type == CURLINFO_HEADER_IN) {
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                end = bytes.size();
            // Inside a reply, a line that starts with a space: MLST's facts,
            // or STAT's listing.
            if (bytes[start] == ' ' && end - start < 4096)
                transport->m_inner =
                    ' ' + bytes.sliced(start, end - start).toByteArray().trimmed();
            if (const std::optional<ReplyLine> reply =
                    readReplyLine(bytes.sliced(start, end - start))) {
                transport->m_replies.append(*reply);
                if (transport->m_replies.size() > kRepliesKept)
                    transport->m_replies.removeFirst();
            }
            start = end + 1;
        }
    }
    return 0;
}

int FtpTransport::onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent)
{
    auto *transport = static_cast<FtpTransport *>(self);
    if (transport->m_cancelled && !transport->m_cleaningUp)
        return 1;
    if (transport->m_sentSoFar && *transport->m_sentSoFar && !(*transport->m_sentSoFar)(sent)) {
        transport->m_stopped = true;
        return 1;
    }
    return 0;
}

size_t FtpTransport::onRead(char *buffer, size_t size, size_t count, void *file)
{
    const qint64 read = static_cast<QIODevice *>(file)->read(buffer, qint64(size * count));
    return read < 0 ? CURL_READFUNC_ABORT : size_t(read);
}

std::optional<QStringList> FtpTransport::segments(const QString &path, Problem *problem) const
{
    QStringList parts;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        // An FTP command ends at a line break, and a name cannot hold NUL.
        if (part.contains(QLatin1Char('\r')) || part.contains(QLatin1Char('\n')) ||
            part.contains(QChar(0)) || part == QLatin1String("..") || part == QLatin1String(".")) {
            *problem = {Failure::Other,
                        QStringLiteral("FTP cannot send the name \"%1\".")
                            .arg(QString(part).replace(QLatin1Char('\n'), u' ')),
                        {},
                        {}};
            return std::nullopt;
        }
        parts.append(part);
    }
    return parts;
}

QByteArray FtpTransport::urlFor(const QStringList &segments, bool folder) const
{
    QUrl server;
    server.setScheme(QStringLiteral("ftp"));
    server.setHost(m_site.host);
    server.setPort(m_site.port);
    QByteArray url = server.toEncoded();
    for (const QString &segment : segments)
        url += '/' + QUrl::toPercentEncoding(segment);
    if (folder || segments.isEmpty())
        url += '/';
    return url;
}

QByteArray FtpTransport::commandPath(const QStringList &segments) const
{
    // From the login folder whatever folder the connection was left in.
    QByteArray path = m_entryPath;
    if (!path.isEmpty() && !path.endsWith('/'))
        path += '/';
    return path + segments.join(QLatin1Char('/')).toUtf8();
}

CURLcode FtpTransport::perform(const QByteArray &url, Request request, QIODevice *source,
                               const QList<QByteArray> &commands)
{
    m_error[0] = 0;
    m_replies.clear();
    m_inner.clear();
    m_lastVerb.clear();
    m_stopped = false;
    if (!m_usable)
        return CURLE_FAILED_INIT;
    if (m_cancelled && !m_cleaningUp)
        return CURLE_ABORTED_BY_CALLBACK;
    curl_slist *list = nullptr;
    for (const QByteArray &command : commands) {
        curl_slist *longer = curl_slist_append(list, command.constData());
        if (!longer) {
            curl_slist_free_all(list);
            return CURLE_OUT_OF_MEMORY;
        }
        list = longer;
    }
    // libcurl sets the method from the last of these two: the upload last.
    if (request == Request::Upload) {
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(m_curl, CURLOPT_READDATA, source);
        curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE,
                         curl_off_t(source->size() - source->pos()));
    } else {
        curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(m_curl, CURLOPT_READDATA, nullptr);
        curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(-1));
    }
    const long fresh = request == Request::Upload && m_freshForData ? 1L : 0L;
    curl_easy_setopt(m_curl, CURLOPT_FRESH_CONNECT, fresh);
    curl_easy_setopt(m_curl, CURLOPT_FORBID_REUSE, fresh);
    curl_easy_setopt(m_curl, CURLOPT_POSTQUOTE, list);
    curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
    const CURLcode code = curl_easy_perform(m_curl);
    curl_easy_setopt(m_curl, CURLOPT_POSTQUOTE, nullptr);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, nullptr);
    curl_slist_free_all(list);
    return code;
}

Problem FtpTransport::problemFor(CURLcode code) const
{
    if (code == CURLE_OK)
        return {};
    QStringList words;
    for (const ReplyLine &reply : m_replies)
        words.append(QString::number(reply.code) + u' ' + reply.text);
    const QString error = QString::fromUtf8(m_error).trimmed();
    words.append(error.isEmpty() ? QString::fromUtf8(curl_easy_strerror(code)) : error);
    Problem problem{Failure::Other, words.join(QLatin1Char('\n')), {}, {}};

    const int reply = m_replies.isEmpty() ? 0 : m_replies.last().code;
    if (code == CURLE_ABORTED_BY_CALLBACK && (m_cancelled || m_stopped)) {
        problem.failure = Failure::Cancelled;
        return problem;
    }
    if (m_site.method == Method::Ftps &&
        (m_check.refused || code == CURLE_PEER_FAILED_VERIFICATION ||
         code == CURLE_SSL_PINNEDPUBKEYNOTMATCH) &&
        !m_check.fingerprint.isEmpty()) {
        problem.fingerprint = m_check.fingerprint;
        if (m_remembered) {
            problem.failure = Failure::ChangedCertificate;
            problem.where = m_store.certificates;
        } else {
            problem.failure = Failure::NewCertificate;
        }
        return problem;
    }
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_URL_MALFORMAT:
        problem.failure = Failure::UnknownHost;
        break;
    case CURLE_COULDNT_CONNECT:
        problem.failure = m_loggedIn ? Failure::ConnectionLost : Failure::Refused;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        problem.failure = Failure::NoAnswer;
        break;
    case CURLE_LOGIN_DENIED:
        problem.failure = Failure::LoginRefused;
        break;
    case CURLE_USE_SSL_FAILED:
        problem.failure = Failure::NoTls;
        break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_CANT_GET_HOST:
        problem.failure = Failure::ConnectionLost;
        break;
    case CURLE_SSL_CONNECT_ERROR:
        problem.failure = m_loggedIn ? Failure::ConnectionLost : Failure::Other;
        break;
    default:
        problem.failure = failureForReply(reply, m_lastVerb);
        break;
    }
    return problem;
}

void FtpTransport::remember()
{
    if (m_site.method != Method::Ftps || m_check.fingerprint.isEmpty())
        return;
    if (m_remembered) {
        // A renewed certificate, or an entry of the whole certificate alone:
        // written again, with its key.
        if (m_check.pin == m_check.expectedPin && m_check.fingerprint == m_check.expected)
            return;
    } else if (m_check.expected.isEmpty() || m_check.fingerprint != m_check.expected) {
        return;
    }
    QByteArray old;
    QFile file(m_store.certificates);
    if (openRegularFile(file) && file.size() <= kStoreLimit)
        old = file.read(kStoreLimit);
    file.close();
    const std::optional<QByteArray> bytes = withCertificate(
        old, serverKey(m_site.host, m_site.port), {m_check.fingerprint, m_check.pin});
    QSaveFile save(m_store.certificates);
    // Not being remembered only means the question comes again next time.
    if (bytes && QDir().mkpath(QFileInfo(m_store.certificates).absolutePath()) &&
        save.open(QIODevice::WriteOnly) && save.write(*bytes) == bytes->size())
        m_remembered = save.commit();
}

Problem FtpTransport::connect()
{
    if (m_setAside)
        return m_setAside;
    CURLcode code = perform(urlFor({}, true), Request::Look);
    if (code == CURLE_SSL_CONNECT_ERROR && m_site.method == Method::Ftps && m_check.pin.isEmpty() &&
        (QByteArray(m_error).contains("version") || QByteArray(m_error).contains("protocol"))) {
        // Refused in the first handshake message, before any certificate.
        curl_easy_setopt(m_curl, CURLOPT_SSLVERSION,
                         long(CURL_SSLVERSION_TLSv1_3) | long(CURL_SSLVERSION_MAX_DEFAULT));
        code = perform(urlFor({}, true), Request::Look);
        // Under TLS 1.3 libcurl resumes a second data connection from the
        // first one's ticket, not from the control connection's session, and
        // the server refuses it ("425"): each upload logs in afresh, on a
        // control connection that is closed after it, while the commands
        // without a data connection stay on this one.
        m_freshForData = code == CURLE_OK;
    }
    if (code != CURLE_OK)
        return problemFor(code);
    m_loggedIn = true;
    const char *entry = nullptr;
    if (curl_easy_getinfo(m_curl, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry &&
        entry[0] == '/')
        m_entryPath = entry;
    remember();
    return {};
}

std::optional<RemoteFile> FtpTransport::remoteFile(const QString &path, Problem *problem)
{
    *problem = {};
    const std::optional<QStringList> parts = segments(path, problem);
    if (!parts || parts->isEmpty())
        return std::nullopt;
    // MLST tells a link from a file, which SIZE, following it, does not.
    const CURLcode code =
        perform(urlFor({}, true), Request::Look, nullptr, {"MLST " + commandPath(*parts)});
    const int reply = m_replies.isEmpty() ? 0 : m_replies.last().code;
    if (code == CURLE_OK) {
        std::optional<RemoteFile> file = readFacts(m_inner);
        // ProFTPD, as most servers, gives a link the type of what it leads
        // to; its STAT lists the name as ls -l would, a link with an "l".
        if (file && file->regular &&
            perform(urlFor({}, true), Request::Look, nullptr, {"STAT " + commandPath(*parts)}) ==
                CURLE_OK &&
            listsLinkOrFolder(m_inner))
            file->regular = false;
        if (file)
            return file;
        *problem = {Failure::Other,
                    QStringLiteral("The server's answer about %1 is garbled.").arg(path),
                    {},
                    {}};
        return std::nullopt;
    }
    if (code == CURLE_QUOTE_ERROR && m_lastVerb == "MLST") {
        if (reply == 550 || reply == 450)
            return std::nullopt; // nothing there
        if (reply == 500 || reply == 501 || reply == 502 || reply == 504)
            return sizeAndTime(*parts, problem);
    }
    *problem = problemFor(code);
    return std::nullopt;
}

std::optional<RemoteFile> FtpTransport::sizeAndTime(const QStringList &parts, Problem *problem)
{
    curl_easy_setopt(m_curl, CURLOPT_FILETIME, 1L);
    const CURLcode code = perform(urlFor(parts, false), Request::Look);
    curl_easy_setopt(m_curl, CURLOPT_FILETIME, 0L);
    if (code == CURLE_OK) {
        curl_off_t size = -1;
        curl_off_t time = -1;
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
        curl_easy_getinfo(m_curl, CURLINFO_FILETIME_T, &time);
        if (size < 0)
            return std::nullopt;
        return RemoteFile{qint64(size), qint64(time), true};
    }
    // No such file, or no such folder on the way: nothing there.
    if (code == CURLE_REMOTE_FILE_NOT_FOUND ||
        (code == CURLE_REMOTE_ACCESS_DENIED && m_lastVerb == "CWD"))
        return std::nullopt;
    *problem = problemFor(code);
    return std::nullopt;
}

bool FtpTransport::folderExists(const QString &path, Problem *problem)
{
    *problem = {};
    const std::optional<QStringList> parts = segments(path, problem);
    if (!parts)
        return false;
    const CURLcode code = perform(urlFor(*parts, true), Request::Look);
    if (code == CURLE_OK)
        return true;
    if (!(code == CURLE_REMOTE_ACCESS_DENIED && m_lastVerb == "CWD"))
        *problem = problemFor(code);
    return false;
}

Problem FtpTransport::makeFolder(const QString &path)
{
    Problem problem;
    const std::optional<QStringList> parts = segments(path, &problem);
    if (!parts)
        return problem;
    for (qsizetype depth = 1; depth <= parts->size(); ++depth) {
        const QStringList folder = parts->first(depth);
        if (folderExists(folder.join(QLatin1Char('/')), &problem))
            continue;
        if (problem)
            return problem;
        // Another publish at the same time may have just made it.
        if ((problem = commands({"MKD " + commandPath(folder)}))) {
            Problem again;
            if (!folderExists(folder.join(QLatin1Char('/')), &again))
                return problem;
        }
    }
    return {};
}

Problem FtpTransport::commands(const QList<QByteArray> &lines)
{
    return problemFor(perform(urlFor({}, true), Request::Look, nullptr, lines));
}

Problem FtpTransport::upload(QIODevice &source, const QString &path, const SentSoFar &sentSoFar)
{
    Problem problem;
    const std::optional<QStringList> parts = segments(path, &problem);
    if (!parts)
        return problem;
    if (parts->isEmpty())
        return {Failure::Other, QStringLiteral("No file name to send to."), {}, {}};
    // FTP cannot make a file only if it is new: the name is checked first,
    // and is one nobody could have guessed.
    if (remoteFile(path, &problem) || problem)
        return problem ? problem
                       : Problem{Failure::Other,
                                 QStringLiteral("Something is already at %1 on the server.")
                                     .arg(path),
                                 {},
                                 {}};
    m_sentSoFar = &sentSoFar;
    const qint64 start = source.pos();
    const CURLcode code = perform(urlFor(*parts, false), Request::Upload, &source);
    m_sentSoFar = nullptr;
    problem = problemFor(code);
    if (problem.failure == Failure::ConnectionLost && !m_cancelled) {
        // A server whose disk is full closes the data connection before it
        // says why, and libcurl then drops the control connection unread
        // (a send or a receive error, as the timing falls).
        // Asked again on a new one: a server that answers and holds less
        // than it was given had no room, and telling the user to publish
        // again would only fail again.
        Problem again;
        const std::optional<RemoteFile> part = remoteFile(path, &again);
        if (!again && part && part->size < source.pos() - start)
            problem.failure = Failure::NoRoom;
    }
    return problem;
}

Problem FtpTransport::replace(const QString &from, const QString &to)
{
    Problem problem;
    const std::optional<QStringList> source = segments(from, &problem);
    const std::optional<QStringList> target = source ? segments(to, &problem) : std::nullopt;
    if (!target)
        return problem;
    const QByteArray fromPath = commandPath(*source);
    const QByteArray toPath = commandPath(*target);
    // Most servers rename over the target.
    const Problem refused = commands({"RNFR " + fromPath, "RNTO " + toPath});
    if (!refused || m_lastVerb != "RNTO" ||
        (refused.failure != Failure::NoPermission && refused.failure != Failure::Other))
        return refused;
    // ProFTPD with AllowOverwrite off does not: the old file aside, the new
    // in its place, the old removed; the old one back if the new cannot take
    // its place.
    Problem sizeProblem;
    if (!remoteFile(to, &sizeProblem))
        return refused;
    std::optional<QStringList> aside = segments(asideName(target->join(u'/')), &problem);
    if (!aside)
        return problem;
    const QByteArray asidePath = commandPath(*aside);
    if (commands({"RNFR " + toPath, "RNTO " + asidePath}))
        return refused;
    if (const Problem second = commands({"RNFR " + fromPath, "RNTO " + toPath})) {
        if (second.failure == Failure::ConnectionLost ||
            commands({"RNFR " + asidePath, "RNTO " + toPath}))
            return {Failure::LeftAside, second.details, {}, aside->join(u'/')};
        return second;
    }
    // Hidden, and in the way of nothing, if it stays.
    commands({"DELE " + asidePath});
    return {};
}

Problem FtpTransport::remove(const QString &path)
{
    Problem problem;
    const std::optional<QStringList> parts = segments(path, &problem);
    if (!parts)
        return problem;
    // A cancelled publish leaves no part of a file behind where it can help it.
    m_cleaningUp = m_cancelled;
    if (m_cleaningUp)
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, kCleanUpMilliseconds);
    problem = commands({"DELE " + commandPath(*parts)});
    if (m_cleaningUp)
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, 0L);
    m_cleaningUp = false;
    return problem;
}

} // namespace

std::unique_ptr<Transport> openFtp(const Site &site, const Store &store,
                                   const std::atomic_bool &cancelled)
{
    return std::make_unique<FtpTransport>(site, store, cancelled);
}

} // namespace tarnwell::publish

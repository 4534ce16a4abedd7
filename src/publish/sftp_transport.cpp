#include "aside.h"
#include "connections.h"
#include "document/files.h"
#include "known_hosts.h"
#include "secret.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <mutex>
#include <sys/socket.h>
#include <thread>

namespace tarnwell::publish {

namespace {

constexpr long answerSeconds = 20;
// How long a cancel may wait for the call under way before the connection
// is cut under it.
constexpr std::chrono::milliseconds cancelGrace(700);
constexpr qint64 chunkSize = 32 * 1024;
// Not in libssh 0.10's header: the codes of SFTP's later drafts that some
// servers send for a full disk or quota.
constexpr int noSpaceOnFilesystem = 14;
constexpr int quotaExceeded = 15;

// What a status code that the server sends means to the user, if anything
// more than a plain failure.
std::optional<Failure> failureOfStatus(int code)
{
    switch (code) {
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH:
        return Failure::FolderMissing;
    case SSH_FX_PERMISSION_DENIED:
    case SSH_FX_WRITE_PROTECT:
        return Failure::NoPermission;
    case noSpaceOnFilesystem:
    case quotaExceeded:
        return Failure::NoRoom;
    default:
        return std::nullopt;
    }
}

QString words(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QByteArray remoteName(const QString &path)
{
    return path.isEmpty() ? QByteArrayLiteral(".") : path.toUtf8();
}

class SftpTransport final : public Transport
{
public:
    SftpTransport(const Site &site, const Store &store, const std::atomic_bool &cancelled)
        : m_site(site), m_store(store), m_cancelled(cancelled)
    {}

    ~SftpTransport() override
    {
        if (m_watch.joinable()) {
            {
                const std::lock_guard<std::mutex> lock(m_watchMutex);
                m_ending = true;
            }
            m_watchWake.notify_all();
            m_watch.join();
        }
        if (m_sftp)
            sftp_free(m_sftp);
        if (m_session) {
            ssh_disconnect(m_session);
            ssh_free(m_session);
        }
    }

    Problem connect() override
    {
        if (Problem problem = checkOwnFile())
            return problem;
        m_session = ssh_new();
        if (!m_session)
            return fault(Failure::Other, QStringLiteral("libssh could not start a session"));
        // Known hosts are looked up by this name: "LocalHost" is "localhost".
        const QByteArray host = comparedHost(m_site.host).toUtf8();
        const QByteArray user = m_site.user.toUtf8();
        const QByteArray known = QFile::encodeName(m_store.knownHosts);
        const QByteArray userKnown = QFile::encodeName(m_store.userKnownHosts);
        const unsigned int port = unsigned(m_site.port);
        const long timeout = answerSeconds;
        const bool no = false;
        // The user's ~/.ssh/config is not read: what the screen shows is what is used.
        ssh_options_set(m_session, SSH_OPTIONS_PROCESS_CONFIG, &no);
        if (ssh_options_set(m_session, SSH_OPTIONS_HOST, host.constData()) != SSH_OK)
            return fault(Failure::UnknownHost, words(ssh_get_error(m_session)));
        ssh_options_set(m_session, SSH_OPTIONS_PORT, &port);
        ssh_options_set(m_session, SSH_OPTIONS_USER, user.constData());
        ssh_options_set(m_session, SSH_OPTIONS_TIMEOUT, &timeout);
        // Each write waits for its answer: without this, every one also waits
        // for the delayed acknowledgement.
        const int noDelay = 1;
        ssh_options_set(m_session, SSH_OPTIONS_NODELAY, &noDelay);
        ssh_options_set(m_session, SSH_OPTIONS_KNOWNHOSTS, known.constData());
        ssh_options_set(m_session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, userKnown.constData());

        m_watch = std::thread([this] { watch(); });
        const Waiting waiting(*this);
        if (ssh_connect(m_session) != SSH_OK)
            return m_cancelled ? fault(Failure::Cancelled) : connectFailure();
        if (m_cancelled)
            return fault(Failure::Cancelled);
        if (Problem problem = checkHostKey())
            return problem;
        if (Problem problem = logIn())
            return problem;

        m_sftp = sftp_new(m_session);
        if (!m_sftp || sftp_init(m_sftp) != SSH_OK)
            return fault(Failure::Other, QStringLiteral("The server offers no SFTP: ") +
                                             words(ssh_get_error(m_session)));
        return {};
    }

    std::optional<RemoteFile> remoteFile(const QString &path, Problem *problem) override
    {
        const Waiting waiting(*this);
        sftp_attributes attributes = sftp_lstat(m_sftp, remoteName(path).constData());
        if (!attributes) {
            const int code = sftp_get_error(m_sftp);
            if (code != SSH_FX_NO_SUCH_FILE && code != SSH_FX_NO_SUCH_PATH && problem)
                *problem = failure();
            return std::nullopt;
        }
        RemoteFile file;
        file.regular = attributes->type == SSH_FILEXFER_TYPE_REGULAR;
        file.size = qint64(attributes->size);
        file.modified = qint64(attributes->mtime);
        sftp_attributes_free(attributes);
        return file;
    }

    bool folderExists(const QString &path, Problem *problem) override
    {
        const Waiting waiting(*this);
        sftp_attributes attributes = sftp_stat(m_sftp, remoteName(path).constData());
        if (!attributes) {
            const int code = sftp_get_error(m_sftp);
            if (code != SSH_FX_NO_SUCH_FILE && code != SSH_FX_NO_SUCH_PATH && problem)
                *problem = failure();
            return false;
        }
        const bool folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
        sftp_attributes_free(attributes);
        return folder;
    }

    Problem makeFolder(const QString &path) override
    {
        const Waiting waiting(*this);
        if (sftp_mkdir(m_sftp, remoteName(path).constData(), 0755) == SSH_OK)
            return {};
        // OpenSSH answers a folder that is already there with a plain failure.
        if (folderExists(path, nullptr))
            return {};
        return failure();
    }

    Problem upload(QIODevice &local, const QString &path, const SentSoFar &sentSoFar) override
    {
        Waiting waiting(*this);
        // Made new or not at all: a link at that name is not followed.
        sftp_file remote =
            sftp_open(m_sftp, remoteName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (!remote)
            return failure();
        QByteArray chunk(chunkSize, Qt::Uninitialized);
        qint64 sent = 0;
        Problem problem;
        for (;;) {
            if (m_cancelled) {
                problem = fault(Failure::Cancelled);
                break;
            }
            const qint64 got = local.read(chunk.data(), chunkSize);
            if (got < 0) {
                problem = fault(Failure::Other, local.errorString());
                break;
            }
            if (got == 0)
                break;
            if (sftp_write(remote, chunk.constData(), size_t(got)) != got) {
                problem = m_cancelled ? fault(Failure::Cancelled) : writeFailure(path);
                break;
            }
            sent += got;
            waiting.restart();
            if (sentSoFar && !sentSoFar(sent)) {
                problem = fault(Failure::Cancelled);
                break;
            }
        }
        const int closed = sftp_close(remote);
        if (!problem && closed != SSH_OK)
            problem = writeFailure(path);
        return problem;
    }

    Problem replace(const QString &from, const QString &to) override
    {
        const Waiting waiting(*this);
        // OpenSSH's plain rename refuses a target that is there; its
        // posix-rename extension replaces it in one step, so that a visitor
        // sees the old file or the new one, never none. A server may list it
        // and still refuse it: the plain way then.
        if (sftp_extension_supported(m_sftp, "posix-rename@openssh.com", "1")) {
            const Problem problem = posixRename(remoteName(from), remoteName(to));
            if (problem.failure != Failure::NoPermission && problem.failure != Failure::Other)
                return problem;
        }
        if (sftp_rename(m_sftp, remoteName(from).constData(), remoteName(to).constData()) == SSH_OK)
            return {};
        const Problem refused = failure();
        if (refused.failure == Failure::ConnectionLost || refused.failure == Failure::NoAnswer ||
            !remoteFile(to, nullptr))
            return refused;
        // The old file aside, the new in its place, the old removed; the old
        // one back if the new cannot take its place.
        const QByteArray aside = remoteName(asideName(to));
        if (sftp_rename(m_sftp, remoteName(to).constData(), aside.constData()) != SSH_OK)
            return failure();
        if (sftp_rename(m_sftp, remoteName(from).constData(), remoteName(to).constData()) !=
            SSH_OK) {
            const Problem problem = failure();
            if (sftp_rename(m_sftp, aside.constData(), remoteName(to).constData()) == SSH_OK)
                return problem;
            return {Failure::LeftAside, problem.details, {}, QString::fromUtf8(aside)};
        }
        // Hidden, and in the way of nothing, if it stays.
        sftp_unlink(m_sftp, aside.constData());
        return {};
    }

    Problem remove(const QString &path) override
    {
        const Waiting waiting(*this);
        if (sftp_unlink(m_sftp, remoteName(path).constData()) == SSH_OK)
            return {};
        return failure();
    }

private:
    // libssh's SFTP calls wait for the server's answer with no time limit of
    // their own. This thread cuts the connection under a call that has waited
    // 20 s, or that still runs 0.7 s after a cancel (a cancel is otherwise
    // seen between chunks at once). Shutting the socket down ends the call
    // with an error and leaves the descriptor, so libssh's handle stays valid.
    void watch()
    {
        std::unique_lock<std::mutex> lock(m_watchMutex);
        qint64 cancelSeen = 0;
        while (!m_watchWake.wait_for(lock, std::chrono::milliseconds(50),
                                     [this] { return m_ending; })) {
            const qint64 now = steadyMs();
            const qint64 since = m_callSince;
            if (m_cancelled && cancelSeen == 0)
                cancelSeen = now;
            const bool cancelHeld = cancelSeen != 0 && now - cancelSeen >= cancelGrace.count();
            const bool noAnswer = since != 0 && now - since >= answerSeconds * 1000;
            if (since != 0 && (cancelHeld || noAnswer)) {
                m_timedOut = !cancelHeld;
                const socket_t fd = ssh_get_fd(m_session);
                if (fd != SSH_INVALID_SOCKET)
                    ::shutdown(fd, SHUT_RDWR);
                return;
            }
        }
    }

    static qint64 steadyMs()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // Marks a call that waits for the server, for the watch.
    struct Waiting
    {
        explicit Waiting(SftpTransport &transport)
            : m_transport(transport), m_inner(transport.m_callSince != 0)
        {
            restart();
        }
        // A call made inside another hands the watch back to the outer one.
        ~Waiting() { m_transport.m_callSince = m_inner ? steadyMs() : 0; }
        void restart() { m_transport.m_callSince = steadyMs(); }
        SftpTransport &m_transport;
        const bool m_inner;
    };

    Problem connectFailure() const
    {
        const QString details = words(ssh_get_error(m_session));
        if (m_timedOut)
            return fault(Failure::NoAnswer, details);
        if (details.contains(QLatin1String("resolve"), Qt::CaseInsensitive))
            return fault(Failure::UnknownHost, details);
        if (details.contains(QLatin1String("refused"), Qt::CaseInsensitive))
            return fault(Failure::Refused, details);
        if (details.contains(QLatin1String("timeout"), Qt::CaseInsensitive) ||
            details.contains(QLatin1String("timed out"), Qt::CaseInsensitive))
            return fault(Failure::NoAnswer, details);
        if (details.contains(QLatin1String("unreachable"), Qt::CaseInsensitive))
            return fault(Failure::NoAnswer, details);
        return fault(Failure::ConnectionLost, details);
    }

    Problem checkHostKey()
    {
        ssh_key key = nullptr;
        if (ssh_get_server_publickey(m_session, &key) != SSH_OK)
            return fault(Failure::Other, words(ssh_get_error(m_session)));
        // OpenSSH's "@revoked" lines, which libssh does not read.
        bool revoked = false;
        QString revokedIn;
        char *base64 = nullptr;
        if (ssh_pki_export_pubkey_base64(key, &base64) == SSH_OK) {
            for (const QString &path : {m_store.userKnownHosts, m_store.knownHosts}) {
                QFile file(path);
                if (!revoked && openRegularFile(file) &&
                    markedRevoked(file.read(4 << 20), m_site.host, m_site.port,
                                  QByteArrayView(base64))) {
                    revoked = true;
                    revokedIn = path;
                }
            }
            ssh_string_free_char(base64);
        }
        unsigned char *hash = nullptr;
        size_t length = 0;
        const int hashed = ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length);
        ssh_key_free(key);
        if (hashed != SSH_OK)
            return fault(Failure::Other, words(ssh_get_error(m_session)));
        char *text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
        ssh_clean_pubkey_hash(&hash);
        const QString fingerprint = words(text);
        ssh_string_free_char(text);
        if (revoked)
            return {Failure::RevokedHostKey, {}, fingerprint, revokedIn};

        switch (ssh_session_is_known_server(m_session)) {
        case SSH_KNOWN_HOSTS_OK:
            return {};
        case SSH_KNOWN_HOSTS_CHANGED:
        case SSH_KNOWN_HOSTS_OTHER: {
            Problem problem{Failure::ChangedHostKey, words(ssh_get_error(m_session)), fingerprint,
                            keptIn()};
            return problem;
        }
        case SSH_KNOWN_HOSTS_UNKNOWN:
        case SSH_KNOWN_HOSTS_NOT_FOUND:
            if (!fingerprint.isEmpty() && fingerprint == m_site.acceptedFingerprint) {
                QDir().mkpath(QFileInfo(m_store.knownHosts).absolutePath());
                if (ssh_session_update_known_hosts(m_session) != SSH_OK)
                    return fault(Failure::Other, m_store.knownHosts + QStringLiteral(": ") +
                                                     words(ssh_get_error(m_session)));
                return {};
            }
            return {Failure::NewHostKey, {}, fingerprint, {}};
        case SSH_KNOWN_HOSTS_ERROR:
            break;
        }
        return fault(Failure::Other, words(ssh_get_error(m_session)));
    }

    // Tarnwell's own file of keys, if damaged, is set aside whole rather than
    // read in part, which would forget keys without a word.
    Problem checkOwnFile()
    {
        QFile file(m_store.knownHosts);
        if (!file.exists() || !openRegularFile(file) || !knownHostsDamaged(file.read(5 << 20)))
            return {};
        file.close();
        const QString aside = setAside(m_store.knownHosts);
        if (aside.isEmpty())
            return fault(Failure::Other, m_store.knownHosts + QStringLiteral(": ") +
                                             QStringLiteral("damaged, and cannot be renamed"));
        return {Failure::DamagedTrustFile, m_store.knownHosts, {}, aside};
    }

    // Which file holds the key that no longer matches: Tarnwell's own unless
    // the host is known only from the user's file.
    QString keptIn()
    {
        const QByteArray none = QFile::encodeName(m_store.knownHosts + QStringLiteral(".none"));
        ssh_options_set(m_session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, none.constData());
        const ssh_known_hosts_e own = ssh_session_is_known_server(m_session);
        const bool inOwn = own == SSH_KNOWN_HOSTS_CHANGED || own == SSH_KNOWN_HOSTS_OTHER;
        const QByteArray userKnown = QFile::encodeName(m_store.userKnownHosts);
        ssh_options_set(m_session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, userKnown.constData());
        return inOwn ? m_store.knownHosts : m_store.userKnownHosts;
    }

    // Asked for a key's passphrase when none was typed: nobody is asked,
    // which libssh and OpenSSL would otherwise do on the terminal.
    static int noPrompt(const char *, char *, size_t, int, int, void *asked)
    {
        *static_cast<bool *>(asked) = true;
        return -1;
    }

    Problem logIn()
    {
        if (!m_site.keyFile.isEmpty()) {
            const SecretBytes passphrase(m_site.password);
            bool asked = false;
            ssh_key key = nullptr;
            const QByteArray keyFile = QFile::encodeName(m_site.keyFile);
            if (ssh_pki_import_privkey_file(
                    keyFile.constData(),
                    m_site.password.isEmpty() ? nullptr : passphrase.constData(), &noPrompt,
                    &asked, &key) != SSH_OK) {
                if (asked)
                    return fault(Failure::KeyNeedsPassword,
                                 QStringLiteral("The key file %1 has a password.")
                                     .arg(m_site.keyFile));
                return fault(Failure::KeyRefused,
                             QStringLiteral("The key file %1 could not be read, or its passphrase "
                                            "is not this one.")
                                 .arg(m_site.keyFile));
            }
            const int result = ssh_userauth_publickey(m_session, nullptr, key);
            ssh_key_free(key);
            if (result == SSH_AUTH_SUCCESS)
                return {};
            return loginFailure(Failure::KeyRefused, result);
        }
        const SecretBytes password(m_site.password);
        const int result = ssh_userauth_password(m_session, nullptr, password.constData());
        if (result == SSH_AUTH_SUCCESS)
            return {};
        return loginFailure(Failure::LoginRefused, result);
    }

    Problem loginFailure(Failure refused, int result) const
    {
        QString details = words(ssh_get_error(m_session));
        if (m_timedOut)
            return fault(Failure::NoAnswer, details);
        if (result == SSH_AUTH_ERROR && !ssh_is_connected(m_session))
            return fault(Failure::ConnectionLost, details);
        if (details.isEmpty())
            details = QStringLiteral("The server refused the login.");
        return fault(refused, details);
    }

    Problem failure() const
    {
        const QString details = words(ssh_get_error(m_session));
        if (m_timedOut)
            return fault(
                Failure::NoAnswer,
                QStringLiteral("No answer from the server in %1 seconds. ").arg(answerSeconds) +
                    details);
        if (!ssh_is_connected(m_session))
            return fault(Failure::ConnectionLost, details);
        const int status = sftp_get_error(m_sftp);
        if (const std::optional<Failure> failure = failureOfStatus(status))
            return fault(*failure, details);
        if (status == SSH_FX_NO_CONNECTION || status == SSH_FX_CONNECTION_LOST)
            return fault(Failure::ConnectionLost, details);
        if (details.contains(QLatin1String("space"), Qt::CaseInsensitive) ||
            details.contains(QLatin1String("quota"), Qt::CaseInsensitive))
            return fault(Failure::NoRoom, details);
        if (details.contains(QLatin1String("closed"), Qt::CaseInsensitive) ||
            details.contains(QLatin1String("EOF"), Qt::CaseInsensitive))
            return fault(Failure::ConnectionLost, details);
        return fault(Failure::Other, details);
    }

    // OpenSSH answers a full disk with a plain "Failure"; its statvfs
    // extension tells whether that was the reason.
    Problem writeFailure(const QString &path) const
    {
        Problem problem = failure();
        if (problem.failure != Failure::Other ||
            !sftp_extension_supported(m_sftp, "statvfs@openssh.com", "2"))
            return problem;
        sftp_statvfs_t room = sftp_statvfs(m_sftp, remoteName(path).constData());
        if (!room)
            return problem;
        const bool full =
            room->f_bavail * qMax<uint64_t>(room->f_frsize, 1) < uint64_t(chunkSize) ||
            room->f_favail == 0;
        sftp_statvfs_free(room);
        if (full)
            problem.failure = Failure::NoRoom;
        return problem;
    }

    // libssh 0.10 sends no extended requests of our choosing, so this one is
    // written on the SFTP channel by hand. Nothing else is outstanding then,
    // and libssh reads its own answers only when asked, so the answer read
    // here is this request's.
    Problem posixRename(const QByteArray &from, const QByteArray &to)
    {
        static const QByteArray name = QByteArrayLiteral("posix-rename@openssh.com");
        const quint32 id = ++m_sftp->id_counter;
        QByteArray body;
        body.append(char(SSH_FXP_EXTENDED));
        appendUint(body, id);
        appendString(body, name);
        appendString(body, from);
        appendString(body, to);
        QByteArray packet;
        appendUint(packet, quint32(body.size()));
        packet.append(body);
        if (ssh_channel_write(m_sftp->channel, packet.constData(), uint32_t(packet.size())) !=
            packet.size())
            return fault(Failure::ConnectionLost, words(ssh_get_error(m_session)));

        QByteArray header;
        if (!readExactly(4, &header))
            return fault(Failure::ConnectionLost, words(ssh_get_error(m_session)));
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        if (length < 9 || length > 64 * 1024)
            return fault(Failure::Other,
                         QStringLiteral("The server's answer to a rename is garbled."));
        QByteArray answer;
        if (!readExactly(int(length), &answer))
            return fault(Failure::ConnectionLost, words(ssh_get_error(m_session)));
        if (quint8(answer.at(0)) != SSH_FXP_STATUS ||
            qFromBigEndian<quint32>(answer.constData() + 1) != id)
            return fault(Failure::Other,
                         QStringLiteral("The server's answer to a rename is garbled."));
        const quint32 code = qFromBigEndian<quint32>(answer.constData() + 5);
        if (code == SSH_FX_OK)
            return {};
        QString message;
        if (answer.size() >= 13) {
            const quint32 textLength = qFromBigEndian<quint32>(answer.constData() + 9);
            message = QString::fromUtf8(answer.mid(13, int(qMin<quint32>(textLength, 4096))));
        }
        return fault(failureOfStatus(int(code)).value_or(Failure::Other), message);
    }

    bool readExactly(int count, QByteArray *into)
    {
        into->resize(count);
        int got = 0;
        // Each read waits at most the answer time; a closed channel ends it.
        for (int reads = 0; got < count && reads < count + 1; ++reads) {
            const int n =
                ssh_channel_read_timeout(m_sftp->channel, into->data() + got, uint32_t(count - got),
                                         0, int(answerSeconds * 1000));
            if (n <= 0)
                return false;
            got += n;
        }
        return got == count;
    }

    static void appendUint(QByteArray &to, quint32 value)
    {
        char bytes[4];
        qToBigEndian(value, bytes);
        to.append(bytes, 4);
    }

    static void appendString(QByteArray &to, const QByteArray &text)
    {
        appendUint(to, quint32(text.size()));
        to.append(text);
    }

    const NoCoreDump m_noCoreDump;
    Site m_site;
    Store m_store;
    const std::atomic_bool &m_cancelled;
    ssh_session m_session = nullptr;
    sftp_session m_sftp = nullptr;
    std::thread m_watch;
    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    bool m_ending = false;
    std::atomic<qint64> m_callSince{0}; // when the call under way began, or 0
    std::atomic_bool m_timedOut{false};
};

} // namespace

std::unique_ptr<Transport> openSftp(const Site &site, const Store &store,
                                    const std::atomic_bool &cancelled)
{
    return std::make_unique<SftpTransport>(site, store, cancelled);
}

} // namespace tarnwell::publish

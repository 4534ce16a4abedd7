#include "recovery.h"

#include "files.h"
#include "followed_text.h"
#include "session.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QStorageInfo>
#include <QStringEncoder>
#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace tarnwell {

namespace {
const QByteArray kFormatLine = QByteArrayLiteral("Tarnwell kept page ");
constexpr int kFormat = 1;
const QByteArray kFirstLine = kFormatLine + QByteArray::number(kFormat) + '\n';
const QByteArray kDigestKey = QByteArrayLiteral("digest=");
const QString kSuffix = QStringLiteral(".recovery");
constexpr int kDigestLength = 32;
constexpr int kKeepDelayMs = 2000;
constexpr qsizetype kPiece = kTextPiece;
constexpr qint64 kFullBelow = 4096;     // bytes free: not even a lock file fits

const std::map<PageEncoding, QByteArray> &encodingNames()
{
    static const std::map<PageEncoding, QByteArray> names = {
        {PageEncoding::Windows1252, "windows-1252"},
        {PageEncoding::Utf8, "utf-8"},
        {PageEncoding::Utf8WithBom, "utf-8-bom"},
    };
    return names;
}

std::shared_ptr<QLockFile> lockFor(const QString &path)
{
    auto lock = std::make_shared<QLockFile>(path + QStringLiteral(".lock"));
    // A copy may run for days: only a lock whose process is gone is stale.
    lock->setStaleLockTime(0);
    return lock;
}

struct Job
{
    QString path;
    std::shared_ptr<QLockFile> lock;
    bool remove = false;
    KeptPage page;
    QList<QString> body; // as the document holds it
};

// A kept-page file written by a later version of the program: the first
// line names a format above ours.
bool isNewerFormat(const QByteArray &bytes)
{
    if (!bytes.startsWith(kFormatLine))
        return false;
    const qsizetype end = bytes.indexOf('\n');
    if (end < 0)
        return false;
    const QByteArray format = bytes.mid(kFormatLine.size(), end - kFormatLine.size());
    if (format.isEmpty() ||
        !std::all_of(format.begin(), format.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    bool fits = false;
    const uint value = format.toUInt(&fits);
    return !fits || value > uint(kFormat); // too long a number is newer still
}

// The folder as a user knows it: under the home folder, "~" for it.
QString shownFolder(const QString &folder)
{
    const QString path = QDir::cleanPath(folder);
#ifdef Q_OS_UNIX
    const QString home = QDir::cleanPath(QDir::homePath());
    if (path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
#endif
    return QDir::toNativeSeparators(path);
}

// Why nothing can be written in the folder, in words that fit after a colon.
QString trouble(const QString &folder, const QString &systemReason)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("the folder %1 is not a folder").arg(shownFolder(folder));
    QString reason = systemReason;
    if (reason.isEmpty() || reason == QLatin1String("Unknown error")) {
        // The lock says no more than that it failed; the disk may say why.
        const QStorageInfo disk(folder);
        if (disk.isValid() && disk.isReadOnly())
            return QStringLiteral("read-only file system");
        if (disk.isValid() && disk.bytesAvailable() < kFullBelow)
            return QStringLiteral("no space left on device");
        return QStringLiteral("the folder %1 cannot be written").arg(shownFolder(folder));
    }
    if (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    // "No space left on device" reads on from the colon in lower case.
    if (reason.size() > 1 && reason[0].isUpper() && reason[1].isLower())
        reason[0] = reason[0].toLower();
    return reason;
}

// Empty when the job was done, else why it was not, in plain words.
QString perform(Job &job)
{
    if (job.remove) {
        QFile::remove(job.path);
        job.lock->unlock();
        return {};
    }
    // Made again each time: the folder may have been removed meanwhile.
    const QString folder = QFileInfo(job.path).path();
    if (!QDir().mkpath(folder))
        return trouble(folder,
                       QStringLiteral("the folder %1 cannot be made").arg(shownFolder(folder)));
    if (!job.lock->isLocked() && !job.lock->tryLock(0))
        return trouble(folder, {});
    QSaveFile file(job.path);
    if (file.open(QIODevice::WriteOnly) && writeKeptPage(&file, job.page, job.body) &&
        file.commit())
        return {};
    return trouble(folder, file.errorString());
}
} // namespace

bool writeKeptPage(QIODevice *device, const KeptPage &page, const QList<QString> &body)
{
    QByteArray fields;
    const auto field = [&fields](const char *key, const QByteArray &value) {
        fields += key;
        fields += '=';
        fields += value;
        fields += '\n';
    };
    field("kept", page.keptAt.toUTC().toString(Qt::ISODateWithMs).toLatin1());
    field("saved", page.saved ? "1" : "0");
    field("session", QUrl::toPercentEncoding(page.sessionFolder));
    field("save", QUrl::toPercentEncoding(page.saveFolder));
    field("encoding", encodingNames().at(page.encoding));
    fields += '\n';
    const QByteArray head = kFirstLine + kDigestKey;
    const QByteArray start = head + QByteArray(kDigestLength, '0') + '\n' + fields;
    if (device->write(start) != start.size())
        return false;
    QCryptographicHash digest(QCryptographicHash::Md5);
    digest.addData(fields);
    // A piece at a time through one buffer: a long page is never copied
    // whole, and no fresh memory is touched for each piece.
    QStringEncoder toUtf8(QStringConverter::Utf8);
    // One more character: a pair of surrogates begun in the piece before.
    QByteArray buffer(toUtf8.requiredSpace(kPiece + 1), Qt::Uninitialized);
    QList<QStringView> pieces;
    for (const QString &text : body) {
        for (qsizetype from = 0; from < text.size(); from += kPiece)
            pieces.append(QStringView(text).mid(from, kPiece));
    }
    for (const QStringView piece : std::as_const(pieces)) {
        char *end = buffer.data();
        qsizetype done = 0;
        for (qsizetype i = 0; i < piece.size(); ++i) {
            if (piece[i] == QChar::ParagraphSeparator || piece[i] == QChar::LineSeparator) {
                end = toUtf8.appendToBuffer(end, piece.sliced(done, i - done));
                *end++ = '\r';
                *end++ = '\n';
                done = i + 1;
            }
        }
        end = toUtf8.appendToBuffer(end, piece.sliced(done));
        const QByteArrayView bytes(buffer.constData(), end - buffer.constData());
        digest.addData(bytes);
        if (device->write(bytes.data(), bytes.size()) != bytes.size())
            return false;
    }
    return device->seek(head.size()) && device->write(digest.result().toHex()) == kDigestLength;
}

QByteArray keptPageBytes(const KeptPage &page)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeKeptPage(&buffer, page, {page.body});
    return buffer.data();
}

std::optional<KeptPage> readKeptPage(const QByteArray &bytes)
{
    if (!bytes.startsWith(kFirstLine + kDigestKey))
        return std::nullopt;
    const qsizetype digestAt = kFirstLine.size() + kDigestKey.size();
    const qsizetype restAt = bytes.indexOf('\n', digestAt) + 1;
    const QByteArray rest = bytes.mid(restAt);
    if (restAt == 0 || bytes.mid(digestAt, restAt - 1 - digestAt) !=
                           QCryptographicHash::hash(rest, QCryptographicHash::Md5).toHex())
        return std::nullopt;
    const qsizetype bodyAt = rest.indexOf("\n\n");
    if (bodyAt < 0)
        return std::nullopt;
    std::map<QByteArray, QByteArray> fields;
    for (const QByteArray &line : rest.left(bodyAt).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            fields[line.left(eq)] = line.mid(eq + 1);
    }
    KeptPage page;
    page.keptAt = QDateTime::fromString(QString::fromLatin1(fields["kept"]), Qt::ISODateWithMs);
    page.saved = fields["saved"] == "1";
    page.sessionFolder = QUrl::fromPercentEncoding(fields["session"]);
    page.saveFolder = QUrl::fromPercentEncoding(fields["save"]);
    const QByteArray encodingName = fields["encoding"];
    const auto encoding =
        std::find_if(encodingNames().cbegin(), encodingNames().cend(),
                     [&](const auto &name) { return name.second == encodingName; });
    if (!page.keptAt.isValid() || encoding == encodingNames().cend())
        return std::nullopt;
    page.encoding = encoding->first;
    page.body = QString::fromUtf8(rest.mid(bodyAt + 2));
    return page;
}

// Writes on a thread of its own, so that a large page never holds up typing.
// Only the newest state of each file is written; jobs run one at a time and
// in order, and the last ones run before the program ends.
class PageKeeper::Writer final
{
public:
    explicit Writer(PageKeeper &owner) : m_owner(owner), m_thread([this] { run(); }) {}

    ~Writer()
    {
        {
            const std::lock_guard<std::mutex> guard(m_mutex);
            m_stop = true;
        }
        m_ready.notify_one();
        m_thread.join();
    }

    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void post(Job job)
    {
        {
            const std::lock_guard<std::mutex> guard(m_mutex);
            m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(),
                                        [&](const Job &queued) { return queued.path == job.path; }),
                         m_jobs.end());
            m_jobs.push_back(std::move(job));
        }
        m_ready.notify_one();
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_ready.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            const bool wrote = !job.remove;
            const QString why = perform(job);
            job = Job();
            // Told on the owner's thread, which shows any message.
            QMetaObject::invokeMethod(
                &m_owner, [owner = &m_owner, wrote, why] { owner->done(wrote, why); },
                Qt::QueuedConnection);
            lock.lock();
        }
    }

    PageKeeper &m_owner;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<Job> m_jobs;
    bool m_stop = false;
    std::thread m_thread;
};

PageKeeper::PageKeeper(Session &session, const QString &folder, QObject *parent)
    : QObject(parent), m_session(session), m_folder(folder),
      m_writer(std::make_unique<Writer>(*this))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kKeepDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &PageKeeper::keepNow);
    connect(&session.followedText(), &FollowedText::changed, this, &PageKeeper::changed);
    connect(&session, &Session::foldersChanged, this, &PageKeeper::arm);
}

PageKeeper::~PageKeeper()
{
    m_writer.reset();
}

void PageKeeper::done(bool wrote, const QString &trouble)
{
    if (!trouble.isEmpty() && !m_troubled) {
        m_troubled = true;
        emit cannotKeep(trouble);
    } else if (trouble.isEmpty() && wrote) {
        m_troubled = false;
    }
    emit written(trouble.isEmpty());
}

void PageKeeper::changed()
{
    m_saved = false;
    arm();
}

void PageKeeper::arm()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void PageKeeper::markSaved()
{
    m_saved = true;
    arm();
}

void PageKeeper::keepNow()
{
    m_timer.stop();
    const PageBody &body = m_session.page();
    if (body.isEmpty()) {
        forget(); // nothing worth offering back
        return;
    }
    if (m_path.isEmpty()) {
        m_path = QDir(m_folder).filePath(QStringLiteral("page-") +
                                         QUuid::createUuid().toString(QUuid::Id128) + kSuffix);
        m_lock = lockFor(m_path);
    }
    Job job;
    job.path = m_path;
    job.lock = m_lock;
    job.body = m_session.followedText().pieces();
    job.page.sessionFolder = m_session.sessionFolder();
    job.page.saveFolder = m_session.saveFolder();
    job.page.encoding = m_session.pageEncoding();
    job.page.saved = m_saved;
    job.page.keptAt = QDateTime::currentDateTimeUtc();
    m_writer->post(std::move(job));
}

void PageKeeper::forget()
{
    m_timer.stop();
    m_saved = false;
    dropFile();
}

void PageKeeper::dropFile()
{
    if (m_path.isEmpty())
        return;
    Job job;
    job.path = m_path;
    job.lock = m_lock;
    job.remove = true;
    m_writer->post(std::move(job));
    m_path.clear();
    m_lock.reset();
}

LeftPages PageKeeper::leftPages()
{
    LeftPages found;
    const QFileInfoList files =
        QDir(m_folder).entryInfoList({QLatin1Char('*') + kSuffix}, QDir::Files);
    for (const QFileInfo &info : files) {
        const QString path = info.filePath();
        std::shared_ptr<QLockFile> lock = lockFor(path);
        if (path == m_path || !lock->tryLock(0))
            continue; // the copy that keeps it still runs
        QFile file(path);
        std::optional<KeptPage> page;
        QByteArray bytes;
        if (openRegularFile(file))
            bytes = file.readAll();
        file.close();
        if (isNewerFormat(bytes))
            continue; // the later version that wrote it will offer it
        page = readKeptPage(bytes);
        if (!page) {
            const QString aside =
                path + QStringLiteral(".unreadable-") +
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
            found.unreadable << (QFile::rename(path, aside) ? aside : path);
        } else if (page->saved) {
            QFile::remove(path);
        } else {
            found.pages.push_back({path, std::move(*page), lock});
        }
    }
    std::sort(found.pages.begin(), found.pages.end(),
              [](const LeftPage &a, const LeftPage &b) { return a.page.keptAt < b.page.keptAt; });
    return found;
}

void PageKeeper::discard(LeftPage &page)
{
    QFile::remove(page.path);
    page.lock->unlock();
}

void PageKeeper::adopt(LeftPage &&page)
{
    dropFile();
    m_path = page.path;
    m_lock = std::move(page.lock);
}

} // namespace tarnwell

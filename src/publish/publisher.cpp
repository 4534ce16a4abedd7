#include "publisher.h"

#include "document/files.h"
#include "document/page_references.h"
#include "sent_record.h"
#include "transport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwell::publish {

namespace {

// A descriptor that closes itself.
struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int release() { return std::exchange(fd, -1); }
};

// The ordinary file that name ('/' between folders) gives in the folder,
// opened from the folder one part at a time without following any link, so
// that nothing put in its way leads out of the folder; -1 and why when there
// is none.
int openInFolder(const QString &folder, const QString &name, struct stat *info, QString *why)
{
    Descriptor at(::open(QFile::encodeName(folder).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (at.fd < 0) {
        *why = QStringLiteral("The session folder cannot be opened: ") + qt_error_string(errno);
        return -1;
    }
    const QStringList parts = name.split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..") ||
            part.contains(QChar(0))) {
            *why = QStringLiteral("It is not a file name in the session folder.");
            return -1;
        }
        const bool last = i + 1 == parts.size();
        // A device is not opened at all: opening one may do something.
        struct stat named = {};
        if (last && ::fstatat(at.fd, QFile::encodeName(part).constData(), &named,
                              AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISCHR(named.st_mode) || S_ISBLK(named.st_mode))) {
            *why = QStringLiteral("It is not an ordinary file.");
            return -1;
        }
        // O_NONBLOCK: a named pipe opens at once and is then refused.
        const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY |
                          (last ? O_NONBLOCK : O_DIRECTORY);
        Descriptor next(::openat(at.fd, QFile::encodeName(part).constData(), flags));
        if (next.fd < 0) {
            const int error = errno;
            if (error == ELOOP || error == ENOTDIR)
                *why = QStringLiteral("It is a link, or lies behind one: Tarnwell sends only "
                                      "files that are in the session folder itself.");
            else if (error == ENOENT)
                *why = QStringLiteral("It is not in the session folder.");
            else
                *why = qt_error_string(error);
            return -1;
        }
        std::swap(at.fd, next.fd);
    }
    if (::fstat(at.fd, info) != 0 || !S_ISREG(info->st_mode)) {
        *why = S_ISDIR(info->st_mode) ? QStringLiteral("It is a folder, not a file.")
                                      : QStringLiteral("It is not an ordinary file.");
        return -1;
    }
    // Reads wait for the file as usual.
    ::fcntl(at.fd, F_SETFL, ::fcntl(at.fd, F_GETFL) & ~O_NONBLOCK);
    return at.release();
}

std::optional<PageFile> fileInFolder(const QString &canonicalFolder, const QString &name,
                                     QString *why)
{
    struct stat info = {};
    Descriptor file(openInFolder(canonicalFolder, name, &info, why));
    if (file.fd < 0)
        return std::nullopt;
    return PageFile{name,           canonicalFolder + u'/' + name, qint64(info.st_size),
                    canonicalFolder, quint64(info.st_dev),          quint64(info.st_ino)};
}

// The listed file, open for reading, if it is still the one listed.
std::unique_ptr<QFile> openListed(const PageFile &file, Problem *problem)
{
    struct stat info = {};
    QString why;
    Descriptor fd(openInFolder(file.folder, file.name, &info, &why));
    if (fd.fd >= 0 && (quint64(info.st_dev) != file.device || quint64(info.st_ino) != file.inode)) {
        why = QStringLiteral("Another file was put in its place while Tarnwell was publishing.");
        ::close(fd.release());
    }
    auto opened = std::make_unique<QFile>();
    if (fd.fd < 0 ||
        !opened->open(fd.release(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *problem = fault(Failure::NotInFolder, why.isEmpty() ? opened->errorString() : why);
        problem->where = file.name;
        return nullptr;
    }
    return opened;
}

QString joined(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

QByteArray sha256Of(QIODevice &file, QString *reason)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || !file.seek(0)) {
        *reason = file.errorString();
        return {};
    }
    return hash.result();
}

// The remote folder and the folders above it that are missing, made from the
// top down.
Problem makeFolders(Transport &transport, const QString &folder)
{
    QStringList missing;
    for (QString at = folder; !at.isEmpty() && at != QLatin1String("/"); at = parentOf(at)) {
        Problem problem;
        if (transport.folderExists(at, &problem))
            break;
        if (problem)
            return problem;
        missing.prepend(at);
        if (missing.size() > 64)
            return fault(Failure::Other, QStringLiteral("The folder is too deep: ") + folder);
    }
    for (const QString &at : std::as_const(missing))
        if (Problem problem = transport.makeFolder(at))
            return problem;
    return {};
}

// Connects and makes sure that the remote folder is there.
Problem openFolder(Transport *transport, const Site &site, const QString &folder)
{
    if (!transport)
        return fault(Failure::Other, QStringLiteral("This way of publishing is not available."));
    if (Problem problem = transport->connect())
        return problem;
    if (folder.isEmpty())
        return {};
    Problem problem;
    if (transport->folderExists(folder, &problem))
        return {};
    if (problem)
        return problem;
    if (!site.createFolder)
        return fault(Failure::FolderMissing,
                     QStringLiteral("No folder %1 on %2").arg(folder, site.host));
    return makeFolders(*transport, folder);
}

// The site's folder on the server by the one rule of every method; nothing,
// and a BadFolder problem, when it cannot be used.
std::optional<QString> serverFolder(const Site &site, Problem *problem)
{
    QString why;
    std::optional<QString> folder = folderOnServer(site.remoteFolder, &why);
    if (!folder) {
        *problem = fault(Failure::BadFolder, why);
        problem->where = shownName(site.remoteFolder);
    }
    return folder;
}

} // namespace

QList<PageFile> filesToPublish(const QString &folder, const QString &pageName, QStringView pageText,
                               QList<Problem> *refused)
{
    QList<PageFile> files;
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    if (canonicalFolder.isEmpty())
        return files;
    QSet<QString> seen;
    const auto add = [&](const QString &name) {
        if (seen.contains(name))
            return;
        seen.insert(name);
        QString why;
        if (std::optional<PageFile> file = fileInFolder(canonicalFolder, name, &why)) {
            files.append(*file);
            return;
        }
        // A file that is not there at all is Check page's to tell.
        const QFileInfo there(canonicalFolder + u'/' + name);
        if (refused && (there.exists() || there.isSymLink())) {
            Problem problem = fault(Failure::NotInFolder, why);
            problem.where = name;
            refused->append(problem);
        }
    };
    // The page goes last, so that no visitor sees it before its pictures.
    seen.insert(pageName);
    const PageReferences references = readPageReferences(pageText);
    for (const PageReference &reference : references.references) {
        const FileAddress address = fileAddress(reference.value);
        if (address.kind == AddressKind::File)
            add(address.parts.join(u'/'));
    }
    QString why;
    if (std::optional<PageFile> page = fileInFolder(canonicalFolder, pageName, &why))
        files.append(*page);
    return files;
}

Problem pageFileProblem(const QString &folder, const QString &pageName)
{
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    QString why = QStringLiteral("The session folder is not there.");
    if (!canonicalFolder.isEmpty() && fileInFolder(canonicalFolder, pageName, &why))
        return {};
    Problem problem = fault(Failure::NotInFolder, why);
    problem.where = pageName;
    return problem;
}

Publisher::Publisher(Site site, Store store, QList<PageFile> files, QObject *parent)
    : QObject(parent), m_site(std::move(site)), m_store(std::move(store)), m_files(std::move(files))
{}

void Publisher::run()
{
    Report report;
    qint64 total = 0;
    for (const PageFile &file : std::as_const(m_files))
        total += file.size;
    qint64 done = 0;
    emit progress(0, total);

    const auto fail = [&](const PageFile &file, const Problem &problem) {
        report.problem = problem;
        FileReport failed{file.name, FileState::Failed, problem.details, file.size};
        report.files.append(failed);
        emit fileReported(failed);
    };
    // Every name is checked before connecting: a name that cannot be sent
    // must not leave the others half published.
    const std::optional<QString> found = serverFolder(m_site, &report.problem);
    if (!found) {
        emit finished(report);
        return;
    }
    const QString folder = *found;
    for (const PageFile &file : std::as_const(m_files)) {
        if (const QString problem = nameProblem(file.name); !problem.isEmpty()) {
            Problem bad = fault(Failure::BadName, problem);
            bad.where = shownName(file.name);
            fail(file, bad);
            emit finished(report);
            return;
        }
    }

    const std::unique_ptr<Transport> transport = makeTransport(m_site, m_store, m_cancelled);
    report.problem = openFolder(transport.get(), m_site, folder);
    if (report.problem) {
        emit finished(report);
        return;
    }

    const QString place = SentRecord::placeOf(m_site);
    const SentRecord record = SentRecord::read(m_store.record);
    SentRecord sentNow; // this run's entries, merged into the file at the end
    QHash<QString, QSet<QString>> cleared;
    QSet<QString> madeFolders;

    // What an earlier publish, cut off, left under a temporary name.
    for (const QString &left : record.leftovers(place)) {
        Problem problem;
        const std::optional<RemoteFile> there = transport->remoteFile(left, &problem);
        if (problem)
            break;
        if (!there || !there->regular || !transport->remove(left))
            cleared[place].insert(left);
    }

    for (const PageFile &file : std::as_const(m_files)) {
        if (m_cancelled) {
            report.problem = fault(Failure::Cancelled);
            break;
        }
        // Opened once: hashed and sent from the same descriptor.
        Problem problem;
        const std::unique_ptr<QFile> local = openListed(file, &problem);
        if (!local) {
            fail(file, problem);
            break;
        }
        QString reason;
        const QByteArray hash = sha256Of(*local, &reason);
        if (hash.isEmpty()) {
            fail(file, fault(Failure::Other, file.localPath + QStringLiteral(": ") + reason));
            break;
        }
        const QString target = joined(folder, file.name);
        const std::optional<RemoteFile> there = transport->remoteFile(target, &problem);
        if (problem) {
            fail(file, problem);
            break;
        }
        if (there && !there->regular) {
            problem = fault(Failure::NotAFile, QStringLiteral("%1 on the server is a link or a "
                                                              "folder, not a file.")
                                                   .arg(shownName(target)));
            problem.where = shownName(target);
            fail(file, problem);
            break;
        }
        // Sent again unless the server has the file just as Tarnwell left it.
        const std::optional<SentRecord::Entry> before = record.entry(place, file.name);
        if (there && there->size == local->size() && before && before->hash == hash &&
            before->modified == there->modified) {
            done += file.size;
            FileReport unchanged{file.name, FileState::Unchanged, {}, file.size};
            report.files.append(unchanged);
            emit fileReported(unchanged);
            emit progress(done, total);
            continue;
        }
        const QString parent = parentOf(target);
        if (parent != folder && !madeFolders.contains(parent)) {
            if (Problem made = makeFolders(*transport, parent)) {
                fail(file, made);
                break;
            }
            madeFolders.insert(parent);
        }
        const QString temporary = temporaryNameOf(target);
        problem = transport->upload(*local, temporary, [&](qint64 bytes) {
            emit progress(done + bytes, total);
            return !m_cancelled;
        });
        if (!problem)
            problem = transport->replace(temporary, target);
        if (problem) {
            // Nothing is left half-sent; the old file, if any, was never touched.
            // Cut off, the part sent stays until the next publish removes it.
            if (problem.failure == Failure::ConnectionLost || transport->remove(temporary))
                sentNow.addLeftover(place, temporary);
            fail(file, problem);
            break;
        }
        // The server's time for the file in place: a later change by anyone
        // else shows as another time. Without one it is sent again next time.
        Problem unread;
        const std::optional<RemoteFile> placed = transport->remoteFile(target, &unread);
        std::optional<qint64> modified;
        if (placed && placed->regular)
            modified = placed->modified;
        sentNow.set(place, file.name, {hash, modified});
        done += file.size;
        ++report.sent;
        FileReport sent{file.name, FileState::Sent, {}, file.size};
        report.files.append(sent);
        emit fileReported(sent);
        emit progress(done, total);
    }

    if (!sentNow.isEmpty() || !cleared.isEmpty())
        sentNow.mergeInto(m_store.record, cleared);
    emit finished(report);
}

void Publisher::testConnection()
{
    Report report;
    const std::optional<QString> folder = serverFolder(m_site, &report.problem);
    if (!folder) {
        emit finished(report);
        return;
    }
    const std::unique_ptr<Transport> transport = makeTransport(m_site, m_store, m_cancelled);
    report.problem = openFolder(transport.get(), m_site, *folder);
    if (!report.problem) {
        QByteArray text = QByteArrayLiteral("Tarnwell can write here.\n");
        QBuffer probe(&text);
        probe.open(QIODevice::ReadOnly);
        // A name of its own each time, made new: nothing put there beforehand
        // is written through.
        const QString target = temporaryNameOf(joined(*folder, QStringLiteral("tarnwell-test")));
        report.problem = transport->upload(probe, target, {});
        if (!report.problem)
            report.problem = transport->remove(target);
        else if (report.problem.failure != Failure::ConnectionLost)
            transport->remove(target);
    }
    emit finished(report);
}

} // namespace tarnwell::publish

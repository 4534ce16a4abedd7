#include "publisher.h"

#include "document/files.h"
#include "document/page_references.h"
#include "sent_record.h"
#include "transport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <QTimer>
#include <sys/stat.h>

namespace tarnwell::publish {

namespace {


bool isPlainPart(const QString &part)
{
    return !part.isEmpty() && part != QLatin1String(".") && part != QLatin1String("..") &&
           !part.contains(u'/') && !part.contains(QChar(0));
}

// The file that name ('/' between folders) gives in the folder, if it is an
// ordinary file that lies inside the folder once every link is followed.
std::optional<PageFile> fileInFolder(const QString &canonicalFolder, const QString &name)
{
    const QStringList parts = name.split(u'/');
    if (!std::all_of(parts.begin(), parts.end(), isPlainPart))
        return std::nullopt;
    const QString path = canonicalFolder + u'/' + name;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(canonicalFolder + u'/'))
        return std::nullopt;
    struct stat info = {};
    if (::stat(QFile::encodeName(canonical).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return PageFile{name, canonical, qint64(info.st_size)};
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

QString temporaryName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.left(slash + 1) + u'.' + path.mid(slash + 1) + QStringLiteral(".tarnwell-tmp");
}

QByteArray sha256Of(const QString &path, QString *reason)
{
    QFile file(path);
    if (!openRegularFile(file, reason))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) {
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

} // namespace

QList<PageFile> filesToPublish(const QString &folder, const QString &pageName, QStringView pageText)
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
        if (std::optional<PageFile> file = fileInFolder(canonicalFolder, name))
            files.append(*file);
    };
    // The page goes last, so that no visitor sees it before its pictures.
    seen.insert(pageName);
    const PageReferences references = readPageReferences(pageText);
    for (const PageReference &reference : references.references) {
        const FileAddress address = fileAddress(reference.value);
        if (address.kind == AddressKind::File)
            add(address.parts.join(u'/'));
    }
    if (std::optional<PageFile> page = fileInFolder(canonicalFolder, pageName))
        files.append(*page);
    return files;
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

    const QString folder = trimmedFolder(m_site.remoteFolder);
    const std::unique_ptr<Transport> transport = makeTransport(m_site, m_store, m_cancelled);
    report.problem = openFolder(transport.get(), m_site, folder);
    if (report.problem) {
        emit finished(report);
        return;
    }

    const QString place = SentRecord::placeOf(m_site);
    SentRecord record = SentRecord::read(m_store.record);
    bool recordChanged = false;
    QSet<QString> madeFolders;
    const auto fail = [&](const PageFile &file, const Problem &problem) {
        report.problem = problem;
        FileReport failed{file.name, FileState::Failed, problem.details, file.size};
        report.files.append(failed);
        emit fileReported(failed);
    };

    for (const PageFile &file : std::as_const(m_files)) {
        if (m_cancelled) {
            report.problem = fault(Failure::Cancelled);
            break;
        }
        QString reason;
        const QByteArray hash = sha256Of(file.localPath, &reason);
        if (hash.isEmpty()) {
            fail(file, fault(Failure::Other, file.localPath + QStringLiteral(": ") + reason));
            break;
        }
        const QString target = joined(folder, file.name);
        Problem problem;
        const std::optional<qint64> there = transport->remoteSize(target, &problem);
        if (problem) {
            fail(file, problem);
            break;
        }
        if (there && *there == file.size && record.hash(place, file.name) == hash) {
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
        const QString temporary = temporaryName(target);
        problem = transport->upload(file.localPath, temporary, [&](qint64 bytes) {
            emit progress(done + bytes, total);
            return !m_cancelled;
        });
        if (!problem)
            problem = transport->replace(temporary, target);
        if (problem) {
            // Nothing is left half-sent; the old file, if any, was never touched.
            if (problem.failure != Failure::ConnectionLost)
                transport->remove(temporary);
            fail(file, problem);
            break;
        }
        done += file.size;
        record.setHash(place, file.name, hash);
        recordChanged = true;
        ++report.sent;
        FileReport sent{file.name, FileState::Sent, {}, file.size};
        report.files.append(sent);
        emit fileReported(sent);
        emit progress(done, total);
    }

    if (recordChanged) {
        QDir().mkpath(QFileInfo(m_store.record).absolutePath());
        record.write(m_store.record);
    }
    emit finished(report);
}

void Publisher::testConnection()
{
    Report report;
    const QString folder = trimmedFolder(m_site.remoteFolder);
    const std::unique_ptr<Transport> transport = makeTransport(m_site, m_store, m_cancelled);
    report.problem = openFolder(transport.get(), m_site, folder);
    if (!report.problem) {
        QTemporaryFile probe;
        if (!probe.open() || probe.write("Tarnwell can write here.\n") < 0 || !probe.flush()) {
            report.problem = fault(Failure::Other, probe.errorString());
        } else {
            const QString target = joined(folder, QStringLiteral(".tarnwell-test"));
            report.problem = transport->upload(probe.fileName(), target, {});
            if (!report.problem)
                report.problem = transport->remove(target);
            else if (report.problem.failure != Failure::ConnectionLost)
                transport->remove(target);
        }
    }
    emit finished(report);
}

} // namespace tarnwell::publish

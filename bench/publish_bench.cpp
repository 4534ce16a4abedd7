// Publish over SFTP to a local sshd: a page with 200 pictures (20 MB in all),
// beside OpenSSH's own sftp -b putting the same files to the same server in
// the same run; then a second Publish with nothing changed.
#include "bench_util.h"
#include "publish/publisher.h"
#include "support/publish_server.h"
#include "support/sshd_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

using namespace tarnwell::bench;
using namespace tarnwell::publish;
using tarnwell::test::SshdServer;

namespace {

constexpr int pictures = 200;
constexpr qsizetype pictureBytes = 100 * 1024; // 200 of them: 20 MB
constexpr int rounds = 3;

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The session folder; the page's text.
QString makeFolder(const QString &folder)
{
    QDir(folder).mkpath(QStringLiteral("pics"));
    QString page = QStringLiteral("<html><body>\n");
    QByteArray bytes(pictureBytes, Qt::Uninitialized);
    for (int k = 0; k < pictures; ++k) {
        QRandomGenerator(quint32(k))
            .fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        const QString name = QStringLiteral("pics/p%1.jpg").arg(k, 3, 10, QLatin1Char('0'));
        write(folder + u'/' + name, bytes);
        page += QStringLiteral("<img src=\"%1\">\n").arg(name);
    }
    page += QStringLiteral("</body></html>\n");
    write(folder + QStringLiteral("/index.html"), page.toUtf8());
    return page;
}

void empty(const QString &folder)
{
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFileInfo info(folder + u'/' + entry);
        if (info.isDir() && !info.isSymLink())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(info.filePath());
    }
}

double publishMs(const Site &site, const Store &store, const QList<PageFile> &files, int *sent)
{
    const double start = nowMs();
    const Report report = tarnwell::test::publishNow(site, store, files);
    const double took = nowMs() - start;
    if (report.problem)
        std::fprintf(stderr, "publish failed: %d %s\n", int(report.problem.failure),
                     qPrintable(report.problem.details));
    *sent = report.sent;
    return took;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SshdServer server;
    QString why;
    if (!server.start(&why)) {
        std::printf("Note: the publish bench could not start sshd: %s\n", qPrintable(why));
        return 0;
    }
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("site"));
    const QString page = makeFolder(folder);
    const QList<PageFile> files = filesToPublish(folder, QStringLiteral("index.html"), page);

    Site site = tarnwell::test::siteOf(server);

    // OpenSSH's client: the same key, the same known host, no configuration of its own.
    const QString known = work.filePath(QStringLiteral("known_hosts"));
    write(known, QStringLiteral("[127.0.0.1]:%1 %2\n")
                     .arg(server.port())
                     .arg(server.hostKeyLine())
                     .toLatin1());
    QString batch = QStringLiteral("cd \"%1\"\nmkdir pics\n").arg(server.remoteFolder());
    for (const PageFile &file : files)
        batch += QStringLiteral("put \"%1\" \"%2\"\n").arg(file.localPath, file.name);
    const QString batchFile = work.filePath(QStringLiteral("batch"));
    write(batchFile, batch.toUtf8());
    const QStringList sftpArguments{QStringLiteral("-q"),
                                    QStringLiteral("-b"),
                                    batchFile,
                                    QStringLiteral("-F"),
                                    QStringLiteral("none"),
                                    QStringLiteral("-i"),
                                    server.clientKey(),
                                    QStringLiteral("-P"),
                                    QString::number(server.port()),
                                    QStringLiteral("-o"),
                                    QStringLiteral("UserKnownHostsFile=") + known,
                                    QStringLiteral("-o"),
                                    QStringLiteral("StrictHostKeyChecking=yes"),
                                    QStringLiteral("-o"),
                                    QStringLiteral("IdentitiesOnly=yes"),
                                    server.user() + QStringLiteral("@127.0.0.1")};

    QList<double> ours, theirs, again;
    qint64 total = 0;
    for (const PageFile &file : files)
        total += file.size;
    for (int round = 0; round < rounds; ++round) {
        empty(server.webFolder());
        QProcess sftp;
        const double start = nowMs();
        sftp.start(QStringLiteral("sftp"), sftpArguments);
        if (!sftp.waitForFinished(120000) || sftp.exitCode() != 0) {
            std::printf("Note: sftp -b failed: %s\n", sftp.readAllStandardError().constData());
            return 1;
        }
        theirs.append(nowMs() - start);

        empty(server.webFolder());
        // A data folder of its own each round, so that everything is sent.
        QTemporaryDir data;
        const Store store = storeIn(data.path());
        int sent = 0;
        ours.append(publishMs(site, store, files, &sent));
        if (sent != files.size()) {
            std::printf("Note: the publish sent %d of %lld files.\n", sent,
                        static_cast<long long>(files.size()));
            return 1;
        }
        again.append(publishMs(site, store, files, &sent));
        if (sent != 0) {
            std::printf("Note: the second publish sent %d files.\n", sent);
            return 1;
        }
    }
    printRow("Publish over SFTP: 200 pictures, 20 MB, to a local sshd", median(ours), "ms",
             "OpenSSH sftp -b putting the same files", median(theirs), 1.5);
    printRow("Publish over SFTP: again, nothing changed", median(again), "ms",
             "1 second (the target)", 1000, 1.0);
    std::printf("Note: publish rounds: %d; %lld files, %.1f MB; medians in ms: Tarnwell %.0f, "
                "sftp -b %.0f, nothing changed %.0f.\n",
                rounds, static_cast<long long>(files.size()), double(total) / (1024 * 1024),
                median(ours), median(theirs), median(again));
    return 0;
}

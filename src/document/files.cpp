#include "files.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwell {

namespace {
void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

QString notAFile(bool folder)
{
    return folder ? QStringLiteral("it is a folder, not a file")
                  : QStringLiteral("it is not an ordinary file");
}
} // namespace

QString bareFileName(const QString &path)
{
    qsizetype last = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    last = qMax(last, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(last + 1);
}

QString withPageExtension(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".htm")) || fileName.endsWith(QLatin1String(".html")))
        return fileName;
    return fileName + QStringLiteral(".html");
}

CopyResult copyIntoFolder(const QString &source, const QString &target)
{
    const QFileInfo to(target);
    const QFileInfo from(source);
    // exists() sees hidden files too; a dangling link counts as taken as well.
    if (to.exists() || to.isSymLink()) {
        if (from.exists() && from.canonicalFilePath() == to.canonicalFilePath())
            return CopyResult::SameFile;
        return CopyResult::AlreadyThere;
    }
    if (!from.isFile() || !QFile::copy(source, target))
        return CopyResult::Failed;
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ReadOwner |
                                      QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                      QFileDevice::WriteUser);
    return CopyResult::Copied;
}

bool openRegularFile(QFile &file, QString *reason)
{
#ifdef Q_OS_UNIX
    // Checked before opening, since opening a device may do something of its
    // own; and again once open, since the name may have changed in between.
    // O_NONBLOCK makes opening a named pipe return at once.
    struct stat named = {};
    if (::stat(QFile::encodeName(file.fileName()).constData(), &named) == 0 &&
        !S_ISREG(named.st_mode)) {
        setReason(reason, notAFile(S_ISDIR(named.st_mode)));
        return false;
    }
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        setReason(reason, qt_error_string(errno));
        return false;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        setReason(reason, notAFile(S_ISDIR(info.st_mode)));
        ::close(fd);
        return false;
    }
    // The file closes the handle, even when this fails.
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        setReason(reason, file.errorString());
        return false;
    }
    return true;
#else
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile()) {
        setReason(reason, notAFile(info.isDir()));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setReason(reason, file.errorString());
        return false;
    }
    return true;
#endif
}

} // namespace tarnwell

// Any bytes as an address a previewed page asks for, resolved against the
// preview file. Whatever the guard lets through must be, by the C library's
// own reading of the path, a file or folder inside the session folder.
#include "preview/file_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

using namespace tarnwell;

namespace {

// Without its folder, picture, link or pipe the target would check nothing
// of what it claims: it stops at once.
void need(bool done, const char *what)
{
    if (done)
        return;
    std::fprintf(stderr, "FILE GUARD SETUP FAILED: %s\n", what);
    std::abort();
}

// A session folder with a picture, a subfolder, a link out and a named pipe,
// beside a secret.
struct Place
{
    QTemporaryDir around;
    QString session;
    QString real; // the session folder as realpath() gives it, ending in "/"

    Place()
    {
        need(around.isValid(), "a temporary folder");
        need(QDir(around.path()).mkpath(QStringLiteral("session/pics")), "session/pics");
        session = around.filePath(QStringLiteral("session"));
        for (const QString &name : {QStringLiteral("secret.txt"), QStringLiteral("session/a.png"),
                                    QStringLiteral("session/pics/b.png")}) {
            QFile file(around.filePath(name));
            need(file.open(QIODevice::WriteOnly), "the files");
        }
        need(QFile::link(around.path(), session + QStringLiteral("/up")), "the link up");
        need(QFile::link(around.filePath(QStringLiteral("secret.txt")),
                         session + QStringLiteral("/link.png")),
             "the link out");
        need(::mkfifo(QFile::encodeName(session + QStringLiteral("/pipe.png")).constData(), 0600) ==
                 0,
             "the named pipe");
        char resolved[PATH_MAX];
        need(::realpath(QFile::encodeName(session).constData(), resolved), "the folder's path");
        real = QFile::decodeName(resolved) + QLatin1Char('/');
        struct stat status;
        need(::lstat(QFile::encodeName(session + QStringLiteral("/pipe.png")).constData(),
                     &status) == 0 &&
                 S_ISFIFO(status.st_mode),
             "pipe.png is a pipe");
        need(QFileInfo(session + QStringLiteral("/link.png")).isSymLink() &&
                 QFileInfo(session + QStringLiteral("/up")).isSymLink() &&
                 QFileInfo(session + QStringLiteral("/pics/b.png")).isFile(),
             "the links and the picture");
    }
};

[[noreturn]] void fail(const char *what, const QByteArray &input)
{
    std::fprintf(stderr, "FILE GUARD FAILED: %s: %s\n", what,
                 input.toPercentEncoding().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Place place;
    static const FileGuard guard(place.session);
    static const QUrl preview =
        QUrl::fromLocalFile(place.session + QStringLiteral("/viewtmp.html"));
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QUrl address = preview.resolved(QUrl::fromEncoded(input));
    if (!guard.allows(address) ||
        address.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return 0;
    // The bytes of the path as the viewer opens it: every escape decoded.
    const QByteArray path =
        QByteArray::fromPercentEncoding(address.path(QUrl::FullyEncoded).toUtf8());
    char resolved[PATH_MAX];
    struct stat status;
    if (path.contains('\0') || !::realpath(path.constData(), resolved) ||
        ::stat(resolved, &status) != 0)
        fail("an address let through that names no file", input);
    const QString real = QFile::decodeName(resolved) + QLatin1Char('/');
    if (!real.startsWith(place.real))
        fail("an address let through that leaves the folder", input);
    if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
        fail("an address let through that is no file or folder", input);
    return 0;
}

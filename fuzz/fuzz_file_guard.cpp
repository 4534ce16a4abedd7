// Any bytes as an address a previewed page asks for, resolved against the
// preview file. Whatever the guard lets through must be, by the C library's
// own reading of the path, a file or folder inside the session folder.
#include "preview/file_guard.h"

#include <QDir>
#include <QFile>
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

// A session folder with a picture, a subfolder, a link out and a named pipe,
// beside a secret.
struct Place
{
    QTemporaryDir around;
    QString session;
    QString real; // the session folder as realpath() gives it, ending in "/"

    Place()
    {
        QDir(around.path()).mkpath(QStringLiteral("session/pics"));
        session = around.filePath(QStringLiteral("session"));
        for (const QString &name : {QStringLiteral("secret.txt"), QStringLiteral("session/a.png"),
                                    QStringLiteral("session/pics/b.png")}) {
            QFile file(around.filePath(name));
            file.open(QIODevice::WriteOnly);
        }
        QFile::link(around.path(), session + QStringLiteral("/up"));
        QFile::link(around.filePath(QStringLiteral("secret.txt")),
                    session + QStringLiteral("/link.png"));
        ::mkfifo(QFile::encodeName(session + QStringLiteral("/pipe.png")).constData(), 0600);
        char resolved[PATH_MAX];
        if (::realpath(QFile::encodeName(session).constData(), resolved))
            real = QFile::decodeName(resolved) + QLatin1Char('/');
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

#include "site.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringList>

namespace tarnwell::publish {

namespace {
constexpr int kLongestName = 255; // bytes, in UTF-8: most file systems' limit

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// Why one part of a name cannot be a name on a server, or empty.
QString partProblem(const QString &part, int extra)
{
    if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
        return QStringLiteral("\"%1\" is not a name a file can have.").arg(part);
    if (std::any_of(part.begin(), part.end(), isControl))
        return QStringLiteral("The name has a line break or another control character.");
    const QByteArray bytes = part.toUtf8();
    if (QString::fromUtf8(bytes) != part)
        return QStringLiteral("The name has a character that cannot be written on a server.");
    if (bytes.size() + extra > kLongestName)
        return QStringLiteral("The name is too long for a server: %1 letters at most.")
            .arg(kLongestName - extra);
    return {};
}
} // namespace

Store storeIn(const QString &dataFolder)
{
    const QDir data(dataFolder);
    return {data.filePath(QStringLiteral("known_hosts")),
            QDir::home().filePath(QStringLiteral(".ssh/known_hosts")),
            data.filePath(QStringLiteral("certificates.json")),
            data.filePath(QStringLiteral("sent.json"))};
}

std::optional<QString> folderOnServer(const QString &typed, QString *why)
{
    QStringList parts = typed.split(u'/', Qt::SkipEmptyParts);
    if (!typed.startsWith(u'/') && !parts.isEmpty() && parts.first() == QLatin1String("~"))
        parts.removeFirst();
    parts.removeAll(QStringLiteral("."));
    for (const QString &part : std::as_const(parts)) {
        const QString problem =
            part == QLatin1String("..")
                ? QStringLiteral("The folder may not go up with \"..\": it is counted from the "
                                 "folder you log in to.")
                : partProblem(part, 0);
        if (!problem.isEmpty()) {
            if (why)
                *why = problem;
            return std::nullopt;
        }
    }
    return parts.join(u'/');
}

QString temporaryNameOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString random =
        QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
    return path.left(slash + 1) + u'.' + path.mid(slash + 1) + u'.' + random +
           QStringLiteral(".tarnwell-tmp");
}

QString nameProblem(const QString &name)
{
    const QStringList parts = name.split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const int extra = i + 1 == parts.size() ? kTemporaryNameExtra : 0;
        const QString problem = partProblem(parts.at(i), extra);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

QString shownName(const QString &name)
{
    QString shown = name;
    for (QChar &c : shown)
        if (isControl(c))
            c = u'?';
    return shown;
}

} // namespace tarnwell::publish

#include "modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>

namespace tarnwell {

QFunctionPointer moduleEntry(const char *kind, const QString &module, const QString &installDir,
                             const char *entry, QString *whyNot)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {programDir.filePath(module),
                                    programDir.filePath(installDir + QLatin1Char('/') + module)};
    for (const QString &path : candidates) {
        if (!QFile::exists(path))
            continue;
        // Not unloaded when this goes: what the module starts keeps threads
        // and state.
        QLibrary library(path);
        if (QFunctionPointer found = library.resolve(entry))
            return found;
        *whyNot = library.errorString();
        return nullptr;
    }
    *whyNot = QStringLiteral("the %1 module %2 is missing")
                  .arg(QLatin1String(kind), candidates.constLast());
    return nullptr;
}

} // namespace tarnwell

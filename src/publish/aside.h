#pragma once

#include <QRandomGenerator>
#include <QString>

namespace tarnwell::publish {

// Where a server's old file waits while the new one takes its name, on a
// server that does not rename over a file: hidden, and a name of its own
// each time, so that nothing left from an earlier try stands in the way and
// no visitor finds it by guessing.
inline QString asideName(const QString &path)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int k = 0; k < 12; ++k)
        tag += QLatin1Char(letters[QRandomGenerator::system()->bounded(36)]);
    const qsizetype slash = path.lastIndexOf(u'/');
    return path.left(slash + 1) + u'.' + path.mid(slash + 1) + QStringLiteral(".tarnwell-old-") +
           tag;
}

} // namespace tarnwell::publish

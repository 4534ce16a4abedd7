#pragma once

#include <QString>

namespace tarnwell {

// A file in the session folder: folder, native separator, name, joined as they
// stand (a drive-root folder such as "/" gives a doubled separator, which the
// file system accepts).
QString derivedPath(const QString &folder, const QString &name);

// A new subfolder's path: the separator is left out after a drive root.
QString subfolderPath(const QString &parent, const QString &name);

// True for one plain folder name: not empty, no separator, not "." or "..".
bool isPlainFolderName(const QString &name);

// The folder where a beginner's files live: "C:\" on Windows, home elsewhere.
QString startFolder();

// A path in the platform's own form, without trailing separator unless a root.
QString nativeFolderPath(const QString &path);

} // namespace tarnwell

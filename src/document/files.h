#pragma once

#include <QString>

class QFile;

namespace tarnwell {

// Opens the file for reading if it is an ordinary file, or a link to one,
// and never waits to find out: opening a named pipe waits for a writer, and
// a device may never end. Otherwise false, and why in words that follow a
// colon.
bool openRegularFile(QFile &file, QString *reason = nullptr);

// The whole text after the last separator ("/" everywhere, "\" on Windows too),
// letter case kept, however short.
QString bareFileName(const QString &path);

// A page file name with ".htm" or ".html" at its end (case-sensitive), or
// ".html" added.
QString withPageExtension(const QString &fileName);

enum class CopyResult {
    Copied,
    AlreadyThere, // a file of that name is in the target folder: it is kept
    SameFile,     // the source is the target itself
    Failed,
};

// Copies a file into the session folder unless a file of the target's name,
// hidden or not, is already there. The user's own file is left as it is; the
// copy is made writable so that the user can change or delete it later.
CopyResult copyIntoFolder(const QString &source, const QString &target);

} // namespace tarnwell

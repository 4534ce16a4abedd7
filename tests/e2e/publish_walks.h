#pragma once

// What the publishing walks share: the session folder's two pictures, the
// page that uses them, and the Publish screen's usual messages.

#include "walks.h"

#include <QDir>

namespace tarnwell::e2e {

inline const QByteArray kPictureA = "\xFF\xD8\xFF\xE0 a picture" + QByteArray(3000, 'a');
inline const QByteArray kPictureB = "\xFF\xD8\xFF\xE0 b picture" + QByteArray(5000, 'b');

// The worked example with a MouseOver pair of the session folder's a.jpg
// and pics/b.jpg, then the Publish screen filled in for {H}:{P}.
inline const QStringList kToPublish =
    kToSelection + paragraph("Hello") +
    steps("click Form4/Command6; " + kSameSize +
          "; type Form18/Text1 a.jpg; type Form18/Text2 pics/b.jpg; type Form18/Text5 pair; "
          "click Form18/Command6; hidden Form18; "
          "click Form4/Publish; shown Publish; type Publish/Host 127.0.0.1; "
          "type Publish/Port {P}; type Publish/User {U}; type Publish/Password {W}; "
          "type Publish/RemoteFolder {R}");

// The same over another method than SFTP.
inline QStringList toPublishOver(const QString &method)
{
    QStringList walk = kToPublish;
    walk.insert(walk.indexOf("shown Publish") + 1, "choose Publish/Method " + method);
    return walk;
}

inline const QString kSaveFirst =
    QStringLiteral("answer Yes Save your page before publishing?; answer OK [info] Make sure you "
                   "save to your session folder.; file {S}/page");
inline const QString kSent =
    QStringLiteral("answer OK [info] Your page is published: %1 of 3 files sent, the others "
                   "unchanged.");

// The session folder of every walk: two pictures the page uses, and a file
// it does not.
inline bool fillSession(const QString &path)
{
    const QDir folder(path);
    return folder.mkpath("pics") && writeBytes(folder.filePath("a.jpg"), kPictureA) &&
           writeBytes(folder.filePath("pics/b.jpg"), kPictureB) &&
           writeBytes(folder.filePath("notes.txt"), "not for the web");
}

} // namespace tarnwell::e2e

#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

class QIODevice;

namespace tarnwell {

// What Check page calls too big for a web page, and what a copy made for the
// web stays within. A classic page is laid out about 500 pixels wide; a page
// for phones is drawn on screens of two to three device pixels per CSS pixel,
// where 1,200 pixels stay sharp across a phone and still load quickly.
constexpr int kClassicPictureWidth = 500;
constexpr int kPhonePictureWidth = 1200;
constexpr qint64 kLargestPicture = 300 * 1024;

inline int widestPicture(bool modernPage)
{
    return modernPage ? kPhonePictureWidth : kClassicPictureWidth;
}

// A file name that every web server serves as it is: small letters a-z,
// digits, '-' and '_', words joined by one hyphen, accents taken off the
// letters, apostrophes left out, and the extension kept in small letters
// ("Me at the Beach.JPG" gives "me-at-the-beach.jpg"). A name with nothing
// left becomes "picture" or "file" with its extension.
QString webSafeName(const QString &name);

// The first of stem + extension, stem + joiner + "2" + extension, ... that no
// file in folder has (not even a link that leads nowhere); empty when the
// first thousand are taken.
QString freeName(const QString &folder, const QString &stem, const QString &joiner,
                 const QString &extension);

// A picture made smaller for the web.
struct WebPicture
{
    QByteArray bytes;  // the file's bytes, JPEG or PNG
    QString extension; // ".jpg", ".jpeg" or ".png"
    QSize size;        // as a browser shows it
};

// Reads a picture from device (named name, for its extension), turned the
// way its camera says it stands, and writes it at most widest pixels wide
// and kLargestPicture bytes: JPEG for what has no see-through parts (keeping
// ".jpeg" where the name has it), PNG for what has. False with a reason for
// what holds no picture that can be read.
bool makeWebPicture(QIODevice *device, const QString &name, int widest, WebPicture *picture,
                    QString *error);

// Writes a web copy of the plain file source as a new file in folder, named
// from sourceName ("Me at the Beach.JPG" gives "me-at-the-beach-web.jpg",
// then "me-at-the-beach-web2.jpg" when that is taken); never overwrites a
// file. Gives the copy's name and its size in pixels.
bool writeWebCopy(const QString &source, const QString &sourceName, const QString &folder,
                  int widest, QString *copyName, QString *error, QSize *copySize = nullptr);

// A picture as the picture screens see it before it goes in.
struct PictureFacts
{
    bool readable = false;
    bool animated = false;
    QSize size; // as a browser shows it, turned as its camera says
    qint64 bytes = 0;
};

// Reads only ordinary files: a named pipe or a device is no picture.
PictureFacts pictureFacts(const QString &path);

// Over the limits that Check page holds a shown picture to.
bool isTooBigForWeb(const PictureFacts &facts, int widest);

// "This photo is 3000 × 2000 pixels and 1.9 MB, too big for a web page. Use a
// copy made for the web?" A megabyte is 1,048,576 bytes, as Check page's
// kilobyte is 1,024; rounded to the nearest tenth.
QString webCopyQuestion(const PictureFacts &facts);

} // namespace tarnwell

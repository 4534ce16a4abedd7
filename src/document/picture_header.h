#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QSize>
#include <QString>

namespace tarnwell {

// What Check page needs to know of a picture file.
struct PictureInfo
{
    bool readable = false; // holds a picture of a sensible size
    QSize size;
    qint64 bytes = 0;
    bool animated = false;
};

// What the first bytes of a PNG, GIF, BMP or JPEG file say about its size.
struct PictureHeader
{
    enum Verdict {
        Unknown, // another format, or a header cut short or broken
        Sized,   // both sides from 1 to kLargestSide pixels
        Absurd,  // a complete header stating no size a picture can have
    };
    Verdict verdict = Unknown;
    QSize size; // only when Sized
};

// Larger sides are no real picture (libpng refuses them too), and taking
// them at their word invites overflow further on.
constexpr int kLargestSide = 1000000;

// Reads the header from bytes in memory: the whole file, or as much of it as
// there is. Linear in the bytes, for any bytes.
PictureHeader readPictureHeader(QByteArrayView bytes);

// The size from the header, or an invalid size unless Sized.
QSize pictureHeaderSize(QByteArrayView bytes);

// The picture's size from its header, found without a decoder, which takes
// several times as long (a page may name thousands of pictures); other
// formats and broken headers are left to Qt's readers. Not readable for
// anything but a regular file.
PictureInfo readPicture(const QString &path);

} // namespace tarnwell

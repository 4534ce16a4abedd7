#include "picture_header.h"

#include "files.h"

#include <QByteArray>
#include <QFileInfo>
#include <QImageReader>

namespace tarnwell {

namespace {

// The bytes of a file or of a buffer, one at a time; a file is read a few
// kilobytes at a time, since a JPEG's frame header may lie past a long
// segment.
class Bytes final
{
public:
    explicit Bytes(QByteArrayView all) : m_view(all) {}
    explicit Bytes(QFile *file) : m_file(file) {}

    // The byte at `at`, or -1 past the end.
    int at(qint64 at)
    {
        if (at < m_base || at >= m_base + m_view.size()) {
            if (!m_file || at < 0 || !m_file->seek(at))
                return -1;
            m_buffer = m_file->read(kChunk);
            m_view = m_buffer;
            m_base = at;
            if (m_view.isEmpty())
                return -1;
        }
        return uchar(m_view[at - m_base]);
    }

    // Two or four bytes, most significant first or last; -1 past the end.
    qint64 bigEndian(qint64 from, int count)
    {
        qint64 value = 0;
        for (int i = 0; i < count; ++i) {
            const int byte = at(from + i);
            if (byte < 0)
                return -1;
            value = value << 8 | byte;
        }
        return value;
    }
    qint64 littleEndian(qint64 from, int count)
    {
        qint64 value = 0;
        for (int i = count - 1; i >= 0; --i) {
            const int byte = at(from + i);
            if (byte < 0)
                return -1;
            value = value << 8 | byte;
        }
        return value;
    }

    bool startsWith(QByteArrayView signature)
    {
        for (qsizetype i = 0; i < signature.size(); ++i) {
            if (at(i) != uchar(signature[i]))
                return false;
        }
        return true;
    }

private:
    static constexpr qint64 kChunk = 4096;
    QFile *m_file = nullptr;
    QByteArray m_buffer;
    QByteArrayView m_view;
    qint64 m_base = 0;
};

PictureHeader judged(qint64 width, qint64 height)
{
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        return {PictureHeader::Absurd, {}};
    return {PictureHeader::Sized, QSize(int(width), int(height))};
}

PictureHeader pngHeader(Bytes &b)
{
    // The first chunk must be IHDR, 13 bytes long; libpng refuses anything else.
    if (b.bigEndian(8, 4) != 13 || b.bigEndian(12, 4) != 0x49484452)
        return {};
    const qint64 width = b.bigEndian(16, 4);
    const qint64 height = b.bigEndian(20, 4);
    if (height < 0)
        return {};
    return judged(width, height);
}

PictureHeader gifHeader(Bytes &b)
{
    const qint64 width = b.littleEndian(6, 2);
    const qint64 height = b.littleEndian(8, 2);
    // An empty logical screen is cut short or takes its size from the frames,
    // which is the decoder's business.
    if (width <= 0 || height <= 0)
        return {};
    return judged(width, height);
}

PictureHeader bmpHeader(Bytes &b)
{
    const qint64 headerSize = b.littleEndian(14, 4);
    if (headerSize == 12) { // the old core header: unsigned 16-bit sides
        const qint64 width = b.littleEndian(18, 2);
        const qint64 height = b.littleEndian(20, 2);
        if (height < 0)
            return {};
        return judged(width, height);
    }
    // The info headers of Windows and OS/2 2.x: signed 32-bit sides, and a
    // negative height for rows stored top to bottom. Any other size is no
    // header of a BMP (many files begin with "BM").
    if (headerSize != 16 && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
        headerSize != 64 && headerSize != 108 && headerSize != 124)
        return {};
    const qint64 width = b.littleEndian(18, 4);
    qint64 height = b.littleEndian(22, 4);
    if (height < 0)
        return {};
    const auto signedValue = [](qint64 v) { return v >= 0x80000000 ? v - 0x100000000 : v; };
    height = signedValue(height);
    return judged(signedValue(width), height < 0 ? -height : height);
}

bool isFrameHeader(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// From segment to segment up to the frame header, reading markers as libjpeg
// does: stray bytes between segments and 0xFF fill bytes are passed over.
PictureHeader jpegHeader(Bytes &b)
{
    for (qint64 at = 2;;) {
        int marker = b.at(at);
        while (marker >= 0 && marker != 0xFF)
            marker = b.at(++at);
        while (marker == 0xFF)
            marker = b.at(++at);
        ++at;
        if (marker < 0)
            return {};
        if (marker == 0 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // a stuffed zero, or a marker without a length
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA)
            return {}; // a second start, the end or the picture data: no frame header
        const qint64 length = b.bigEndian(at, 2);
        if (length < 2)
            return {};
        if (isFrameHeader(marker)) {
            // Length, precision, height, width.
            const qint64 height = b.bigEndian(at + 3, 2);
            const qint64 width = b.bigEndian(at + 5, 2);
            if (length < 8 || height < 0 || width < 0)
                return {};
            return judged(width, height);
        }
        at += length;
    }
}

PictureHeader readHeader(Bytes &b)
{
    if (b.startsWith("\x89PNG\r\n\x1a\n"))
        return pngHeader(b);
    if (b.startsWith("GIF87a") || b.startsWith("GIF89a"))
        return gifHeader(b);
    if (b.startsWith("BM"))
        return bmpHeader(b);
    if (b.startsWith("\xFF\xD8"))
        return jpegHeader(b);
    return {};
}

bool isSensible(QSize size)
{
    return size.width() >= 1 && size.height() >= 1 && size.width() <= kLargestSide &&
           size.height() <= kLargestSide;
}

} // namespace

PictureHeader readPictureHeader(QByteArrayView bytes)
{
    Bytes b(bytes);
    return readHeader(b);
}

QSize pictureHeaderSize(QByteArrayView bytes)
{
    return readPictureHeader(bytes).size;
}

PictureInfo readPicture(const QString &path)
{
    PictureInfo picture;
    QFile file(path);
    if (!openRegularFile(file))
        return picture;
    picture.bytes = file.size();
    Bytes bytes(&file);
    const PictureHeader header = readHeader(bytes);
    const bool gif = bytes.startsWith("GIF8");
    if (header.verdict == PictureHeader::Absurd)
        return picture;

    QSize size = header.size;
    if (header.verdict == PictureHeader::Unknown) {
        file.seek(0);
        size = QImageReader(&file).size();
        if (!size.isValid()) { // a format that tells its size only once read
            file.seek(0);
            size = QImageReader(&file).read().size();
        }
    }
    picture.readable = isSensible(size);
    if (!picture.readable)
        return picture;
    picture.size = size;
    // Of the formats read here, only GIF moves; others are left to Qt.
    if (gif || header.verdict == PictureHeader::Unknown) {
        file.seek(0);
        QImageReader reader(&file);
        picture.animated = reader.supportsAnimation() && reader.imageCount() > 1;
    }
    return picture;
}

} // namespace tarnwell

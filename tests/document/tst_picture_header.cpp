#include "document/picture_header.h"
#include "support/files.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace tarnwell;

namespace {

template <typename T>
QByteArray raw(T value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}
const auto be16 = [](quint16 v) { return raw(qToBigEndian(v)); };
const auto be32 = [](quint32 v) { return raw(qToBigEndian(v)); };
const auto le16 = [](quint16 v) { return raw(qToLittleEndian(v)); };
const auto le32 = [](quint32 v) { return raw(qToLittleEndian(v)); };

QByteArray png(quint32 width, quint32 height, const char *chunk = "IHDR", quint32 length = 13)
{
    return "\x89PNG\r\n\x1a\n" + be32(length) + chunk + be32(width) + be32(height) +
           QByteArray("\x08\x02\0\0\0\0\0\0\0", 9);
}

QByteArray bmp(quint32 headerSize, qint32 width, qint32 height)
{
    const QByteArray sides = headerSize == 12 ? le16(quint16(width)) + le16(quint16(height))
                                              : le32(quint32(width)) + le32(quint32(height));
    return "BM" + le32(0) + le32(0) + le32(14 + headerSize) + le32(headerSize) + sides + le16(1) +
           le16(24);
}

// A segment of `size` bytes after its length.
QByteArray segment(uchar marker, int size)
{
    return "\xFF" + QByteArray(1, char(marker)) + be16(quint16(size + 2)) + QByteArray(size, 'x');
}

QByteArray frame(uchar marker, quint16 width, quint16 height)
{
    return "\xFF" + QByteArray(1, char(marker)) + be16(17) + "\x08" + be16(height) + be16(width) +
           QByteArray("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
}

QByteArray jpeg(const QByteArray &segments)
{
    return "\xFF\xD8" + segments + segment(0xDA, 12) + "\xFF\xD9";
}

// A GIF of colour 0, each frame coded as [clear, 0, 0] in 3-bit codes, so
// that the code size never grows: a valid picture of any size in a few lines.
QByteArray gif(const char *version, quint16 width, quint16 height, int frames = 1)
{
    QByteArray out =
        version + le16(width) + le16(height) + QByteArray("\x81\0\0", 3) + QByteArray(12, '\0');
    for (int f = 0; f < frames; ++f) {
        if (frames > 1)
            out += QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8);
        out += "\x2C" + le32(0) + le16(width) + le16(height) + '\0' + '\x02';
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        const auto put = [&](int code) {
            bits |= quint32(code) << count;
            for (count += 3; count >= 8; count -= 8, bits >>= 8)
                data += char(bits & 0xFF);
        };
        for (qint64 pixel = 0; pixel < qint64(width) * height; ++pixel) {
            if (pixel % 2 == 0)
                put(4);
            put(0);
        }
        put(5);
        if (count > 0)
            data += char(bits & 0xFF);
        for (qsizetype at = 0; at < data.size(); at += 255)
            out += char(qMin<qsizetype>(255, data.size() - at)) + data.mid(at, 255);
        out += '\0';
    }
    return out + ';';
}

QString verdict(const PictureHeader &header)
{
    switch (header.verdict) {
    case PictureHeader::Sized:
        return QStringLiteral("%1x%2").arg(header.size.width()).arg(header.size.height());
    case PictureHeader::Absurd:
        return QStringLiteral("absurd");
    case PictureHeader::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

// readPicture in a thread of its own. One that waits on a named pipe is
// freed by opening the pipe's other end, and then counts as hung.
PictureInfo readWithin(const QString &path, bool *hung)
{
    std::packaged_task<PictureInfo()> task([&path] { return readPicture(path); });
    std::future<PictureInfo> result = task.get_future();
    std::thread thread(std::move(task));
    *hung = result.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    thread.join();
    return result.get();
}

} // namespace

class TestPictureHeader final : public QObject
{
    Q_OBJECT

private slots:
    void header_data();
    void header();
    void cutShort_data();
    void cutShort();
    void files_data();
    void files();
    void againstQt_data();
    void againstQt();
};

void TestPictureHeader::header_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("size");
    const QByteArray sof = frame(0xC0, 640, 480);
    // clang-format off
    QTest::newRow("PNG") << png(3, 7) << "3x7";
    QTest::newRow("PNG zero wide") << png(0, 7) << "absurd";
    QTest::newRow("PNG a million") << png(1000000, 1) << "1000000x1";
    QTest::newRow("PNG a million and one") << png(1, 1000001) << "absurd";
    QTest::newRow("PNG INT_MAX") << png(INT_MAX, 1) << "absurd";
    QTest::newRow("PNG 2^31") << png(1, 0x80000000u) << "absurd";
    QTest::newRow("PNG 2^32-1") << png(0xFFFFFFFFu, 0xFFFFFFFFu) << "absurd";
    QTest::newRow("PNG data first") << png(3, 7, "IDAT") << "unknown";
    QTest::newRow("PNG short IHDR") << png(3, 7, "IHDR", 12) << "unknown";
    QTest::newRow("GIF87a") << gif("GIF87a", 5, 3) << "5x3";
    QTest::newRow("GIF89a widest") << QByteArray("GIF89a\xFF\xFF\xFF\xFF") << "65535x65535";
    QTest::newRow("GIF empty screen") << gif("GIF89a", 0, 3) << "unknown";
    QTest::newRow("GIF90a") << QByteArray("GIF90a\5\0\3\0") << "unknown";
    QTest::newRow("BMP info") << bmp(40, 7, 9) << "7x9";
    QTest::newRow("BMP top-down") << bmp(40, 7, -9) << "7x9";
    QTest::newRow("BMP height INT_MIN") << bmp(40, 7, INT_MIN) << "absurd";
    QTest::newRow("BMP height INT_MAX") << bmp(40, 7, INT_MAX) << "absurd";
    QTest::newRow("BMP width -1") << bmp(40, -1, 9) << "absurd";
    QTest::newRow("BMP width INT_MIN") << bmp(40, INT_MIN, 9) << "absurd";
    QTest::newRow("BMP zero high") << bmp(40, 7, 0) << "absurd";
    QTest::newRow("BMP V5") << bmp(124, 1000000, -1000000) << "1000000x1000000";
    QTest::newRow("BMP OS/2 2") << bmp(64, 2, 3) << "2x3";
    QTest::newRow("BMP core") << bmp(12, 7, 9) << "7x9";
    QTest::newRow("BMP core, unsigned sides") << bmp(12, 0xFFFF, 0x8000) << "65535x32768";
    QTest::newRow("BMP core zero") << bmp(12, 0, 9) << "absurd";
    QTest::newRow("BMP odd header size") << bmp(20, 7, 9) << "unknown";
    QTest::newRow("text beginning BM") << QByteArray("BMW owners club, founded 1950") << "unknown";
    QTest::newRow("JPEG") << jpeg(segment(0xE0, 14) + segment(0xDB, 65) + sof) << "640x480";
    QTest::newRow("JPEG progressive") << jpeg(segment(0xE0, 14) + frame(0xC2, 3, 5)) << "3x5";
    QTest::newRow("JPEG arithmetic") << jpeg(frame(0xC9, 3, 5)) << "3x5";
    QTest::newRow("JPEG many segments") << jpeg(segment(0xE1, 65533).repeated(40) + sof) << "640x480";
    QTest::newRow("JPEG tables are no frame") << jpeg(segment(0xC4, 30) + segment(0xC8, 4) + segment(0xCC, 4) + sof) << "640x480";
    QTest::newRow("JPEG fill bytes") << jpeg("\xFF\xFF\xFF" + segment(0xDB, 65) + "\xFF\xFF" + sof) << "640x480";
    QTest::newRow("JPEG markers without length") << jpeg("\xFF\xD0\xFF\x01\xFF\xD7" + sof) << "640x480";
    QTest::newRow("JPEG stray bytes") << jpeg(segment(0xE0, 14) + "junk\xFF" + QByteArray("\0", 1) + sof) << "640x480";
    QTest::newRow("JPEG data before a frame") << jpeg(segment(0xDA, 8) + sof) << "unknown";
    QTest::newRow("JPEG end before a frame") << jpeg("\xFF\xD9" + sof) << "unknown";
    QTest::newRow("JPEG second start") << jpeg("\xFF\xD8" + sof) << "unknown";
    QTest::newRow("JPEG length 0") << jpeg("\xFF\xE0" + be16(0) + sof) << "unknown";
    QTest::newRow("JPEG length 1") << jpeg("\xFF\xE0" + be16(1) + sof) << "unknown";
    QTest::newRow("JPEG segment past the end") << QByteArray("\xFF\xD8\xFF\xE1\xFF\xFF") + sof << "unknown";
    QTest::newRow("JPEG short frame") << jpeg("\xFF\xC0" + be16(7) + "\x08" + be16(3) + be16(5) + "\x01") << "unknown";
    QTest::newRow("JPEG no height") << jpeg(frame(0xC0, 640, 0)) << "absurd";
    QTest::newRow("JPEG widest") << jpeg(frame(0xC1, 65535, 65535)) << "65535x65535";
    QTest::newRow("empty") << QByteArray() << "unknown";
    QTest::newRow("WebP") << QByteArray("RIFF\0\0\0\0WEBPVP8 ", 16) << "unknown";
    // clang-format on
}

void TestPictureHeader::header()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, size);
    QCOMPARE(verdict(readPictureHeader(bytes)), size);
}

// Every header cut short gives no size, and never one read past its end.
void TestPictureHeader::cutShort_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("needed"); // bytes up to the last one of the size
    QTest::newRow("PNG") << png(3, 7) << 24;
    QTest::newRow("GIF") << gif("GIF89a", 5, 3) << 10;
    QTest::newRow("BMP info") << bmp(40, 7, -9) << 26;
    QTest::newRow("BMP core") << bmp(12, 7, 9) << 22;
    QTest::newRow("JPEG") << jpeg(segment(0xE0, 14) + "\xFF\xFF" + frame(0xC0, 3, 5)) << 31;
}

void TestPictureHeader::cutShort()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, needed);
    for (int n = 0; n < needed; ++n) {
        // A copy of its own, so that AddressSanitizer sees a read past it.
        const QByteArray head = bytes.left(n);
        QVERIFY2(readPictureHeader(head).verdict == PictureHeader::Unknown,
                 qPrintable(QString::number(n)));
    }
    QCOMPARE(readPictureHeader(bytes.left(needed)).verdict, PictureHeader::Sized);
}

void TestPictureHeader::files_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("found"); // size, "animated", or "-" for not readable
    const QByteArray picture = png(3, 7);
    // clang-format off
    QTest::newRow("PNG") << "file" << picture << "3x7";
    QTest::newRow("link to a picture") << "link" << picture << "3x7";
    QTest::newRow("named pipe") << "pipe" << QByteArray() << "-";
    QTest::newRow("link to a named pipe") << "link to pipe" << QByteArray() << "-";
    QTest::newRow("socket") << "socket" << QByteArray() << "-";
    QTest::newRow("folder") << "folder" << QByteArray() << "-";
    QTest::newRow("device") << "device" << QByteArray() << "-";
    QTest::newRow("dangling link") << "dangling" << QByteArray() << "-";
    QTest::newRow("missing") << "missing" << QByteArray() << "-";
    QTest::newRow("BMP height INT_MIN") << "file" << bmp(40, 7, INT_MIN) + QByteArray(64, '\0') << "-";
    QTest::newRow("PNG 2^31 wide") << "file" << png(0x80000000u, 1) << "-";
    QTest::newRow("JPEG frame past 4 KB") << "file" << jpeg(segment(0xE1, 5000) + segment(0xE2, 4090) + frame(0xC0, 501, 2)) << "501x2";
    QTest::newRow("GIF") << "file" << gif("GIF89a", 5, 3) << "5x3";
    QTest::newRow("animated GIF") << "file" << gif("GIF89a", 5, 3, 2) << "5x3 animated";
    QTest::newRow("GIF with an empty screen") << "file" << gif("GIF89a", 5, 3).replace(6, 4, QByteArray(4, '\0')) << "5x3";
    QTest::newRow("text beginning BM") << "file" << QByteArray("BMW owners club, founded 1950, meets on Sundays") << "-";
    QTest::newRow("text") << "file" << QByteArray("<HTML>not a picture</HTML>\n") << "-";
    QTest::newRow("empty") << "file" << QByteArray() << "-";
    // clang-format on
}

void TestPictureHeader::files()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, found);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.png"));
    const QString target = folder.filePath(QStringLiteral("target"));
    const QString made = kind.startsWith("link") ? target : path;
    const QByteArray name = QFile::encodeName(made);
    if (kind == "file" || kind == "link")
        QVERIFY(test::writeBytes(made, bytes));
    if (kind.endsWith("pipe"))
        QVERIFY(test::makePipe(made));
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    if (kind == "socket") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(name.size()) < sizeof address.sun_path);
        qstrcpy(address.sun_path, name.constData());
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
    }
    if (kind == "device")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    if (kind.startsWith("link") || kind == "dangling")
        QVERIFY(QFile::link(target, path));

    bool hung = false;
    const PictureInfo info = readWithin(path, &hung);
    QVERIFY(!hung);
    QString got = QStringLiteral("-");
    if (info.readable)
        got = QStringLiteral("%1x%2%3")
                  .arg(info.size.width())
                  .arg(info.size.height())
                  .arg(info.animated ? " animated" : "");
    QCOMPARE(got, found);
    QCOMPARE(info.bytes, kind == "file" || kind == "link" ? bytes.size() : 0);
}

// Qt's readers share no code with ours: over pictures Qt writes (and GIFs
// made here, which Qt cannot write), both must find the size written.
void TestPictureHeader::againstQt_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    const QList<QSize> sizes = {{1, 1}, {500, 1},   {501, 1},  {1, 65535}, {65535, 1},
                                {3, 7}, {257, 255}, {99, 101}, {640, 480}, {2, 32769}};
    for (const char *format : {"png", "bmp", "jpeg", "progressive", "gif"}) {
        for (QSize size : sizes) {
            // libjpeg writes no side longer than 65500.
            if (qstrcmp(format, "jpeg") == 0 || qstrcmp(format, "progressive") == 0)
                size = size.boundedTo({65500, 65500});
            QTest::addRow("%s %dx%d", format, size.width(), size.height())
                << QByteArray(format) << size;
        }
    }
}

void TestPictureHeader::againstQt()
{
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QByteArray bytes;
    if (format == "gif") {
        bytes = gif("GIF89a", quint16(size.width()), quint16(size.height()));
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QBuffer buffer(&bytes);
        QImageWriter writer(&buffer, format == "progressive" ? "jpeg" : format);
        writer.setProgressiveScanWrite(format == "progressive");
        QVERIFY2(writer.write(image), qPrintable(writer.errorString()));
    }
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    QCOMPARE(reader.read().size(), size);
    QCOMPARE(pictureHeaderSize(bytes), size);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picture"));
    QVERIFY(test::writeBytes(path, bytes));
    QCOMPARE(readPicture(path).size, size);
}

QTEST_GUILESS_MAIN(TestPictureHeader)
#include "tst_picture_header.moc"

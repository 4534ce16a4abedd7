// Pictures made ready for the web: names every web server serves, copies
// small enough for a page, and the question that offers one. Check page's Fix
// for a name with spaces is among the page check's findings.

#include "document/web_pictures.h"
#include "support/files.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell;
using tarnwell::test::makePipe;
using tarnwell::test::readAll;
using tarnwell::test::writeBytes;

namespace {

// An EXIF block saying "turn 90 degrees clockwise to show" (orientation 6),
// as a phone held upright writes it.
QByteArray withOrientation(const QByteArray &jpeg, quint16 orientation)
{
    QByteArray exif("Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 32);
    exif[25] = char(orientation);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xFF));
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
}

QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// The average colour of a square of the picture, noise evened out.
QColor averageAround(const QImage &image, QPoint centre, int half = 20)
{
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = centre.y() - half; y <= centre.y() + half; ++y)
        for (int x = centre.x() - half; x <= centre.x() + half; ++x) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p), ++n;
        }
    return QColor(int(r / n), int(g / n), int(b / n));
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 &&
           qAbs(a.blue() - b.blue()) < 24;
}

bool writePicture(const QString &path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 120, 40));
    return QDir().mkpath(QFileInfo(path).path()) && image.save(path, "PNG");
}

} // namespace

class TestWebPictures final : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void copyNames_data();
    void copyNames();
    void cameraPhoto_data();
    void cameraPhoto();
    void seeThroughPng();
    void question_data();
    void question();
    void facts();
};

void TestWebPictures::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("web");
    const auto row = [](const char *name, const QString &from, const char *to) {
        QTest::newRow(name) << from << QString::fromUtf8(to);
    };
    row("spaces and capitals", "Me at the Beach.JPG", "me-at-the-beach.jpg");
    row("accents", QString::fromUtf8("Crème Brûlée à Noël.jpeg"), "creme-brulee-a-noel.jpeg");
    row("letters without accents", QString::fromUtf8("Straße Æsir Øy.PNG"), "strasse-aesir-oy.png");
    row("apostrophes", QString::fromUtf8("Don't stop Ann’s party.gif"), "dont-stop-anns-party.gif");
    row("several dots", "holiday.2024..final.JPG", "holiday-2024-final.jpg");
    row("marks between words", "  Fish & Chips (2) -- best!.png", "fish-chips-2-best.png");
    row("already safe", "my_photo-1.jpg", "my_photo-1.jpg");
    row("only spaces", "     .jpg", "picture.jpg");
    row("only spaces, no extension", "   ", "file");
    row("other script", QString::fromUtf8("Фото.JPG"), "picture.jpg");
    row("not a picture", "Price List.PDF", "price-list.pdf");
    row("no extension", "Read Me", "read-me");
    row("a dot at the front", ".Hidden Photo", "hidden-photo");
    row("no extension after the dot", "a.b c", "a-b-c");
    row("two extensions", "Old.TAR.GZ", "old-tar.gz");
    QTest::newRow("very long") << QString(300, u'A') + ".jpg" << QString(150, u'a') + ".jpg";
}

void TestWebPictures::names()
{
    QFETCH(QString, name);
    QFETCH(QString, web);
    QCOMPARE(webSafeName(name), web);
    QCOMPARE(webSafeName(web), web); // safe names stay as they are
}

// A see-through PNG's copy stays a PNG and an opaque one's is a JPEG: the page
// check's findings show both, through its web copy Fix.
void TestWebPictures::copyNames_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("there"); // "name" a file, "name>" a link to nowhere
    QTest::addColumn<QString>("copy");
    // clang-format off
    QTest::newRow("spaces") << "Me at the Beach.JPG" << QStringList() << "me-at-the-beach-web.jpg";
    QTest::newRow("taken, by a link to nowhere too") << "Me at the Beach.JPG"
        << QStringList{"me-at-the-beach-web.jpg>", "me-at-the-beach-web2.jpg"} << "me-at-the-beach-web3.jpg";
    QTest::newRow("jpeg keeps its extension") << "Sun.JPEG" << QStringList() << "sun-web.jpeg";
    QTest::newRow("only spaces") << "   .jpg" << QStringList() << "picture-web.jpg";
    // clang-format on
}

void TestWebPictures::copyNames()
{
    QFETCH(QString, source);
    QFETCH(QStringList, there);
    QFETCH(QString, copy);
    QTemporaryDir from, folder;
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(from.filePath(source), "JPEG"));
    for (const QString &name : there) {
        if (name.endsWith('>'))
            QVERIFY(QFile::link(folder.filePath("nowhere"), folder.filePath(name.chopped(1))));
        else
            QVERIFY(writeBytes(folder.filePath(name), "kept"));
    }
    QString made, error;
    QVERIFY2(writeWebCopy(from.filePath(source), source, folder.path(), 500, &made, &error),
             qPrintable(error));
    QCOMPARE(made, copy);
    QCOMPARE(QImageReader(folder.filePath(copy)).size(), QSize(500, 333));
    for (const QString &name : there)
        if (!name.endsWith('>'))
            QCOMPARE(readAll(folder.filePath(name)), QByteArray("kept"));
    QVERIFY(!QFileInfo::exists(folder.filePath("nowhere")));
}

void TestWebPictures::cameraPhoto_data()
{
    QTest::addColumn<int>("widest");
    QTest::addColumn<QSize>("size");
    QTest::newRow("classic page") << 500 << QSize(500, 667);
    QTest::newRow("page for phones") << 1200 << QSize(1200, 1600);
}

// A phone held upright: 4000 x 3000 pixels as stored, shown 3000 x 4000.
void TestWebPictures::cameraPhoto()
{
    QFETCH(int, widest);
    QFETCH(QSize, size);
    // Stored left half red, right half blue, with the grain of a real photo,
    // which keeps JPEG from making it small at once.
    QImage stored(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator grain(7);
    for (int y = 0; y < stored.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(stored.scanLine(y));
        for (int x = 0; x < stored.width(); ++x) {
            const int n = int(grain.bounded(80)) - 40;
            line[x] = x < 2000 ? qRgb(qBound(0, 200 + n, 255), qBound(0, 40 + n, 255), 40)
                               : qRgb(40, qBound(0, 60 + n, 255), qBound(0, 200 + n, 255));
        }
    }
    QTemporaryDir from, folder;
    const QByteArray photo = withOrientation(encoded(stored, "JPEG", 92), 6);
    QVERIFY(writeBytes(from.filePath("IMG 0001.JPG"), photo));
    QCOMPARE(pictureFacts(from.filePath("IMG 0001.JPG")).size, QSize(3000, 4000));

    QString made, error;
    QVERIFY2(writeWebCopy(from.filePath("IMG 0001.JPG"), "IMG 0001.JPG", folder.path(), widest,
                          &made, &error),
             qPrintable(error));
    QCOMPARE(made, "img-0001-web.jpg");
    const QByteArray copy = readAll(folder.filePath(made));
    QVERIFY2(copy.size() <= 300 * 1024, QByteArray::number(copy.size()));
    QVERIFY(copy.startsWith("\xFF\xD8"));
    // Upright in its pixels, with no tag left to turn it again.
    QImageReader plain(folder.filePath(made));
    QCOMPARE(plain.transformation(), QImageIOHandler::TransformationNone);
    const QImage shown = plain.read();
    QCOMPARE(shown.size(), size);
    // Stored left is shown at the top.
    QVERIFY(near(averageAround(shown, {size.width() / 2, size.height() / 8}), QColor(200, 40, 40)));
    QVERIFY(
        near(averageAround(shown, {size.width() / 2, size.height() * 7 / 8}), QColor(40, 60, 200)));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{made});
}

void TestWebPictures::seeThroughPng()
{
    QImage logo(1600, 800, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    for (int y = 0; y < 800; ++y)
        for (int x = 800; x < 1600; ++x)
            logo.setPixel(x, y, qRgba(0, 160, 0, 255));
    QBuffer source;
    source.setData(encoded(logo, "PNG"));
    source.open(QIODevice::ReadOnly);
    WebPicture picture;
    QString error;
    QVERIFY2(makeWebPicture(&source, "Logo.PNG", 500, &picture, &error), qPrintable(error));
    QCOMPARE(picture.extension, ".png");
    QVERIFY(picture.bytes.startsWith("\x89PNG"));
    QVERIFY(picture.bytes.size() <= 300 * 1024);
    const QImage copy = QImage::fromData(picture.bytes);
    QCOMPARE(copy.size(), QSize(500, 250));
    QCOMPARE(qAlpha(copy.pixel(100, 125)), 0);
    QCOMPARE(copy.pixel(400, 125), qRgba(0, 160, 0, 255));
}

void TestWebPictures::question_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *name, QSize size, qint64 bytes, const char *facts) {
        QTest::newRow(name) << size << bytes
                            << u"This photo is %1 MB, too big for a web page. Use a copy made for "
                               u"the web?"_qs.arg(QString::fromUtf8(facts));
    };
    // A megabyte is 1,048,576 bytes: 2,040,000 bytes are 1.95 of them.
    row("the beach photo", {3000, 2000}, 2040000, "3000 × 2000 pixels and 1.9");
    row("just over the size limit", {400, 300}, 307201, "400 × 300 pixels and 0.3");
    row("half a tenth rounds up", {501, 1}, 104858, "501 × 1 pixels and 0.1");
    row("just under half a tenth", {501, 1}, 52428, "501 × 1 pixels and 0.0");
    row("ten megabytes", {6000, 4000}, 10485760, "6000 × 4000 pixels and 10.0");
}

void TestWebPictures::question()
{
    QFETCH(QSize, size);
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(webCopyQuestion({true, false, size, bytes}), text);
}

// The picture screens read whatever the user picks: a named pipe is no
// picture and holds nothing up, nor does a file that only looks like one.
void TestWebPictures::facts()
{
    QTemporaryDir dir;
    QVERIFY(makePipe(dir.filePath("pipe.jpg")));
    QVERIFY(writeBytes(dir.filePath("text.jpg"), "\xFF\xD8 not really"));
    QVERIFY(writePicture(dir.filePath("wide.png"), 501, 2));
    QVERIFY(!pictureFacts(dir.filePath("pipe.jpg")).readable);
    QVERIFY(!pictureFacts(dir.filePath("text.jpg")).readable);
    QVERIFY(!pictureFacts(dir.path()).readable);
    const PictureFacts wide = pictureFacts(dir.filePath("wide.png"));
    QVERIFY(isTooBigForWeb(wide, 500));
    QVERIFY(!isTooBigForWeb(wide, 1200));
    QString made, error;
    QVERIFY(!writeWebCopy(dir.filePath("pipe.jpg"), "pipe.jpg", dir.path(), 500, &made, &error));
    QCOMPARE(error, "it is not an ordinary file.");
}

QTEST_MAIN(TestWebPictures)
#include "tst_web_pictures.moc"

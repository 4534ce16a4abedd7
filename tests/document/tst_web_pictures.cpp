// Pictures made ready for the web: names every web server serves, copies
// small enough for a page, the question that offers one, and Check page's
// Fix for a name with spaces.

#include "document/page_body.h"
#include "document/page_check.h"
#include "document/web_pictures.h"
#include "support/files.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace tarnwell;
using tarnwell::test::listing;
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
    void spacesFix_data();
    void spacesFix();
    void widthFollowsThePage();
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

void TestWebPictures::copyNames_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("seeThrough");
    QTest::addColumn<QStringList>("there"); // "name" a file, "name>" a link to nowhere
    QTest::addColumn<QString>("copy");
    QTest::newRow("spaces") << "Me at the Beach.JPG" << false << QStringList()
                            << "me-at-the-beach-web.jpg";
    QTest::newRow("taken") << "Me at the Beach.JPG" << false
                           << QStringList{"me-at-the-beach-web.jpg"} << "me-at-the-beach-web2.jpg";
    QTest::newRow("taken by a link to nowhere")
        << "Me at the Beach.JPG" << false
        << QStringList{"me-at-the-beach-web.jpg>", "me-at-the-beach-web2.jpg"}
        << "me-at-the-beach-web3.jpg";
    QTest::newRow("jpeg keeps its extension")
        << "Sun.JPEG" << false << QStringList() << "sun-web.jpeg";
    QTest::newRow("opaque PNG") << "Sun Set.PNG" << false << QStringList() << "sun-set-web.jpg";
    QTest::newRow("see-through PNG") << "Logo.png" << true << QStringList() << "logo-web.png";
    QTest::newRow("only spaces") << "   .jpg" << false << QStringList() << "picture-web.jpg";
}

void TestWebPictures::copyNames()
{
    QFETCH(QString, source);
    QFETCH(bool, seeThrough);
    QFETCH(QStringList, there);
    QFETCH(QString, copy);
    QTemporaryDir from, folder;
    QImage image(600, 400, seeThrough ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(seeThrough ? Qt::transparent : Qt::darkCyan);
    QVERIFY(
        image.save(from.filePath(source), seeThrough || source.endsWith("PNG") ? "PNG" : "JPEG"));
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
    const QString text = QString::fromUtf8(
        "This photo is %1 pixels and %2 MB, too big for a web page. Use a copy made for the web?");
    // A megabyte is 1,048,576 bytes: 2,040,000 bytes are 1.95 of them.
    QTest::newRow("the beach photo") << QSize(3000, 2000) << qint64(2040000)
                                     << text.arg(QString::fromUtf8("3000 × 2000"), "1.9");
    QTest::newRow("just over the size limit")
        << QSize(400, 300) << qint64(307201) << text.arg(QString::fromUtf8("400 × 300"), "0.3");
    QTest::newRow("half a tenth rounds up")
        << QSize(501, 1) << qint64(104858) << text.arg(QString::fromUtf8("501 × 1"), "0.1");
    QTest::newRow("just under half a tenth")
        << QSize(501, 1) << qint64(52428) << text.arg(QString::fromUtf8("501 × 1"), "0.0");
    QTest::newRow("ten megabytes") << QSize(6000, 4000) << qint64(10485760)
                                   << text.arg(QString::fromUtf8("6000 × 4000"), "10.0");
}

void TestWebPictures::question()
{
    QFETCH(QSize, size);
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    PictureFacts facts;
    facts.readable = true;
    facts.size = size;
    facts.bytes = bytes;
    QCOMPARE(webCopyQuestion(facts), text);
}

// The picture screens read whatever the user picks: a named pipe is no
// picture and holds nothing up, nor does a file that only looks like one.
void TestWebPictures::facts()
{
    QTemporaryDir dir;
    QVERIFY(makePipe(dir.filePath("pipe.jpg")));
    QVERIFY(writeBytes(dir.filePath("text.jpg"), "\xFF\xD8 not really"));
    QVERIFY(writePicture(dir.filePath("wide.png"), 501, 2));
    QElapsedTimer timer;
    timer.start();
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

void TestWebPictures::spacesFix_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("files"); // pictures, or "name=text"
    QTest::addColumn<QString>("renamed");   // the Fix's new name, or none offered
    QTest::addColumn<QString>("after");     // the page after the Fix
    const QString beach = "<IMG SRC=\"pics/Me at the Beach.JPG\">";
    const QString fixed = "<IMG SRC=\"pics/me-at-the-beach.jpg\">";
    QTest::newRow("in a subfolder")
        << "<P>x</P>\r\n" + beach << QStringList{"pics/Me at the Beach.JPG"}
        << "pics/me-at-the-beach.jpg"
        << "<P>x</P>\r\n" + fixed;
    QTest::newRow("escaped spaces")
        << "<IMG SRC=\"pics/Me%20at%20the%20Beach.JPG\">" << QStringList{"pics/Me at the Beach.JPG"}
        << "pics/me-at-the-beach.jpg" << fixed;
    QTest::newRow("name taken") << beach
                                << QStringList{"pics/Me at the Beach.JPG",
                                               "pics/me-at-the-beach.jpg"}
                                << "pics/me-at-the-beach-2.jpg"
                                << "<IMG SRC=\"pics/me-at-the-beach-2.jpg\">";
    QTest::newRow("any file") << "<A HREF=\"docs/Price List.PDF\">Prices</A>"
                              << QStringList{"docs/Price List.PDF=%PDF"} << "docs/price-list.pdf"
                              << "<A HREF=\"docs/price-list.pdf\">Prices</A>";
    QTest::newRow("named twice: one address would break the other")
        << beach + beach << QStringList{"pics/Me at the Beach.JPG"} << QString() << QString();
    QTest::newRow("a folder with a space")
        << "<IMG SRC=\"my pics/a b.png\">" << QStringList{"my pics/a b.png"} << QString()
        << QString();
    QTest::newRow("another page uses the name")
        << beach << QStringList{"pics/Me at the Beach.JPG", "other.html=" + beach} << QString()
        << QString();
    QTest::newRow("the page's own saved file uses the name")
        << beach << QStringList{"pics/Me at the Beach.JPG", "index.html=" + beach}
        << "pics/me-at-the-beach.jpg" << fixed;
    QTest::newRow("not in the folder") << beach << QStringList() << QString() << QString();
}

void TestWebPictures::spacesFix()
{
    QFETCH(QString, page);
    QFETCH(QStringList, files);
    QFETCH(QString, renamed);
    QFETCH(QString, after);
    QTemporaryDir folder;
    for (const QString &file : files) {
        const QString name = file.section('=', 0, 0);
        QVERIFY(file.contains('=')
                    ? QDir().mkpath(QFileInfo(folder.filePath(name)).path()) &&
                          writeBytes(folder.filePath(name), file.section('=', 1).toUtf8())
                    : writePicture(folder.filePath(name), 40, 30));
    }
    PageBody body;
    body.replace(page);
    const QList<PageFinding> found =
        checkPage(body.document()->toRawText(), folder.path(), folder.filePath("index.html"));
    const auto odd = std::find_if(found.begin(), found.end(), [](const PageFinding &f) {
        return f.problem == PageProblem::OddName;
    });
    QVERIFY(odd != found.end());
    if (renamed.isEmpty()) {
        QCOMPARE(odd->fix, PageFix::None);
        return;
    }
    QCOMPARE(odd->fix, PageFix::WebName);
    QCOMPARE(odd->file, renamed);
    QVERIFY(odd->mend.contains(renamed.section('/', -1)));
    const QByteArray bytes = readAll(folder.filePath(odd->folderFile));
    QStringList expected = listing(folder.path());
    expected.replace(expected.indexOf(odd->folderFile), renamed);
    expected.sort();
    QString address, error;
    QVERIFY2(renameForWeb(folder.path(), *odd, &address, &error), qPrintable(error));
    QVERIFY(replaceAddress(body.document(), *odd, address));
    QCOMPARE(body.text(), after);
    // The one file renamed, its bytes as they were; nothing else touched.
    QCOMPARE(listing(folder.path()), expected);
    QCOMPARE(readAll(folder.filePath(renamed)), bytes);
    // Checked again, the name is well.
    const QList<PageFinding> again = checkPage(body.document()->toRawText(), folder.path());
    QVERIFY(std::none_of(again.begin(), again.end(),
                         [](const PageFinding &f) { return f.problem == PageProblem::OddName; }));
}

// A page for phones takes pictures up to 1,200 pixels wide; a classic page 500.
void TestWebPictures::widthFollowsThePage()
{
    QTemporaryDir folder;
    QVERIFY(writePicture(folder.filePath("photo.png"), 1000, 10));
    const QString classic = "<IMG SRC=\"photo.png\">";
    const QString modern = "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n"
                           "<meta name=\"generator\" content=\"Tarnwell\">\r\n</head>\r\n"
                           "<body>\r\n<img src=\"photo.png\" alt=\"\">";
    const QList<PageFinding> wide = checkPage(classic, folder.path());
    QCOMPARE(wide.size(), 1);
    QCOMPARE(wide[0].problem, PageProblem::TooWide);
    QCOMPARE(wide[0].widest, 500);
    QVERIFY(checkPage(modern, folder.path()).isEmpty());
}

QTEST_MAIN(TestWebPictures)
#include "tst_web_pictures.moc"

#include "document/gallery.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

using namespace tarnwell;

namespace {
constexpr int kTextureCount = 20;

QString texturePath(int number)
{
    return QDir(programFolder()).filePath(galleryTextureName(number));
}

// The texture as 32-bit RGB, or a null image with the reason in *error.
QImage loadTexture(int number, QString *error)
{
    QImageReader reader(texturePath(number));
    if (reader.format() != "jpeg") {
        *error = QStringLiteral("not read as a JPEG file but as \"%1\"")
                     .arg(QString::fromLatin1(reader.format()));
        return {};
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        *error = reader.errorString();
        return {};
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage transposed(const QImage &image)
{
    QImage result(image.height(), image.width(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            result.setPixel(y, x, image.pixel(x, y));
    }
    return result;
}

// Mean absolute difference between columns a and b, per colour channel (0 to 255).
double columnDifference(const QImage &image, int a, int b)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb p = image.pixel(a, y);
        const QRgb q = image.pixel(b, y);
        sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
               std::abs(qBlue(p) - qBlue(q));
    }
    return sum / (3.0 * image.height());
}

// Mean absolute difference between two pictures of the same size, per colour
// channel (0 to 255).
double meanDifference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

struct Seam
{
    double acrossEdge; // between the last column and the first
    double bigStep;    // bigger than 98% of the steps between neighbouring columns inside
};

// When the picture is repeated side by side, its last column meets its first.
// That step should look like any other step inside the picture; a seam is a step
// bigger than nearly all of them. The very biggest inside are left out of the
// comparison: a stripe or a joint may happen to lie on the edge, too.
Seam columnSeam(const QImage &image)
{
    std::vector<double> steps;
    for (int x = 0; x + 1 < image.width(); ++x)
        steps.push_back(columnDifference(image, x, x + 1));
    std::sort(steps.begin(), steps.end());
    return {columnDifference(image, image.width() - 1, 0), steps[steps.size() * 98 / 100]};
}

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Relative luminance as used for text contrast ratios, 0 for black to 1 for white.
double luminance(QRgb pixel)
{
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) +
           0.0722 * linear(qBlue(pixel));
}

double contrast(double lighter, double darker)
{
    return (lighter + 0.05) / (darker + 0.05);
}
} // namespace

class TestGallery final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void textureNames();
    void fileIsASmallJpeg_data();
    void fileIsASmallJpeg();
    void tilesWithoutASeam_data();
    void tilesWithoutASeam();
    void textReadsOnIt_data();
    void textReadsOnIt();
    void differsFromTheOthers_data();
    void differsFromTheOthers();

private:
    void addTextureRows();

    std::array<QImage, kTextureCount + 1> textures_; // by number; 0 unused
    std::array<QString, kTextureCount + 1> loadErrors_;
};

void TestGallery::initTestCase()
{
    for (int number = 1; number <= kTextureCount; ++number)
        textures_[number] = loadTexture(number, &loadErrors_[number]);
}

void TestGallery::addTextureRows()
{
    QTest::addColumn<int>("number");
    for (int number = 1; number <= kTextureCount; ++number)
        QTest::newRow(qPrintable(galleryTextureName(number))) << number;
}

void TestGallery::textureNames()
{
    QCOMPARE(galleryTextureName(7), QStringLiteral("bckgrnd7.jpg"));
    QCOMPARE(galleryTextureName(1), QStringLiteral("bckgrnd1.jpg"));
    QCOMPARE(galleryTextureName(20), QStringLiteral("bckgrnd20.jpg"));
}

void TestGallery::fileIsASmallJpeg_data()
{
    addTextureRows();
}

void TestGallery::fileIsASmallJpeg()
{
    QFETCH(int, number);
    const QFileInfo file(texturePath(number));
    QVERIFY2(file.isFile(), qPrintable(file.filePath() + QStringLiteral(" is missing")));
    QVERIFY2(file.size() < 40000, qPrintable(QStringLiteral("%1 bytes").arg(file.size())));
    const QImage &image = textures_[number];
    QVERIFY2(!image.isNull(), qPrintable(loadErrors_[number]));
    // Much smaller and the repeat shows on a page.
    QVERIFY(image.width() >= 64);
    QVERIFY(image.height() >= 64);
}

void TestGallery::tilesWithoutASeam_data()
{
    addTextureRows();
}

void TestGallery::tilesWithoutASeam()
{
    QFETCH(int, number);
    const QImage &image = textures_[number];
    QVERIFY2(!image.isNull(), qPrintable(loadErrors_[number]));
    // Side by side, then one above the other.
    const Seam across = columnSeam(image);
    const Seam down = columnSeam(transposed(image));
    // The allowance is for JPEG, which loses most along its 8-pixel block
    // boundaries, and the edge is always one of them.
    QVERIFY2(across.acrossEdge <= 1.25 * across.bigStep + 1,
             qPrintable(QStringLiteral("left and right edges differ by %1, steps inside by %2")
                            .arg(across.acrossEdge)
                            .arg(across.bigStep)));
    QVERIFY2(down.acrossEdge <= 1.25 * down.bigStep + 1,
             qPrintable(QStringLiteral("top and bottom edges differ by %1, steps inside by %2")
                            .arg(down.acrossEdge)
                            .arg(down.bigStep)));
}

void TestGallery::textReadsOnIt_data()
{
    addTextureRows();
}

void TestGallery::textReadsOnIt()
{
    QFETCH(int, number);
    const QImage &image = textures_[number];
    QVERIFY2(!image.isNull(), qPrintable(loadErrors_[number]));

    std::vector<double> levels;
    double sum = 0;
    double sumOfSquares = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            levels.push_back(luminance(pixel));
            const double grey = qGray(pixel);
            sum += grey;
            sumOfSquares += grey * grey;
        }
    }
    std::sort(levels.begin(), levels.end());
    const double darkest = levels[levels.size() * 2 / 100];
    const double median = levels[levels.size() / 2];
    const double brightest = levels[levels.size() * 98 / 100];
    const double mean = sum / levels.size();
    const double spread = std::sqrt(sumOfSquares / levels.size() - mean * mean);

    // Light textures carry black text, dark ones white text. Either way the text
    // keeps a contrast of 7:1 on the middle of the picture and 4.5:1 even on the
    // few pixels least suited to it (the darkest 2% for black text, the
    // brightest 2% for white).
    const bool light = contrast(median, 0) > contrast(1, median);
    const QString text = light ? QStringLiteral("black") : QStringLiteral("white");
    const double onMiddle = light ? contrast(median, 0) : contrast(1, median);
    const double onWorst = light ? contrast(darkest, 0) : contrast(1, brightest);
    QVERIFY2(onMiddle >= 7,
             qPrintable(
                 QStringLiteral("%1 text contrasts %2:1 with the middle").arg(text).arg(onMiddle)));
    QVERIFY2(
        onWorst >= 4.5,
        qPrintable(
            QStringLiteral("%1 text contrasts %2:1 with the worst 2%").arg(text).arg(onWorst)));
    // A busy picture hides letters whatever its brightness.
    QVERIFY2(spread <= 20, qPrintable(QStringLiteral("grey levels spread by %1").arg(spread)));
}

void TestGallery::differsFromTheOthers_data()
{
    addTextureRows();
}

void TestGallery::differsFromTheOthers()
{
    QFETCH(int, number);
    QVERIFY2(!textures_[number].isNull(), qPrintable(loadErrors_[number]));
    // Compared at a common small size, roughly as they look side by side in a
    // list, where fine grain no longer tells two textures apart.
    const auto small = [this](int n) {
        return textures_[n].scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage mine = small(number);
    QStringList tooClose;
    for (int other = 1; other <= kTextureCount; ++other) {
        if (other == number || textures_[other].isNull())
            continue;
        const double difference = meanDifference(mine, small(other));
        // Below this, two textures read as one in a different seed or shade.
        if (difference < 8)
            tooClose << galleryTextureName(other) + QStringLiteral(" (%1)").arg(difference);
    }
    QVERIFY2(tooClose.isEmpty(),
             qPrintable(QStringLiteral("too much like ") + tooClose.join(", ")));
}

QTEST_MAIN(TestGallery)
#include "tst_gallery.moc"
